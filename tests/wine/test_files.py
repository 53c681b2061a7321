"""Saving entries to files and opening text files through the real dialogs, and the faults around
them: each ends with a clear, safe outcome, the program still running and no dialog left up."""
import codecs
import os
import subprocess
import time

import pytest
from korvimo_driver import IDCANCEL, IDNO, IDOK, IDYES

REPLACE = "文件已存在，是否替换？"


@pytest.mark.parametrize("name, size", [("gone.txt", None), ("huge.txt", 200 << 20)])
def test_opening_a_missing_or_a_text_file_over_128_mb_says_so_and_adds_nothing(korvimo, tmp_path, name, size):
    if size:
        with open(tmp_path / name, "wb") as f:
            f.truncate(size)
    before = korvimo.entries("Txt")
    korvimo.command("IDM_OPEN")
    korvimo.file_dialog(tmp_path / name)
    assert korvimo.message_box(IDOK)[:2] == ("打开失败！", [IDOK])
    korvimo.settle()
    assert korvimo.entries("Txt") == before and korvimo.process.poll() is None


def test_texts_outside_the_code_page_save_as_utf8_when_asked_and_every_text_opens_whole(korvimo, wine, tmp_path):
    emoji = "emoji 😀 한국어 ü é ñ €"
    korvimo.select(korvimo.copy(text=emoji))
    korvimo.save(tmp_path / "emoji")  # typed without the type's extension
    assert korvimo.message_box(IDYES)[1] == [IDCANCEL, IDYES, IDNO]
    korvimo.wait_for_file(tmp_path / "emoji.txt")
    assert (tmp_path / "emoji.txt").read_bytes() == codecs.BOM_UTF8 + emoji.encode()
    hello = "Hello 😀 世界\r\n行"
    for path, text in ((tmp_path / "emoji.txt", emoji), (wine.file("plain8.txt", hello.encode()), hello),
                       (wine.file("le.txt", codecs.BOM_UTF16_LE + hello.encode("utf-16-le")), hello)):
        korvimo.select(korvimo.open(path))
        assert korvimo.text1() == text + "\r\n"
    nuls = wine.file("nuls.txt", "甲\0乙\r\n\0\r\n".encode("gbk"))  # kept whole, whatever the box shows
    korvimo.select(korvimo.open(nuls))
    korvimo.save(tmp_path / "nuls.txt")
    korvimo.wait_for_file(tmp_path / "nuls.txt")
    assert (tmp_path / "nuls.txt").read_bytes() == nuls.read_bytes()


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
# asked), what becomes of the old file.
@pytest.mark.parametrize("place, name, answer, outcome", [
    ("tmp_path", "declined.txt", IDNO, "kept"),
    ("tmp_path", "replaced.txt", IDYES, "replaced"),  # with the text unchanged, each line end as it was
    ("full_disk", "old.txt", IDYES, "failed"),  # the partial copy must go too
    ("tmp_path", "locked.txt", IDYES, "failed"),  # made read-only below
    ("tmp_path", ".hidden.txt", None, "failed"),  # Wine shows dot files as hidden
    ("tmp_path", "shelf", None, "kept"),  # a folder: the dialog may open it instead
], ids=["declined", "replaced", "full disk", "read-only file", "hidden file", "folder"])
def test_save_over_a_file_replaces_it_only_when_told_to_and_able(korvimo, request, place, name, answer, outcome):
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
    if outcome == "failed":
        assert korvimo.message_box(IDOK)[:2] == ("保存失败！", [IDOK])
    time.sleep(1.5)
    if name == "shelf":  # a dialog that would not take a folder's name is cancelled
        korvimo.probe("file-dialog", "", 0, 0, check=False)
    korvimo.settle()
    assert korvimo.count("#32770") == 0
    assert target.read_bytes() == (text.encode("gbk") if outcome == "replaced" else b"old content")
    assert os.listdir(folder) == [name] and os.listdir(target.parent) == [target.name]
    assert korvimo.process.poll() is None
