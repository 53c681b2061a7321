"""The tray icon's commands: clicked in Wine's own tray window, or driven
through the notices the shell would send."""
import time

from korvimo_driver import WM_LBUTTONDOWN, WM_MOUSEMOVE, WM_RBUTTONUP

VK_ESCAPE = 0x1B


def visible(korvimo):
    return korvimo.state()["main.visible"] == "1"


def choose_from_tray_menu(korvimo, access_key):
    korvimo.tray(WM_RBUTTONUP)
    korvimo.probe("wait-class", "#32768", 10000)
    korvimo.probe("key", ord(access_key))
    korvimo.settle()


def click_icon(korvimo, how):
    """A user's click on our one icon where the shell shows it."""
    icons = korvimo.probe("tray-icons").splitlines()
    assert len(icons) == 1
    korvimo.probe("real-click", *icons[0].split(), how)


def test_minimising_hides_to_the_tray_and_double_click_brings_back_the_normal_window(korvimo):
    korvimo.probe("minimize")
    korvimo.wait_until(lambda: not visible(korvimo), what="hidden window")
    click_icon(korvimo, "double")
    korvimo.wait_until(lambda: visible(korvimo), what="visible window")
    state = korvimo.state()
    assert state["main.iconic"] == "0"
    assert state["main.zoomed"] == "0"


def test_mouse_moves_and_single_clicks_on_the_icon_do_nothing(korvimo):
    korvimo.probe("minimize")
    korvimo.wait_until(lambda: not visible(korvimo), what="hidden window")
    for message in (WM_MOUSEMOVE, WM_LBUTTONDOWN):
        korvimo.tray(message)
    time.sleep(0.3)
    assert not visible(korvimo)


def test_tray_menu_hides_then_shows_by_its_changing_item(korvimo):
    # Visible: the item reads 隐藏(&H).
    choose_from_tray_menu(korvimo, "H")
    korvimo.wait_until(lambda: not visible(korvimo), what="hidden window")
    # Hidden: it reads 显示(&S); H would no longer match.
    choose_from_tray_menu(korvimo, "S")
    korvimo.wait_until(lambda: visible(korvimo), what="visible window")


def test_right_click_on_the_icon_and_exit_end_the_program_and_take_the_icon_away(korvimo):
    click_icon(korvimo, "right")
    korvimo.probe("wait-class", "#32768", 10000)
    korvimo.probe("key", ord("X"))
    assert korvimo.process.wait(timeout=20) == 0
    assert korvimo.probe("tray-icons") == ""
