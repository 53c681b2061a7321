"""Saving entries to files and opening text files, through the real dialogs."""
import struct
import time

from korvimo_driver import IDNO, IDYES, windows_path

# Writing a new text file in the code page is in the walkthrough.
ONE_SESSION = True


def copy_and_select(korvimo, **clipboard):
    korvimo.select(korvimo.copy(**clipboard))


def save(korvimo, target, filter_index):
    korvimo.command("IDM_SAVE")
    korvimo.file_dialog(target, filter_index)


def test_replace_question_no_keeps_and_yes_replaces_with_the_text_unchanged(korvimo, tmp_path):
    text = "第一行\r\nsecond\nthird\rend"
    copy_and_select(korvimo, text=text)
    target = tmp_path / "old.txt"
    target.write_bytes(b"old content")

    save(korvimo, target, 1)
    box = korvimo.probe("messagebox", 15000)
    assert "text=文件已存在，是否替换？" in box
    assert f"button={IDYES}" in box and f"button={IDNO}" in box
    korvimo.probe("answer", IDNO, 5000)
    korvimo.settle()
    assert target.read_bytes() == b"old content"

    save(korvimo, target, 1)
    korvimo.probe("answer", IDYES, 15000)
    korvimo.wait_until(lambda: target.read_bytes() == text.encode("gbk"), what="replaced file")


def test_cancelled_save_asks_nothing_and_writes_nothing(wine, korvimo):
    # Nowhere to write but the program's own folder, its working directory.
    before = sorted(wine.exe.parent.iterdir())
    copy_and_select(korvimo, text="unsaved")
    save(korvimo, None, 0)
    korvimo.settle()
    assert korvimo.probe("wait-class", "#32770", 1000, check=False) == ""
    assert sorted(wine.exe.parent.iterdir()) == before


def test_picture_saves_as_bitmap_or_gif_by_the_filter_alone(korvimo, tmp_path):
    copy_and_select(korvimo, bitmap=(37, 23, 4))
    as_bitmap, as_gif = tmp_path / "picture.gif", tmp_path / "picture.bmp"
    save(korvimo, as_bitmap, 1)
    korvimo.wait_for_file(as_bitmap)
    data = as_bitmap.read_bytes()
    assert data[:2] == b"BM"
    width, height = struct.unpack_from("<ii", data, 18)
    assert (width, abs(height)) == (37, 23)

    save(korvimo, as_gif, 2)
    korvimo.wait_for_file(as_gif)
    data = as_gif.read_bytes()
    assert data[:6] == b"GIF87a" and data[-1:] == b"\x3b"
    assert struct.unpack_from("<HH", data, 6) == (37, 23)


def open_file(korvimo, path):
    before = korvimo.entries("Txt")
    korvimo.command("IDM_OPEN")
    korvimo.file_dialog(path)
    korvimo.wait_until(lambda: len(korvimo.entries("Txt")) > len(before), what=f"{path.name} opened")
    key, = set(korvimo.entries("Txt")) - set(before)
    assert korvimo.label(key) == windows_path(path)
    korvimo.select(key)
    return korvimo.text1()


def test_opened_text_file_becomes_an_entry_with_crlf_line_ends(korvimo, tmp_path):
    source, empty = tmp_path / "notes.txt", tmp_path / "empty.txt"
    source.write_bytes("甲\r\n乙\rlf\nstays\r\nlast".encode("gbk"))
    empty.write_bytes(b"")
    assert open_file(korvimo, source) == "甲\r\n乙\r\nlf\nstays\r\nlast\r\n"
    assert open_file(korvimo, empty) == ""


def test_opening_a_missing_file_adds_nothing(korvimo, tmp_path):
    before = korvimo.entries("Txt")
    korvimo.command("IDM_OPEN")
    korvimo.file_dialog(tmp_path / "gone.txt")
    time.sleep(1.0)
    # The dialog itself may complain about the missing name; dismiss it.
    korvimo.probe("answer", 1, 500, check=False)
    korvimo.probe("file-dialog", "", 0, 500, check=False)
    assert korvimo.entries("Txt") == before
