"""Capture from the clipboard, seen from outside: another process copies, the
tree grows; content that its owner marks as private never enters it."""
import re
import subprocess
import time

import pytest

from korvimo_driver import IDOK, wait_until, windows_path

PRIVATE = "ExcludeClipboardContentFromMonitorProcessing"


def test_copied_text_appears_under_the_text_root_with_its_time(korvimo):
    assert korvimo.copy(text="第一段文字 first") == "Txt0"
    assert [(d, k) for d, k, _, _ in korvimo.tree()] == [(0, "M"), (1, "T"), (2, "Txt0"), (1, "P")]
    assert re.fullmatch(r"\d{1,2}:\d{2}:\d{2}", korvimo.label("Txt0"))
    korvimo.select("Txt0")
    assert korvimo.text1() == "第一段文字 first"


def test_text_and_bitmap_in_one_change_give_both_entries(korvimo):
    pictures = korvimo.entries("Pic")
    korvimo.copy(text="caption", bitmap=(40, 30, 1))
    assert len(korvimo.entries("Pic")) == len(pictures) + 1


@pytest.mark.parametrize("clipboard, mark", [
    (dict(text="s3cret"), PRIVATE),
    (dict(text="s3cret"), "CanIncludeInClipboardHistory=0"),
    (dict(text="s3cret"), "Clipboard Viewer Ignore"),
    (dict(text="pw", bitmap=(20, 20, 5)), PRIVATE),
])
def test_marked_content_is_not_recorded_but_the_same_unmarked_is(wine, korvimo, clipboard, mark):
    clipboard = dict(clipboard, text=clipboard["text"] + mark)
    before = korvimo.entries("Txt"), korvimo.entries("Pic")
    wine.set_clipboard()
    korvimo.wait_until(lambda: korvimo.state()["tray.icon"] == "102", what="tray shows an empty clipboard")
    wine.set_clipboard(**clipboard, marks=[mark])
    korvimo.wait_until(lambda: korvimo.state()["tray.icon"] == "101", what="tray shows data")
    time.sleep(0.5)
    assert (korvimo.entries("Txt"), korvimo.entries("Pic")) == before
    # Nor does it become the newest text, which the same text unmarked would repeat.
    korvimo.copy(**clipboard)


def test_history_allowed_value_one_is_recorded(korvimo):
    korvimo.copy(text="fine to keep", marks=["CanIncludeInClipboardHistory=1"])


def test_a_second_start_is_refused_with_a_message(wine, korvimo):
    second = wine.start(wait=False)
    assert korvimo.message_box(IDOK)[0] == "程序已运行！"
    assert second.wait(timeout=20) == 0
    assert korvimo.count("KorvimoMain", anywhere=True) == 1
    assert len(korvimo.probe("tray-icons").splitlines()) == 1


def test_start_records_the_clipboard_and_an_earlier_viewer_keeps_its_notices(wine, start_korvimo, tmp_path):
    count_file = tmp_path / "notices"
    viewer = subprocess.Popen([wine.wine, wine.probe_exe, "viewer", windows_path(count_file), "60"])

    def notices():
        try:
            return int(count_file.read_text() or 0)
        except (FileNotFoundError, ValueError):
            return -1

    try:
        wait_until(lambda: notices() >= 0, timeout=20, what="the earlier viewer")
        wine.set_clipboard(text="there before us")
        korvimo = start_korvimo()
        assert korvimo.entries("Txt") == ["Txt0"] and korvimo.state()["tray.icon"] == "101"
        korvimo.select("Txt0")
        assert korvimo.text1() == "there before us"

        before = notices()
        korvimo.copy(text="seen by both")
        korvimo.wait_until(lambda: notices() > before, what="the earlier viewer's notice")
        korvimo.close()
        assert korvimo.process.returncode == 0
        after_exit = notices()
        wine.set_clipboard(text="seen by the other one only")
        korvimo.wait_until(lambda: notices() > after_exit, what="a notice after we left the chain")
    finally:
        viewer.kill()
        viewer.wait()
