"""Capture from the clipboard, seen from outside: another process copies, the tree grows."""
import re
import subprocess
import time

from korvimo_driver import windows_path

TIME_LABEL = re.compile(r"^\d{1,2}:\d{2}:\d{2}$")


# The tests share one Korvimo: each looks only at the entries it adds; the
# first two see it as it started, and closing it comes last.
ONE_SESSION = True


def test_start_with_an_empty_clipboard(korvimo):
    assert korvimo.state()["tray.icon"] == "102"
    assert korvimo.keys() == ["M", "T", "P"]
    # Nothing is selected: the entry commands wait for a selection.
    assert korvimo.entry_buttons() == (False, False, False)
    for name in ("IDB_TOOL_OPEN", "IDB_TOOL_SETTINGS", "IDB_TOOL_HELP"):
        assert korvimo.button_enabled(name), name


def test_copied_text_appears_under_the_text_root_with_its_time(korvimo):
    assert korvimo.copy(text="第一段文字 first") == "Txt0"
    tree = korvimo.tree()
    assert [(d, k) for d, k, _, _ in tree] == [(0, "M"), (1, "T"), (2, "Txt0"), (1, "P")]
    assert [label for _, _, label, _ in tree[:2]] == ["全部", "文本"]
    assert TIME_LABEL.match(korvimo.label("Txt0"))
    korvimo.select("Txt0")
    assert korvimo.text1() == "第一段文字 first"


def test_duplicates_are_only_the_same_text_twice_in_a_row(wine, korvimo):
    before = korvimo.entries("Txt")
    for text in ["a", "a", "b", "a", "A", "A "]:
        wine.set_clipboard(text=text)
        time.sleep(0.2)
    korvimo.wait_until(lambda: len(korvimo.entries("Txt")) >= len(before) + 5, what="5 new text entries")
    time.sleep(0.3)  # nothing more should come
    added = [key for key in korvimo.entries("Txt") if key not in before]
    assert len(added) == 5
    korvimo.select(added[-1])
    assert korvimo.text1() == "A "


def test_text_and_bitmap_in_one_change_give_both_entries(wine, korvimo):
    pictures = korvimo.entries("Pic")
    korvimo.copy(text="caption", bitmap=(40, 30, 1))
    assert len(korvimo.entries("Pic")) == len(pictures) + 1
    assert korvimo.state()["tray.icon"] == "101"
    korvimo.copy(bitmap=(40, 30, 2))
    assert len(korvimo.entries("Pic")) == len(pictures) + 2


def test_emptied_clipboard_shows_the_empty_tray_picture_and_records_nothing(korvimo):
    korvimo.copy(text="x")
    assert korvimo.state()["tray.icon"] == "101"
    texts = korvimo.entries("Txt")
    korvimo.command("IDM_CLEAN")
    korvimo.wait_until(lambda: korvimo.state()["tray.icon"] == "102", what="empty tray picture")
    assert korvimo.entries("Txt") == texts


def test_a_second_start_is_refused_with_a_message(wine, korvimo):
    second = wine.start(wait=False)
    box = wine.probe("messagebox", 20000)
    assert "text=程序已运行！" in box
    wine.probe("answer", 1, 5000)
    assert second.wait(timeout=20) == 0
    assert wine.main_window_count() == 1
    assert len(wine.probe("tray-icons").splitlines()) == 1


def test_closing_ends_the_process(korvimo):
    korvimo.probe("close")
    assert korvimo.process.wait(timeout=20) == 0


def test_start_records_what_the_clipboard_holds(wine, start_korvimo):
    wine.set_clipboard(text="there before us")
    korvimo = start_korvimo()
    assert korvimo.entries("Txt") == ["Txt0"]
    assert korvimo.state()["tray.icon"] == "101"
    korvimo.select("Txt0")
    assert korvimo.text1() == "there before us"


def test_an_earlier_viewer_keeps_receiving_notices_after_we_leave(wine, start_korvimo, tmp_path):
    wine.empty_clipboard()
    count_file = tmp_path / "notices"
    viewer = subprocess.Popen([wine.wine, wine.probe_exe, "viewer", windows_path(count_file), "60"])
    try:
        def notices():
            try:
                return int(count_file.read_text() or 0)
            except (FileNotFoundError, ValueError):
                return -1

        deadline = time.monotonic() + 20
        while notices() < 0 and time.monotonic() < deadline:
            time.sleep(0.1)
        korvimo = start_korvimo()
        before = notices()
        wine.set_clipboard(text="seen by both")
        korvimo.wait_until(lambda: notices() > before, what="the earlier viewer's notice")
        assert korvimo.entries("Txt") == ["Txt0"]

        korvimo.close()
        after_exit = notices()
        wine.set_clipboard(text="seen by the other one only")
        korvimo.wait_until(lambda: notices() > after_exit, what="a notice after we left the chain")
    finally:
        viewer.kill()
        viewer.wait()
