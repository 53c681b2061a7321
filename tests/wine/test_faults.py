"""Faults around open and save: each ends with a clear, safe outcome."""
import os
import struct
import time

from korvimo_driver import IDYES, windows_path


def file_dialog(korvimo, path, filter_index=0):
    korvimo.probe("file-dialog", windows_path(path), filter_index, 15000)


def test_text_file_over_128_mb_is_refused_and_the_window_answers(korvimo, tmp_path):
    huge = tmp_path / "huge.txt"
    with open(huge, "wb") as f:
        f.truncate(200 * 1024 * 1024)
    korvimo.command("IDM_OPEN")
    file_dialog(korvimo, huge)
    time.sleep(2.0)
    started = time.monotonic()
    korvimo.settle()
    assert time.monotonic() - started < 10
    assert korvimo.entries("Txt") == []
    assert korvimo.process.poll() is None


def save_gif(wine, korvimo, target, size):
    wine.set_clipboard(bitmap=(size[0], size[1], 3))
    korvimo.wait_until(lambda: "Pic0" in korvimo.keys(), what="Pic0")
    korvimo.select("Pic0")
    korvimo.command("IDM_SAVE")
    file_dialog(korvimo, target, 2)


def test_gif_of_one_pixel_is_valid(wine, korvimo, tmp_path):
    target = tmp_path / "one.gif"
    save_gif(wine, korvimo, target, (1, 1))
    korvimo.wait_until(lambda: target.exists() and target.stat().st_size > 0, what="the GIF")
    time.sleep(0.3)
    data = target.read_bytes()
    assert data[:6] == b"GIF87a" and struct.unpack_from("<HH", data, 6) == (1, 1)
    assert data[-1:] == b"\x3b"
    from PIL import Image
    with Image.open(target) as image:
        assert image.size == (1, 1)
        image.load()


def test_gif_too_wide_writes_nothing_and_keeps_the_old_file(wine, korvimo, tmp_path):
    target = tmp_path / "wide.gif"
    target.write_bytes(b"old picture")
    save_gif(wine, korvimo, target, (32768, 1))
    korvimo.probe("answer", IDYES, 15000)
    time.sleep(2.0)
    korvimo.settle()
    assert target.read_bytes() == b"old picture"
    assert sorted(os.listdir(tmp_path)) == ["wide.gif"]  # no temporary file left
    assert korvimo.probe("count-class", "KorvimoSaving").strip() == "0"
    assert korvimo.process.poll() is None
