"""Content that its owner marks as private never enters the history."""
import time

import pytest

ONE_SESSION = True
PRIVATE = "ExcludeClipboardContentFromMonitorProcessing"


def copy_unrecorded(wine, korvimo, **clipboard):
    before = korvimo.entries("Txt"), korvimo.entries("Pic")
    wine.empty_clipboard()
    korvimo.wait_until(lambda: korvimo.state()["tray.icon"] == "102", what="tray shows an empty clipboard")
    wine.set_clipboard(**clipboard)
    korvimo.wait_until(lambda: korvimo.state()["tray.icon"] == "101", what="tray shows data")
    time.sleep(0.5)
    assert (korvimo.entries("Txt"), korvimo.entries("Pic")) == before


@pytest.mark.parametrize("mark", [PRIVATE, "CanIncludeInClipboardHistory=0", "Clipboard Viewer Ignore"])
def test_marked_text_is_not_recorded_but_the_same_text_unmarked_is(wine, korvimo, mark):
    copy_unrecorded(wine, korvimo, text=f"s3cret {mark}", marks=[mark])
    korvimo.copy(text=f"s3cret {mark}")


def test_marked_picture_is_not_recorded(wine, korvimo):
    copy_unrecorded(wine, korvimo, text="pw", bitmap=(20, 20, 5), marks=[PRIVATE])


def test_history_allowed_value_one_is_recorded(korvimo):
    korvimo.copy(text="fine to keep", marks=["CanIncludeInClipboardHistory=1"])


def test_private_copy_does_not_become_the_newest_text(wine, korvimo):
    korvimo.copy(text="A")
    wine.set_clipboard(text="P", marks=["Clipboard Viewer Ignore"])
    copy_unrecorded(wine, korvimo, text="A")
