"""Many pictures in one run: every one recorded, shown and saved with exactly
the pixels copied, whatever the DIB's layout, and no file left behind."""
import io
import os
import random
import shutil
import struct
from pathlib import Path

import pytest
from PIL import Image

from korvimo_driver import Korvimo

COUNT, EVERY = 24, 5  # the samples 0, 5, 10, 15, 20 cover each of the four layouts
WIDTH, HEIGHT = 320, 240  # rows of any layout a whole number of 4-byte words


def dib(seed, bits, levels=None):
    """A packed DIB of noise (it does not compress, so the memory budget
    fills): 32 bits bottom-up, 24 bits top-down, 8 bits with a colour table
    or 16 bits 5-6-5 with colour masks, as screenshot tools and image editors
    put them on the clipboard. `levels`: the only byte values to use."""
    noise = random.Random(seed)
    if levels:
        pixels = bytearray(noise.choice(levels) for _ in range(WIDTH * HEIGHT * 4))
    else:
        pixels = bytearray(noise.randbytes(WIDTH * HEIGHT * bits // 8))
    table = {8: bytearray(noise.randbytes(1024)), 16: struct.pack("<3I", 0xF800, 0x07E0, 0x001F)}.get(bits, b"")
    if bits == 32:
        pixels[3::4] = bytes(WIDTH * HEIGHT)  # the reserved byte of each pixel
    if bits == 8:
        table[3::4] = bytes(256)  # and of each colour
    height, compression = -HEIGHT if bits == 24 else HEIGHT, 3 if bits == 16 else 0
    return struct.pack("<IiiHHI20x", 40, WIDTH, height, 1, bits, compression) + bytes(table) + bytes(pixels)


def dib_pixels(dib):
    """The RGB pixels of a packed DIB, top row first."""
    bits, = struct.unpack_from("<H", dib, 14)
    if bits != 16:
        offset = 14 + 40 + (1024 if bits == 8 else 0)
        file = b"BM" + struct.pack("<IHHI", 14 + len(dib), 0, 0, offset) + dib
        return Image.open(io.BytesIO(file)).convert("RGB").tobytes()
    # 5-6-5 pixels widen to 8 bits by repeating their top bits, as GDI does
    # (PIL rounds differently).
    rows = [dib[52 + y * WIDTH * 2:52 + (y + 1) * WIDTH * 2] for y in range(HEIGHT)]
    out = bytearray()
    for row in reversed(rows):
        for v, in struct.iter_unpack("<H", row):
            r, g, b = v >> 11, v >> 5 & 63, v & 31
            out += bytes((r << 3 | r >> 2, g << 2 | g >> 4, b << 3 | b >> 2))
    return bytes(out)


def temp_folder():
    """The user's temporary folder in the Wine prefix (where Wine versions put it)."""
    users = Path(os.environ["WINEPREFIX"]) / "drive_c" / "users"
    return next(folder for pattern in ("*/AppData/Local/Temp", "*/Temp") for folder in users.glob(pattern))


def picture_folders():
    return sorted(temp_folder().glob("korvimo-pictures-*"))


@pytest.fixture(scope="module")
def korvimo(wine):
    """One Korvimo for the module, started over the folders of two earlier
    runs, one of them crashed, and with a budget of 1 MB, so that most
    pictures of the run go to files."""
    temp = temp_folder()
    for name in ("korvimo-pictures-1-1", "korvimo-pictures-1-2"):
        (temp / name).mkdir(exist_ok=True)
        (temp / name / "run.lock").write_bytes(b"")
        (temp / name / "1f.kvz").write_bytes(b"picture")
    (temp / "korvimo-pictures-1-2" / "notes.txt").write_bytes(b"not ours")
    wine.set_clipboard()
    with pytest.MonkeyPatch.context() as env:
        env.setenv("KORVIMO_TEST_PICTURE_BUDGET", str(1 << 20))
        korvimo = Korvimo(wine, wine.start())
    yield korvimo
    korvimo.close()
    shutil.rmtree(temp / "korvimo-pictures-1-2", ignore_errors=True)


def test_start_removes_what_a_crashed_run_left_and_nothing_else(korvimo):
    shared = [folder for folder in picture_folders() if folder.name == "korvimo-pictures-1-2"]
    assert [folder.name for folder in picture_folders() if folder.name.endswith("-1-1")] == []
    assert [p.name for p in shared[0].iterdir()] == ["notes.txt"]


def test_every_picture_recorded_samples_saved_exactly_and_the_folder_removed(korvimo, tmp_path):
    shared = [folder for folder in picture_folders() if folder.name == "korvimo-pictures-1-2"]
    samples = {}
    for i in range(COUNT):
        picture = dib(i, (32, 24, 8, 16)[i % 4])
        assert korvimo.copy(dib=picture) == f"Pic{i}"
        samples[i] = dib_pixels(picture) if i % EVERY == 0 else None
    assert korvimo.entries("Pic") == [f"Pic{i}" for i in range(COUNT)]
    ours, = set(picture_folders()) - set(shared)

    def save(key, filter_index, name):
        korvimo.select(key)
        korvimo.settle()
        korvimo.save(tmp_path / name, filter_index)
        korvimo.wait_for_file(tmp_path / name)
        return Image.open(tmp_path / name).convert("RGB").tobytes()

    for i in range(0, COUNT, EVERY):
        assert save(f"Pic{i}", 1, f"saved{i}.bmp") == samples[i], f"Pic{i}"
        assert korvimo.shown() == (False, True) and korvimo.rect("IDC_IMAGE1")[2:] == (WIDTH, HEIGHT)
    # A GIF holds exactly the colours of the 125-colour cube it reduces to.
    cube = dib(COUNT, 32, levels=(0, 64, 128, 192, 255))
    assert save(korvimo.copy(dib=cube), 2, "cube.gif") == dib_pixels(cube)

    # Deleting an entry gives its file back at once.
    spilled = lambda: len(list(ours.glob("*.kvz")))
    before = spilled()
    korvimo.select(f"Pic{COUNT - 1}")
    korvimo.command("IDM_DELETE")
    assert spilled() == before - 1

    korvimo.close()
    assert picture_folders() == shared
