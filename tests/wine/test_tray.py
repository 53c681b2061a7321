"""The tray icon's commands: clicked in Wine's own tray window, or driven
through the notices the shell would send."""
import time

from korvimo_driver import WM_LBUTTONDOWN, WM_MOUSEMOVE

# The tray menu's hide and show are in the walkthrough.
ONE_SESSION = True


def visible(korvimo):
    return korvimo.state()["main.visible"] == "1"


def click_icon(korvimo, how):
    """A user's click on our one icon where the shell shows it."""
    icons = korvimo.probe("tray-icons").splitlines()
    assert len(icons) == 1
    korvimo.probe("real-click", *icons[0].split(), how)


def test_minimising_hides_to_the_tray_and_only_a_double_click_brings_back_the_normal_window(korvimo):
    korvimo.probe("minimize")
    korvimo.wait_until(lambda: not visible(korvimo), what="hidden window")
    for message in (WM_MOUSEMOVE, WM_LBUTTONDOWN):
        korvimo.tray(message)
    time.sleep(0.3)
    assert not visible(korvimo)
    click_icon(korvimo, "double")
    korvimo.wait_until(lambda: visible(korvimo), what="visible window")
    state = korvimo.state()
    assert state["main.iconic"] == "0"
    assert state["main.zoomed"] == "0"


def test_right_click_on_the_icon_and_exit_end_the_program_and_take_the_icon_away(korvimo):
    click_icon(korvimo, "right")
    korvimo.probe("wait-class", "#32768", 10000)
    korvimo.probe("key", ord("X"))
    assert korvimo.process.wait(timeout=20) == 0
    assert korvimo.probe("tray-icons") == ""
