"""Many pictures and big texts in one run: every one recorded, shown and saved with exactly
the pixels or characters copied, past the memory budget too, and no file left behind."""
import io
import random
import shutil
import struct
import time

import pytest
from PIL import Image

from korvimo_driver import IDS, TRAY, temp_folder, windows_path

ES_READONLY = 0x0800

COUNT, EVERY = 12, 3  # the samples 0, 3, 6, 9 cover both layouts
WIDTH, HEIGHT = 320, 240


def dib(seed, bits, levels=None):
    """A packed DIB of noise (it does not compress, so the memory budget fills): 32 bits bottom-up or
    24 bits top-down, as screenshot tools put them on the clipboard; `levels`: the byte values used."""
    noise = random.Random(seed)
    size = WIDTH * HEIGHT * bits // 8
    pixels = bytearray(noise.choice(levels) for _ in range(size)) if levels else bytearray(noise.randbytes(size))
    if bits == 32:
        pixels[3::4] = bytes(WIDTH * HEIGHT)  # the reserved byte of each pixel
    return struct.pack("<IiiHHI20x", 40, WIDTH, -HEIGHT if bits == 24 else HEIGHT, 1, bits, 0) + pixels


def gdi_only_dibs():
    """(name, DIB, where its pixels start) of layouts only GDI reads: 16x4 pixels of four colours run-length
    coded, and 5x3 pixels of 24 bits after a 12-byte core header."""
    rows = b"".join(bytes((5, y % 4, 11, (y + 1) % 4, 0, 0)) for y in range(4)) + b"\0\1"
    palette = bytes((0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0, 0, 9, 99, 199, 0))
    rle8 = struct.pack("<IiiHHII8xI4x", 40, 16, 4, 1, 8, 1, len(rows), 4) + palette + rows
    core = struct.pack("<IHHHH", 12, 5, 3, 1, 24) + bytes(range(0, 240, 5))
    return ("rle8", rle8, 56), ("core", core, 12)


def dib_pixels(dib, start=40):
    """The RGB pixels of a packed DIB whose pixels start at `start`, top row first."""
    file = b"BM" + struct.pack("<IHHI", 14 + len(dib), 0, 0, 14 + start) + dib
    return Image.open(io.BytesIO(file)).convert("RGB").tobytes()


def saved(korvimo, key, path, filter_index=1):
    """What a save of the entry through that filter of the dialog wrote: its format and RGB pixels."""
    korvimo.select(key)
    korvimo.save(path, filter_index)
    korvimo.wait_for_file(path)
    with Image.open(path) as image:
        return image.format, image.convert("RGB").tobytes()


def picture_folders():
    return sorted(temp_folder().glob("korvimo-pictures-*"))


@pytest.fixture(scope="module", autouse=True)
def earlier_runs():
    """The folders of two earlier runs, one of them crashed, and a budget of
    1 MB, so that most pictures of this run go to files."""
    temp = temp_folder()
    for name in ("korvimo-pictures-1-1", "korvimo-pictures-1-2"):
        (temp / name).mkdir(exist_ok=True)
        (temp / name / "run.lock").write_bytes(b"")
        (temp / name / "1f.kvz").write_bytes(b"picture")
    (temp / "korvimo-pictures-1-2" / "notes.txt").write_bytes(b"not ours")
    with pytest.MonkeyPatch.context() as env:
        env.setenv("KORVIMO_TEST_STORE_BUDGET", str(1 << 20))
        yield
    shutil.rmtree(temp / "korvimo-pictures-1-2", ignore_errors=True)


def test_crashed_run_cleaned_up_every_picture_saved_exactly_and_the_folder_removed(korvimo, tmp_path):
    # Of what a crashed run left, only what is not ours stays.
    shared = [folder for folder in picture_folders() if folder.name == "korvimo-pictures-1-2"]
    assert [folder.name for folder in picture_folders() if folder.name.endswith("-1-1")] == []
    assert [p.name for p in shared[0].iterdir()] == ["notes.txt"]

    samples = {}
    for i in range(COUNT):
        picture = dib(i, (32, 24)[i % 2])
        assert korvimo.copy(dib=picture) == f"Pic{i}"
        samples[i] = dib_pixels(picture) if i % EVERY == 0 else None
    assert korvimo.entries("Pic") == [f"Pic{i}" for i in range(COUNT)]
    ours, = set(picture_folders()) - set(shared)

    # The filter, not the name, says what to write.
    for i in range(0, COUNT, EVERY):
        assert saved(korvimo, f"Pic{i}", tmp_path / f"saved{i}.gif") == ("BMP", samples[i]), f"Pic{i}"
        assert korvimo.shown() == (False, True) and korvimo.rect("IDC_IMAGE1")[2:] == (WIDTH, HEIGHT)
    # A GIF holds exactly the colours of the 125-colour cube it reduces to.
    cube = dib(COUNT, 32, levels=(0, 64, 128, 192, 255))
    assert saved(korvimo, korvimo.copy(dib=cube), tmp_path / "cube.bmp", 2) == ("GIF", dib_pixels(cube))

    # Deleting an entry gives its file back at once.
    spilled = lambda: len(list(ours.glob("*.kvz")))
    before = spilled()
    korvimo.select(f"Pic{COUNT - 1}")
    korvimo.command("IDM_DELETE")
    assert spilled() == before - 1

    # The session's end releases everything, as the exit does.
    korvimo.probe("post", 0, 0x0016, 1, 0)  # WM_ENDSESSION, the session ending
    korvimo.process.wait(timeout=15)
    assert picture_folders() == shared


def test_big_texts_past_the_budget_go_to_files_show_in_part_read_only_and_save_back_exactly(start_korvimo, tmp_path):
    korvimo, noise = start_korvimo(), random.Random(7)
    spilled = lambda: len(list(temp_folder().glob("korvimo-pictures-*/*.kvz")))
    # Han characters at random hardly compress: two of them fill the 1 MB budget.
    texts = ["".join(chr(noise.randint(0x4E00, 0x9FA5)) for _ in range(300_000)) + f"\r\n{i}" for i in range(3)]
    keys = [korvimo.copy(text=text) for text in texts]
    assert spilled() >= 2
    for key, text in zip(keys, texts):
        korvimo.select(key)
        shown = korvimo.text1()
        assert shown.startswith("［此条目共 300003 个字符，这里只显示前 131072 个，因此只读")
        assert text.startswith(shown[shown.index("\n") + 1:]), key
        assert any(i == IDS["IDC_TEXT1"] and style & ES_READONLY for *_, i, style, _ in korvimo.windows(0))
        korvimo.save(tmp_path / f"{key}.txt")
        korvimo.wait_for_file(tmp_path / f"{key}.txt")
        assert (tmp_path / f"{key}.txt").read_bytes() == text.encode("gbk"), key
    before = spilled()
    korvimo.select(keys[2])
    korvimo.command("IDM_DELETE")
    assert spilled() == before - 1


def test_layouts_only_gdi_reads_pictures_no_folder_could_take_and_a_killed_run(start_korvimo, tmp_path):
    korvimo, temp = start_korvimo(), temp_folder()
    for name, picture, start in gdi_only_dibs():
        key = korvimo.copy(dib=picture)
        assert saved(korvimo, key, tmp_path / f"{name}.bmp") == ("BMP", dib_pixels(picture, start)), name
    # Past the budget with no folder to spill into (a file stands where it was), pictures stay in memory.
    temp.rename(temp.with_name("Temp-aside"))
    temp.write_bytes(b"")
    try:
        kept = [korvimo.copy(dib=dib(COUNT + i, 32)) for i in range(5)]
    finally:
        temp.unlink()
        temp.with_name("Temp-aside").rename(temp)
    assert saved(korvimo, kept[-1], tmp_path / "kept.bmp") == ("BMP", dib_pixels(dib(COUNT + 4, 32)))
    korvimo.copy(dib=dib(COUNT + 5, 32))
    spilled = lambda: list(temp.glob("korvimo-pictures-*/*.kvz"))
    assert spilled()
    # However the run ends, the system removes its files.
    korvimo.process.kill()
    korvimo.process.wait()
    korvimo.wait_until(lambda: not spilled(), what="the killed run's files removed")
    for icon in korvimo.tray_icons():  # the shell drops the icon it finds without its window
        korvimo.probe("real-click", *icon, "left", TRAY)
    korvimo.wait_until(lambda: not korvimo.tray_icons(), what="the killed run's tray icon gone")


def test_entries_copied_back_paste_exactly_even_after_exit_and_are_not_recorded_again(wine, start_korvimo, tmp_path):
    wine.set_clipboard()
    korvimo, picture, text, pasted = start_korvimo(), dib(COUNT + 9, 24), "复制回来 copied\r\nback", tmp_path / "dib"
    keys = [korvimo.copy(dib=picture), korvimo.copy(text=text), korvimo.copy(text="newest")]

    def paste():
        got = wine.probe("clipboard", windows_path(pasted))
        return got, pasted.read_bytes()[:len(picture)] if pasted.exists() else b""

    for key, expected in ((keys[1], (text, b"")), (keys[0], ("", picture))):
        korvimo.select(key)
        korvimo.command("IDM_COPY")
        assert paste() == expected
    time.sleep(0.5)  # time enough to record it, had it been taken as a new clip
    assert korvimo.entries("Txt") + korvimo.entries("Pic") == ["Txt0", "Txt1", "Pic0"]
    korvimo.select(keys[0])
    korvimo.command("IDM_COPY")  # a promise, kept when the program ends
    korvimo.close()
    assert paste() == ("", picture)
