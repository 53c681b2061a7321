"""Saving entries to files and opening text files, through the real dialogs."""
import struct
import time

from korvimo_driver import IDNO, IDYES, windows_path


def copy_and_select(wine, korvimo, key, **clipboard):
    wine.set_clipboard(**clipboard)
    korvimo.wait_until(lambda: key in korvimo.keys(), what=key)
    korvimo.select(key)


def test_text_entry_saves_in_the_code_page_unchanged(wine, korvimo, tmp_path):
    copy_and_select(wine, korvimo, "Txt0", text="第一行\r\nsecond\nthird\rend")
    target = tmp_path / "clip.txt"
    korvimo.command("IDM_SAVE")
    korvimo.file_dialog(target, 1)
    korvimo.wait_for_file(target)
    assert target.read_bytes() == "第一行\r\nsecond\nthird\rend".encode("gbk")


def test_replace_question_no_keeps_and_yes_replaces(wine, korvimo, tmp_path):
    copy_and_select(wine, korvimo, "Txt0", text="new content")
    target = tmp_path / "old.txt"
    target.write_bytes(b"old content")

    korvimo.command("IDM_SAVE")
    korvimo.file_dialog(target, 1)
    box = korvimo.probe("messagebox", 15000)
    assert "text=文件已存在，是否替换？" in box
    assert f"button={IDYES}" in box and f"button={IDNO}" in box
    korvimo.probe("answer", IDNO, 5000)
    korvimo.settle()
    assert target.read_bytes() == b"old content"

    korvimo.command("IDM_SAVE")
    korvimo.file_dialog(target, 1)
    korvimo.probe("answer", IDYES, 15000)
    korvimo.wait_until(lambda: target.read_bytes() == b"new content", what="replaced file")


def test_cancelled_save_asks_nothing_and_writes_nothing(wine, korvimo):
    # Nowhere to write but the program's own folder, its working directory.
    before = sorted(wine.exe.parent.iterdir())
    copy_and_select(wine, korvimo, "Txt0", text="unsaved")
    korvimo.command("IDM_SAVE")
    korvimo.file_dialog(None)
    korvimo.settle()
    assert korvimo.probe("wait-class", "#32770", 1000, check=False) == ""
    assert sorted(wine.exe.parent.iterdir()) == before


def test_picture_saves_as_bitmap_or_gif_by_the_filter_alone(wine, korvimo, tmp_path):
    copy_and_select(wine, korvimo, "Pic0", bitmap=(37, 23, 4))
    as_bitmap = tmp_path / "picture.gif"
    korvimo.command("IDM_SAVE")
    korvimo.file_dialog(as_bitmap, 1)
    korvimo.wait_for_file(as_bitmap)
    data = as_bitmap.read_bytes()
    assert data[:2] == b"BM"
    width, height = struct.unpack_from("<ii", data, 18)
    assert (width, abs(height)) == (37, 23)

    as_gif = tmp_path / "picture.bmp"
    korvimo.command("IDM_SAVE")
    korvimo.file_dialog(as_gif, 2)
    korvimo.wait_for_file(as_gif)
    data = as_gif.read_bytes()
    assert data[:6] == b"GIF87a"
    assert struct.unpack_from("<HH", data, 6) == (37, 23)
    assert data[-1:] == b"\x3b"


def test_opened_text_file_becomes_an_entry_with_crlf_line_ends(wine, korvimo, tmp_path):
    source = tmp_path / "notes.txt"
    source.write_bytes("甲\r\n乙\rlf\nstays\r\nlast".encode("gbk"))
    korvimo.command("IDM_OPEN")
    korvimo.file_dialog(source)
    korvimo.wait_until(lambda: korvimo.entries("Txt") == ["Txt0"], what="the opened entry")
    assert korvimo.label("Txt0") == windows_path(source)
    korvimo.select("Txt0")
    assert korvimo.text1() == "甲\r\n乙\r\nlf\nstays\r\nlast\r\n"

    empty = tmp_path / "empty.txt"
    empty.write_bytes(b"")
    korvimo.command("IDM_OPEN")
    korvimo.file_dialog(empty)
    korvimo.wait_until(lambda: korvimo.entries("Txt") == ["Txt0", "Txt1"], what="the empty entry")
    korvimo.select("Txt1")
    assert korvimo.text1() == ""


def test_opening_a_missing_file_adds_nothing(wine, korvimo, tmp_path):
    korvimo.command("IDM_OPEN")
    korvimo.file_dialog(tmp_path / "gone.txt")
    time.sleep(1.0)
    # The dialog itself may complain about the missing name; dismiss it.
    korvimo.probe("answer", 1, 500, check=False)
    korvimo.probe("file-dialog", "", 0, 500, check=False)
    assert korvimo.entries("Txt") == []
