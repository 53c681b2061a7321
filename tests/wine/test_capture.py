"""Capture from the clipboard, seen from outside: another process copies, the
tree grows; content that its owner marks as private never enters it."""
import contextlib
import re
import subprocess
import time

import pytest

from korvimo_driver import IDOK, wait_until, windows_path

PRIVATE = "ExcludeClipboardContentFromMonitorProcessing"


@contextlib.contextmanager
def viewer(wine, count_file, *how):
    """Another clipboard viewer, run by kvprobe (how: a hold in ms, swallow or hang); yields its notice count."""
    process = subprocess.Popen([wine.wine, wine.probe_exe, "viewer", windows_path(count_file), "120",
                                *map(str, how)])

    def notices():
        return int(count_file.read_text() or 0)  # empty while it writes

    try:
        wait_until(count_file.exists, timeout=30, what="the other viewer")  # written once it listens
        yield notices
    finally:
        process.kill()
        process.wait()


@pytest.mark.parametrize("clipboard, mark", [
    (dict(text="s3cret"), PRIVATE),
    (dict(text="pw", bitmap=(20, 20, 5)), "CanIncludeInClipboardHistory=0"),
])
def test_marked_content_is_not_recorded_but_the_same_allowed_is(wine, korvimo, clipboard, mark):
    before = korvimo.entries("Txt"), korvimo.entries("Pic")
    wine.set_clipboard()
    korvimo.wait_until(lambda: korvimo.tray_picture() == 102, what="tray shows an empty clipboard")
    wine.set_clipboard(**clipboard, marks=[mark])
    korvimo.wait_until(lambda: korvimo.tray_picture() == 101, what="tray shows data")
    time.sleep(0.5)
    assert (korvimo.entries("Txt"), korvimo.entries("Pic")) == before
    # Nor does it become the newest text, which the same text allowed in the history would repeat.
    korvimo.copy(**clipboard, marks=["CanIncludeInClipboardHistory=1"])


def test_clipboard_held_after_changes_loses_nothing_after_the_hold(wine, korvimo, tmp_path):
    """Another viewer grabs the clipboard for 300 ms on every second change, before Korvimo hears of it. The change
    it races may be missed (Korvimo gives up after about 100 ms); the next one is recorded, and Korvimo answers."""
    before = korvimo.entries("Txt")
    raced, after = [f"raced {i}" for i in range(5)], [f"after hold {i}" for i in range(5)]
    with viewer(wine, tmp_path / "notices", 300) as notices:
        for text in (t for pair in zip(raced, after) for t in pair):
            started = time.monotonic()
            wine.set_clipboard(text=text)  # after a hold, waits for the holder to let go
            korvimo.settle()
            assert time.monotonic() - started < 10, "Korvimo stopped answering"
        korvimo.wait_until(lambda: notices() == 10, what="every change seen by the holder")
    texts = [korvimo.select(key) or korvimo.text1() for key in korvimo.entries("Txt") if key not in before]
    # Each once, in order; every change after a hold among them.
    assert [t for t in texts if t in after] == after
    assert texts == sorted(set(texts), key=texts.index) and set(texts) <= set(raced + after)


def test_a_second_start_is_refused_with_a_message(wine, korvimo):
    second = wine.start(wait=False)
    assert korvimo.message_box(IDOK)[0] == "程序已运行！"
    assert second.wait(timeout=20) == 0
    assert len(korvimo.tray_icons()) == 1  # ours, and no icon left by the refused one


def test_start_records_the_clipboard_and_an_earlier_viewer_keeps_its_notices(wine, start_korvimo, tmp_path):
    with viewer(wine, tmp_path / "notices") as notices:
        wine.set_clipboard(text="there before us")
        korvimo = start_korvimo()
        assert [(d, k) for d, k, _, _ in korvimo.tree()] == [(0, "M"), (1, "T"), (2, "Txt0"), (1, "P")]
        assert korvimo.tray_picture() == 101
        assert re.fullmatch(r"\d{1,2}:\d{2}:\d{2}", korvimo.label("Txt0"))  # the time it was copied
        assert korvimo.select("Txt0") or korvimo.text1() == "there before us"

        before = notices()
        korvimo.copy(text="seen by both")
        korvimo.wait_until(lambda: notices() > before, what="the earlier viewer's notice")
        korvimo.close()
        after_exit = notices()
        wine.set_clipboard(text="seen by the other one only")
        korvimo.wait_until(lambda: notices() > after_exit, what="a notice after we left the chain")


@pytest.mark.parametrize("how", ["swallow", "hang"])
def test_a_viewer_that_passes_nothing_on_or_hangs_costs_no_copy_and_no_input(wine, start_korvimo, tmp_path, how):
    """One after Korvimo passes no notice on, or one before it, which Korvimo passes notices to, stops answering:
    every copy is still recorded, and clicks (they wait for Korvimo's message loop, sent messages do not) work."""
    korvimo = start_korvimo() if how == "swallow" else None
    with viewer(wine, tmp_path / "notices", how) as notices:
        korvimo = korvimo or start_korvimo()
        for text in (texts := [f"{how} {i}" for i in range(4)]):
            korvimo.copy(text=text)
        assert [korvimo.click_node(key) or korvimo.text1() for key in korvimo.entries("Txt")[-4:]] == texts
        assert notices() == (4 if how == "swallow" else 0)
