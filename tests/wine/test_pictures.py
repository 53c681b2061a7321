"""Many pictures in one run: every one recorded, shown and saved with exactly
the pixels copied, whatever the DIB's layout, and no file left behind."""
import io
import os
import shutil
import struct
from pathlib import Path

import pytest
from PIL import Image

from korvimo_driver import IDS, Korvimo, windows_path

COUNT = 150
EVERY = 37  # samples 0, 37, 74, 111, 148: each of the probe's four DIB layouts
WIDTH, HEIGHT = 320, 240


def temp_folder():
    """The user's temporary folder in the Wine prefix (where Wine versions put it)."""
    users = Path(os.environ["WINEPREFIX"]) / "drive_c" / "users"
    return next(folder for pattern in ("*/AppData/Local/Temp", "*/Temp") for folder in users.glob(pattern))


def picture_folders():
    return list(temp_folder().glob("korvimo-pictures-*"))


def dib_pixels(dib):
    """The RGB pixels of a packed DIB, top row first."""
    header, = struct.unpack_from("<I", dib)
    width, height, _, bits, compression = struct.unpack_from("<iiHHI", dib, 4)
    colours = struct.unpack_from("<I", dib, 32)[0] or (1 << bits if bits <= 8 else 0)
    offset = 14 + header + (12 if compression == 3 and header == 40 else 0) + 4 * colours
    if bits != 16:
        file = b"BM" + struct.pack("<IHHI", 14 + len(dib), 0, 0, offset) + dib
        return Image.open(io.BytesIO(file)).convert("RGB").tobytes()
    # 5-6-5 pixels widen to 8 bits by repeating their top bits, as GDI does
    # (PIL rounds differently).
    stride, rows, out = (width * 2 + 3) // 4 * 4, [], bytearray()
    for y in range(height):
        rows.append(dib[offset - 14 + y * stride:offset - 14 + y * stride + width * 2])
    for row in reversed(rows):
        for v, in struct.iter_unpack("<H", row):
            r, g, b = v >> 11, v >> 5 & 63, v & 31
            out += bytes((r << 3 | r >> 2, g << 2 | g >> 4, b << 3 | b >> 2))
    return bytes(out)


@pytest.fixture(scope="module")
def run(wine, tmp_path_factory):
    """One Korvimo for the module, started over the folders of two earlier
    runs, one of them crashed, and with a budget of 1 MB, so that most
    pictures of the run go to files."""
    temp = temp_folder()
    crashed, shared = temp / "korvimo-pictures-1-1", temp / "korvimo-pictures-1-2"
    for folder in (crashed, shared):
        folder.mkdir(exist_ok=True)
        (folder / "run.lock").write_bytes(b"")
        (folder / "1f.kvz").write_bytes(b"picture")
    (shared / "notes.txt").write_bytes(b"not ours")
    wine.empty_clipboard()
    os.environ["KORVIMO_TEST_PICTURE_BUDGET"] = str(1 << 20)
    try:
        korvimo = Korvimo(wine, wine.start())
    finally:
        del os.environ["KORVIMO_TEST_PICTURE_BUDGET"]
    yield korvimo, crashed, shared, tmp_path_factory.mktemp("pictures")
    korvimo.close()
    shutil.rmtree(shared, ignore_errors=True)


def test_start_removes_what_a_crashed_run_left_and_nothing_else(run):
    _, crashed, shared, _ = run
    assert not crashed.exists()
    assert sorted(p.name for p in shared.iterdir()) == ["notes.txt"]


def test_every_picture_recorded_samples_saved_exactly_and_the_folder_removed(run):
    korvimo, _, shared, tmp_path = run
    out = korvimo.probe("pictures", COUNT, WIDTH, HEIGHT, "mixed", windows_path(tmp_path), EVERY, timeout=600)
    assert f"set={COUNT} recorded={COUNT} " in out
    assert korvimo.entries("Pic") == [f"Pic{i}" for i in range(COUNT)]
    ours = [folder for folder in picture_folders() if folder != shared]
    assert len(ours) == 1

    for i in range(0, COUNT, EVERY):
        korvimo.select(f"Pic{i}")
        korvimo.settle()
        assert korvimo.state()["image1.visible"] == "1"
        assert korvimo.probe("rect", IDS["IDC_IMAGE1"]).split()[2:] == [str(WIDTH), str(HEIGHT)]
        target = tmp_path / f"saved{i}.bmp"
        korvimo.command("IDM_SAVE")
        korvimo.file_dialog(target, 1)
        korvimo.wait_for_file(target)
        expected = dib_pixels((tmp_path / f"pic{i}.dib").read_bytes())
        assert Image.open(target).convert("RGB").tobytes() == expected, f"Pic{i}"

    # Deleting an entry gives its file back at once.
    spilled = lambda: len(list(ours[0].glob("*.kvz")))
    before = spilled()
    korvimo.select(f"Pic{COUNT - 1}")
    korvimo.command("IDM_DELETE")
    assert spilled() == before - 1

    korvimo.close()
    assert picture_folders() == [shared]
