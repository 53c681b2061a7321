"""Faults from outside the program: each ends with a clear, safe outcome."""
import os
import struct
import subprocess
import time

import pytest

from korvimo_driver import IDYES, windows_path

# Every test leaves the program running with no dialog up.
ONE_SESSION = True


def test_text_file_over_128_mb_is_refused_and_the_window_answers(korvimo, tmp_path):
    huge = tmp_path / "huge.txt"
    with open(huge, "wb") as f:
        f.truncate(200 * 1024 * 1024)
    before = korvimo.entries("Txt")
    korvimo.command("IDM_OPEN")
    korvimo.file_dialog(huge)
    time.sleep(2.0)
    started = time.monotonic()
    korvimo.settle()
    assert time.monotonic() - started < 10
    assert korvimo.entries("Txt") == before
    assert korvimo.process.poll() is None


def save_gif(korvimo, target, size):
    korvimo.select(korvimo.copy(bitmap=(size[0], size[1], 3)))
    korvimo.command("IDM_SAVE")
    korvimo.file_dialog(target, 2)


def test_gif_of_one_pixel_is_valid(korvimo, tmp_path):
    target = tmp_path / "one.gif"
    save_gif(korvimo, target, (1, 1))
    korvimo.wait_for_file(target)
    data = target.read_bytes()
    assert data[:6] == b"GIF87a" and struct.unpack_from("<HH", data, 6) == (1, 1)
    assert data[-1:] == b"\x3b"
    from PIL import Image
    with Image.open(target) as image:
        assert image.size == (1, 1)
        image.load()


def test_gif_too_wide_writes_nothing_and_keeps_the_old_file(korvimo, tmp_path):
    target = tmp_path / "wide.gif"
    target.write_bytes(b"old picture")
    save_gif(korvimo, target, (32768, 1))
    korvimo.probe("answer", IDYES, 15000)
    time.sleep(2.0)
    korvimo.settle()
    assert target.read_bytes() == b"old picture"
    assert sorted(os.listdir(tmp_path)) == ["wide.gif"]  # no temporary file left
    assert korvimo.probe("count-class", "KorvimoSaving").strip() == "0"
    assert korvimo.process.poll() is None


def save_text(korvimo, text, target):
    korvimo.select(korvimo.copy(text=text))
    korvimo.command("IDM_SAVE")
    korvimo.file_dialog(target, 1)


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
], ids=["full disk", "read-only file", "hidden file"])
def test_save_that_cannot_replace_the_file_keeps_it(korvimo, request, place, name, asked):
    folder = request.getfixturevalue(place)
    target = folder / name
    target.write_bytes(b"old content")
    if name == "locked.txt":
        target.chmod(0o444)  # Wine shows it as a read-only file
    save_text(korvimo, f"满{name}" * 20_000, target)
    if asked:
        assert "text=文件已存在，是否替换？" in korvimo.probe("messagebox", 15000)
        korvimo.probe("answer", IDYES, 5000)
    time.sleep(1.0)
    korvimo.settle()
    assert korvimo.probe("wait-class", "#32770", 0, check=False) == ""
    assert target.read_bytes() == b"old content"
    assert sorted(os.listdir(folder)) == [name]
    assert korvimo.process.poll() is None


def dialog_refused_the_name(korvimo):
    """True when the file dialog is still up after OK (it would not take the
    name); it is then cancelled, as the user would."""
    time.sleep(1.5)
    if korvimo.probe("wait-class", "#32770", 0, check=False) == "":
        return False
    korvimo.file_dialog(None)
    korvimo.settle()
    return True


def test_folder_given_as_the_save_name_stays_a_folder(korvimo, tmp_path):
    folder = tmp_path / "shelf"
    folder.mkdir()
    (folder / "inside.txt").write_bytes(b"keep")
    save_text(korvimo, "not a folder", folder)
    # The dialog may open the folder instead of returning its name.
    refused = dialog_refused_the_name(korvimo)
    print(f"\nfolder as the name: {'the dialog opened it' if refused else 'the write failed'}")
    assert folder.is_dir()
    assert sorted(os.listdir(folder)) == ["inside.txt"]
    assert (folder / "inside.txt").read_bytes() == b"keep"
    assert sorted(os.listdir(tmp_path)) == ["shelf"]
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
                               windows_path(ready)], stdout=subprocess.PIPE)
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
    korvimo.settle()
    keys = [key for key in korvimo.entries("Txt") if key not in before]
    texts = []
    for key in keys:
        korvimo.select(key)
        korvimo.settle()
        texts.append(korvimo.text1())
    after = [t for t in texts if t.startswith("after hold")]
    raced = [t for t in texts if t.startswith("raced")]
    print(f"\nhold: entries={len(texts)} raced_recorded={len(raced)}/{rounds}")
    assert after == [f"after hold {i}" for i in range(rounds)]
    assert texts == sorted(set(texts), key=texts.index)  # none doubled
    assert texts == [t for t in texts if t in {f"raced {i}" for i in range(rounds)} | set(after)]
    assert korvimo.process.poll() is None
