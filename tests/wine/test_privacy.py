"""Content that its owner marks as private never enters the history."""
import time

import pytest

PRIVATE_MARKS = [
    "ExcludeClipboardContentFromMonitorProcessing",
    "CanIncludeInClipboardHistory=0",
    "Clipboard Viewer Ignore",
]


@pytest.mark.parametrize("mark", PRIVATE_MARKS)
def test_marked_text_is_not_recorded_but_the_same_text_unmarked_is(wine, korvimo, mark):
    wine.set_clipboard(text="s3cret", marks=[mark])
    korvimo.wait_until(lambda: korvimo.state()["tray.icon"] == "101", what="tray shows data")
    time.sleep(0.5)
    assert korvimo.entries("Txt") == []
    wine.set_clipboard(text="s3cret")
    korvimo.wait_until(lambda: korvimo.entries("Txt") == ["Txt0"], what="the unmarked copy")


def test_marked_picture_is_not_recorded(wine, korvimo):
    wine.set_clipboard(text="pw", bitmap=(20, 20, 5), marks=["ExcludeClipboardContentFromMonitorProcessing"])
    time.sleep(0.8)
    assert korvimo.entries("Txt") == [] and korvimo.entries("Pic") == []


def test_history_allowed_value_one_is_recorded(wine, korvimo):
    wine.set_clipboard(text="fine to keep", marks=["CanIncludeInClipboardHistory=1"])
    korvimo.wait_until(lambda: korvimo.entries("Txt") == ["Txt0"], what="the allowed copy")


def test_private_copy_does_not_become_the_newest_text(wine, korvimo):
    wine.set_clipboard(text="A")
    korvimo.wait_until(lambda: korvimo.entries("Txt") == ["Txt0"], what="first copy")
    wine.set_clipboard(text="P", marks=["Clipboard Viewer Ignore"])
    time.sleep(0.3)
    wine.set_clipboard(text="A")
    time.sleep(0.8)
    assert korvimo.entries("Txt") == ["Txt0"]
