"""Saving entries to files and opening text files through the real dialogs,
and the faults around them: each ends with a clear, safe outcome, the
program still running and no dialog left up."""
import os
import struct
import subprocess
import time

import pytest
from PIL import Image

from korvimo_driver import IDNO, IDYES, windows_path

REPLACE = "文件已存在，是否替换？"


def test_replace_question_no_keeps_and_yes_replaces_with_the_text_unchanged(korvimo, tmp_path):
    text = "第一行\r\nsecond\nthird\rend"
    korvimo.select(korvimo.copy(text=text))
    target = tmp_path / "old.txt"
    target.write_bytes(b"old content")
    korvimo.save(target)
    assert korvimo.message_box(IDNO, 15000)[:2] == (REPLACE, [IDYES, IDNO])
    korvimo.settle()
    assert target.read_bytes() == b"old content"
    korvimo.save(target)
    korvimo.message_box(IDYES, 15000)
    korvimo.wait_until(lambda: target.read_bytes() == text.encode("gbk"), what="replaced file")


def test_cancelled_save_asks_nothing_and_writes_nothing(wine, korvimo):
    # Nowhere to write but the program's own folder, its working directory.
    before = sorted(wine.exe.parent.iterdir())
    korvimo.save(None)
    korvimo.settle()
    assert korvimo.no_message_box(1000) and sorted(wine.exe.parent.iterdir()) == before


def test_picture_saves_as_bitmap_or_gif_by_the_filter_alone(korvimo, tmp_path):
    for size, name, filter_index, kind in (((37, 23), "a.gif", 1, "BMP"), ((1, 1), "b.bmp", 2, "GIF")):
        korvimo.select(korvimo.copy(bitmap=(*size, 4)))
        korvimo.save(tmp_path / name, filter_index)
        korvimo.wait_for_file(tmp_path / name)
        with Image.open(tmp_path / name) as image:
            assert (image.format, image.size) == (kind, size)
            image.load()
    assert (tmp_path / "b.bmp").read_bytes()[:6] == b"GIF87a"


def open_file(korvimo, path):
    before = korvimo.entries("Txt")
    korvimo.command("IDM_OPEN")
    korvimo.file_dialog(path)
    korvimo.wait_until(lambda: len(korvimo.entries("Txt")) > len(before), what=f"{path.name} opened")
    key, = set(korvimo.entries("Txt")) - set(before)
    korvimo.select(key)
    return korvimo.text1()


def test_opened_text_file_becomes_an_entry_with_crlf_line_ends(korvimo, tmp_path):
    source, empty = tmp_path / "notes.txt", tmp_path / "empty.txt"
    source.write_bytes("甲\r\n乙\rlf\nstays\r\nlast".encode("gbk"))
    empty.write_bytes(b"")
    assert open_file(korvimo, source) == "甲\r\n乙\r\nlf\nstays\r\nlast\r\n"
    assert open_file(korvimo, empty) == ""


@pytest.mark.parametrize("name, size", [("gone.txt", None), ("huge.txt", 200 << 20)])
def test_opening_a_missing_or_a_text_file_over_128_mb_adds_nothing(korvimo, tmp_path, name, size):
    if size:
        with open(tmp_path / name, "wb") as f:
            f.truncate(size)
    before = korvimo.entries("Txt")
    korvimo.command("IDM_OPEN")
    korvimo.file_dialog(tmp_path / name)
    time.sleep(2.0)
    # The dialog itself may complain about the missing name; dismiss it.
    korvimo.probe("messagebox", 500, 1, check=False)
    korvimo.probe("file-dialog", "", 0, 500, check=False)
    started = time.monotonic()
    korvimo.settle()
    assert time.monotonic() - started < 10
    assert korvimo.entries("Txt") == before and korvimo.process.poll() is None


def test_gif_too_wide_writes_nothing_and_keeps_the_old_file(korvimo, tmp_path):
    target = tmp_path / "wide.gif"
    target.write_bytes(b"old picture")
    korvimo.select(korvimo.copy(bitmap=(32768, 1, 3)))
    korvimo.save(target, 2)
    korvimo.message_box(IDYES, 15000)
    time.sleep(2.0)
    korvimo.settle()
    assert target.read_bytes() == b"old picture"
    assert os.listdir(tmp_path) == ["wide.gif"]  # no temporary file left
    assert korvimo.count("KorvimoSaving") == 0 and korvimo.process.poll() is None


@pytest.fixture
def full_disk(tmp_path):
    """A 64 KB file system, mounted for the test (needs the right to mount)."""
    mount_point = tmp_path / "small"
    mount_point.mkdir()
    if subprocess.run(["mount", "-t", "tmpfs", "-o", "size=64k", "tmpfs", str(mount_point)],
                      stderr=subprocess.DEVNULL).returncode != 0:
        pytest.skip("cannot mount a small file system here")
    yield mount_point
    subprocess.run(["umount", "-l", str(mount_point)])


# Where the old file is, its name, whether we are asked to replace it.
@pytest.mark.parametrize("place, name, asked", [
    ("full_disk", "old.txt", True),  # the partial copy must go too
    ("tmp_path", "locked.txt", True),  # made read-only below
    ("tmp_path", ".hidden.txt", False),  # Wine shows dot files as hidden
    ("tmp_path", "shelf", False),  # a folder: the dialog may open it instead
], ids=["full disk", "read-only file", "hidden file", "folder"])
def test_save_that_cannot_replace_the_file_keeps_it(korvimo, request, place, name, asked):
    folder = request.getfixturevalue(place)
    target = folder / name
    if name == "shelf":
        target.mkdir()
        target = target / "inside.txt"
    target.write_bytes(b"old content")
    if name == "locked.txt":
        target.chmod(0o444)  # Wine shows it as a read-only file
    korvimo.select(korvimo.copy(text=f"满{name}" * 20_000))
    korvimo.save(folder / name)
    if asked:
        assert korvimo.message_box(IDYES, 15000)[0] == REPLACE
    time.sleep(1.5)
    if name == "shelf":  # a dialog that would not take a folder's name is cancelled
        korvimo.probe("file-dialog", "", 0, 0, check=False)
    korvimo.settle()
    assert korvimo.count("#32770") == 0
    assert target.read_bytes() == b"old content"
    assert os.listdir(folder) == [name] and os.listdir(target.parent) == [target.name]
    assert korvimo.process.poll() is None


def test_clipboard_held_after_changes_loses_nothing_after_the_hold(wine, korvimo, tmp_path):
    """Another program grabs the clipboard for 300 ms right after every second
    change. The change it races may be missed (Korvimo gives up after about
    100 ms); the change after the hold must be recorded, and Korvimo must keep
    answering."""
    rounds = 5
    before = korvimo.entries("Txt")
    ready = tmp_path / "ready"
    holder = subprocess.Popen([wine.wine, wine.probe_exe, "hold-on-change", "300", str(rounds),
                               windows_path(ready)])
    try:
        korvimo.wait_until(ready.exists, timeout=30, what="the holder")
        for i in range(rounds):
            wine.set_clipboard(text=f"raced {i}")
            time.sleep(0.05)
            started = time.monotonic()
            wine.set_clipboard(text=f"after hold {i}")  # waits for the holder to let go
            korvimo.settle()
            assert time.monotonic() - started < 10, "Korvimo stopped answering"
        assert holder.wait(timeout=30) == 0
    finally:
        if holder.poll() is None:
            holder.kill()
            holder.wait()
    texts = []
    for key in [key for key in korvimo.entries("Txt") if key not in before]:
        korvimo.select(key)
        korvimo.settle()
        texts.append(korvimo.text1())
    # Each once, in order; every change after a hold among them.
    raced, after = [f"raced {i}" for i in range(rounds)], [f"after hold {i}" for i in range(rounds)]
    assert [t for t in texts if t in after] == after
    assert texts == sorted(set(texts), key=texts.index) and set(texts) <= set(raced + after)
    assert korvimo.process.poll() is None
