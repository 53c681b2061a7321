"""Saving entries to files and opening text files through the real dialogs, and the faults around
them: each ends with a clear, safe outcome, the program still running and no dialog left up."""
import os
import subprocess
import time

import pytest
from korvimo_driver import IDNO, IDYES

REPLACE = "文件已存在，是否替换？"


@pytest.mark.parametrize("name, size", [("gone.txt", None), ("huge.txt", 200 << 20)])
def test_opening_a_missing_or_a_text_file_over_128_mb_adds_nothing(korvimo, tmp_path, name, size):
    if size:
        with open(tmp_path / name, "wb") as f:
            f.truncate(size)
    before = korvimo.entries("Txt")
    korvimo.command("IDM_OPEN")
    korvimo.file_dialog(tmp_path / name)
    time.sleep(2.0)
    korvimo.probe("file-dialog", "", 0, 500, check=False)  # a dialog that would not take the name
    started = time.monotonic()
    korvimo.settle()
    assert time.monotonic() - started < 10
    assert korvimo.entries("Txt") == before and korvimo.process.poll() is None


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


# Where the old file is, its name, the answer to the question whether to replace it (None: not
# asked), whether the old file stays.
@pytest.mark.parametrize("place, name, answer, kept", [
    ("tmp_path", "declined.txt", IDNO, True),
    ("tmp_path", "replaced.txt", IDYES, False),  # with the text unchanged, each line end as it was
    ("full_disk", "old.txt", IDYES, True),  # the partial copy must go too
    ("tmp_path", "locked.txt", IDYES, True),  # made read-only below
    ("tmp_path", ".hidden.txt", None, True),  # Wine shows dot files as hidden
    ("tmp_path", "shelf", None, True),  # a folder: the dialog may open it instead
], ids=["declined", "replaced", "full disk", "read-only file", "hidden file", "folder"])
def test_save_over_a_file_replaces_it_only_when_told_to_and_able(korvimo, request, place, name, answer, kept):
    folder = request.getfixturevalue(place)
    target = folder / name
    if name == "shelf":
        target.mkdir()
        target = target / "inside.txt"
    target.write_bytes(b"old content")
    if name == "locked.txt":
        target.chmod(0o444)  # Wine shows it as a read-only file
    text = f"满{name}\r\nlf\nlone cr\rend" * 5_000  # more than the full disk holds
    korvimo.select(korvimo.copy(text=text))
    korvimo.save(folder / name)
    if answer:
        assert korvimo.message_box(answer, 15)[:2] == (REPLACE, [IDYES, IDNO])
    time.sleep(1.5)
    if name == "shelf":  # a dialog that would not take a folder's name is cancelled
        korvimo.probe("file-dialog", "", 0, 0, check=False)
    korvimo.settle()
    assert korvimo.count("#32770") == 0
    assert target.read_bytes() == (b"old content" if kept else text.encode("gbk"))
    assert os.listdir(folder) == [name] and os.listdir(target.parent) == [target.name]
    assert korvimo.process.poll() is None
