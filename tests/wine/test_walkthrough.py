"""A new user's first session: every menu item, toolbar button, popup and
tray command once, in the order someone finding their way around would try
them, each with a short look at what it visibly did. The focused tests next
to this file go deep on each command; this one checks that they all work
together in one run of the program, reached the way a user reaches them (menu
access keys, toolbar clicks, right clicks, the tray icon).
"""
import shutil
import subprocess
import time

import pytest

import http_stub
from korvimo_driver import (IDOK, IDS, WM_LBUTTONDBLCLK, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_RBUTTONDOWN,
                            WM_RBUTTONUP, windows_path)

VK_RETURN, VK_ESCAPE, VK_DOWN = 0x0D, 0x1B, 0x28
POPUP = "#32768"
DIALOG = "#32770"
SETTING, UPDATE, ABOUT, SAVING = "KorvimoSetting", "KorvimoUpdate", "KorvimoAbout", "KorvimoSaving"
HELP_VIEWER = "HH Parent"  # the window of the system's help viewer
SETTING_CANCEL = 3008
ABOUT_LABEL = 1

HOME_PAGE = "http://www.korvimo.example/"
MAIL = "mailto:support@korvimo.example"

# The toolbar a new user sees: id, enabled at start, text.
TOOLBAR_AT_START = [
    (IDS["IDB_TOOL_OPEN"], True, "打开"),
    (IDS["IDB_TOOL_SAVE"], False, "保存"),
    (0, False, "-"),
    (IDS["IDB_TOOL_DELETE"], False, "删除"),
    (IDS["IDB_TOOL_CONVERT"], False, "内码转换"),
    (0, False, "-"),
    (IDS["IDB_TOOL_SETTINGS"], True, "设置"),
    (0, False, "-"),
    (IDS["IDB_TOOL_HELP"], True, "帮助"),
]


# ---- how a user gets at things ------------------------------------------------

def count(korvimo, cls):
    return int(korvimo.probe("count-class", cls).strip())


def no_popup_left(korvimo):
    korvimo.wait_until(lambda: count(korvimo, POPUP) == 0, what="every popup menu closed")


def press(korvimo, *keys):
    for key in keys:
        korvimo.probe("key", ord(key) if isinstance(key, str) else key, "post")
    korvimo.settle()


def choose(korvimo, menu, item):
    """Alt+menu, then the item's access key: 文件(&F), 工具(&T), 帮助(&H)."""
    korvimo.probe("menu-key", menu)
    korvimo.probe("wait-class", POPUP, 10000)
    press(korvimo, item)


def right_click_tree(korvimo):
    tree = IDS["IDC_TREEVIEW"]
    korvimo.probe("mouse", tree, WM_RBUTTONDOWN, 30, 200, "post")
    korvimo.probe("mouse", tree, WM_RBUTTONUP, 30, 200, "post")
    korvimo.probe("wait-class", POPUP, 10000)


def tray_menu(korvimo, item):
    korvimo.tray(WM_RBUTTONUP)
    korvimo.probe("wait-class", POPUP, 10000)
    press(korvimo, item)


def click_tool(korvimo, name):
    korvimo.probe("click-tool", IDS[name])
    korvimo.settle()


def popup_ink(korvimo):
    """Near-black pixels of the open popup: its enabled items' text."""
    return int(korvimo.probe("popup-ink", 10000).strip())


def toolbar(korvimo):
    rows = []
    for line in korvimo.probe("toolbar").splitlines():
        ident, enabled, text = line.split("\t")
        rows.append((int(ident), enabled == "1", text))
    return rows


def shown(korvimo):
    state = korvimo.state()
    return state["text1.visible"] == "1", state["image1.visible"] == "1"


def other_windows(korvimo):
    """Visible top-level windows of other programs (the desktop's tray aside)."""
    rows = [line.split("\t") for line in korvimo.probe("windows").splitlines()]
    return sorted((cls, title) for cls, title, ours in rows if ours == "0" and "tray" not in cls.lower())


def help_viewers(korvimo):
    return sum(cls == HELP_VIEWER for cls, _ in other_windows(korvimo))


def message_box(korvimo, timeout_ms=20000):
    return korvimo.probe("messagebox", timeout_ms)


def copy(wine, korvimo, key, **clipboard):
    wine.set_clipboard(**clipboard)
    korvimo.wait_until(lambda: key in korvimo.keys(), what=key)


# ---- fixtures -------------------------------------------------------------------

@pytest.fixture
def update_site(monkeypatch):
    """The update check's server, saying that 2.20 is the latest version."""
    stub = http_stub.start(body=b"2.20\r\nhttp://127.0.0.1:9/korvimo.exe\r\n")
    monkeypatch.setenv("KORVIMO_UPDATE_URL", stub.url("/qrvupdate.txt"))
    yield stub
    stub.stop()


@pytest.fixture
def shell_opens(wine, tmp_path):
    """Stands kvprobe in for the browser and the mail program, through the
    shell's handlers of http: and mailto: links, and yields the file where
    it notes each link the shell hands it. The handlers are put back after."""
    record = tmp_path / "opened.txt"
    command = f'"{windows_path(wine.probe_exe)}" record-args "{windows_path(record)}" "%1"'
    keys = [rf"HKLM\Software\Classes\{scheme}\shell\open\command" for scheme in ("http", "mailto")]

    def reg(*args):
        return subprocess.run([wine.wine, "reg", *args], capture_output=True, timeout=60)

    saved = {}
    for key in keys:
        out = reg("query", key, "/ve").stdout.decode("gbk", "replace")
        values = [line.split("REG_SZ", 1)[1].strip() for line in out.splitlines() if "REG_SZ" in line]
        saved[key] = values[0] if values else None
        assert reg("add", key, "/ve", "/d", command, "/f").returncode == 0
    try:
        yield record
    finally:
        for key, value in saved.items():
            if value is None:
                reg("delete", key, "/ve", "/f")
            else:
                reg("add", key, "/ve", "/d", value, "/f")


def opened(record):
    return record.read_text(encoding="utf-8") if record.exists() else ""


# ---- the walk -------------------------------------------------------------------

def test_first_session_walks_every_command(wine, start_korvimo, update_site, shell_opens, tmp_path):
    wine.empty_clipboard()
    korvimo = start_korvimo()

    # Start: the window, its tree roots, the toolbar with the entry commands
    # waiting for a selection, the tray picture of an empty clipboard.
    assert ("KorvimoMain", "Korvimo", "1") in [tuple(r.split("\t")) for r in korvimo.probe("windows").splitlines()]
    assert [(d, k, label) for d, k, label, _ in korvimo.tree()] == [(0, "M", "全部"), (1, "T", "文本"), (1, "P", "图象")]
    assert toolbar(korvimo) == TOOLBAR_AT_START
    assert korvimo.state()["tray.icon"] == "102"
    before = other_windows(korvimo)

    # 文件 > 保存 is grayed with nothing selected: its key does nothing.
    choose(korvimo, "F", "S")
    no_popup_left(korvimo)
    time.sleep(0.5)
    assert count(korvimo, DIALOG) == 0

    # Copying in another program: a text and a picture, and the tray shows data.
    copy(wine, korvimo, "Txt0", text="国体")
    copy(wine, korvimo, "Pic0", bitmap=(300, 200, 7))
    assert korvimo.state()["tray.icon"] == "101"

    # A text entry: Text1 shows it, the entry commands come alive.
    korvimo.select("Txt0")
    assert shown(korvimo)[0] and korvimo.text1() == "国体"
    assert korvimo.entry_buttons() == (True, True, True)

    # The 码 button's popup offers both conversions; GBToBig (the second) rewrites the text.
    click_tool(korvimo, "IDB_TOOL_CONVERT")
    assert popup_ink(korvimo) > 0
    press(korvimo, VK_DOWN, VK_DOWN, VK_RETURN)
    big5 = "國体".encode("big5").decode("gbk")
    korvimo.wait_until(lambda: korvimo.text1() == big5, what="GB text turned into Big5 bytes")

    # 工具 > 内码转换 > BigToGB (the first, selected as the submenu opens) turns it back.
    choose(korvimo, "T", "M")
    assert popup_ink(korvimo) > 0
    press(korvimo, VK_RETURN)
    korvimo.wait_until(lambda: korvimo.text1() == "国体", what="Big5 bytes turned back into GB text")
    no_popup_left(korvimo)

    # A picture entry: Image1 instead of Text1, and both conversions grayed,
    # from the toolbar and from the tool menu alike.
    korvimo.select("Pic0")
    assert shown(korvimo) == (False, True)
    click_tool(korvimo, "IDB_TOOL_CONVERT")
    assert popup_ink(korvimo) == 0
    press(korvimo, VK_ESCAPE)
    no_popup_left(korvimo)
    choose(korvimo, "T", "M")
    assert popup_ink(korvimo) == 0
    press(korvimo, VK_ESCAPE, VK_ESCAPE, VK_ESCAPE)
    no_popup_left(korvimo)

    # The toolbar's 保存 on the picture, GIF chosen: the Saving window comes and goes.
    gif = tmp_path / "picture.gif"
    click_tool(korvimo, "IDB_TOOL_SAVE")
    korvimo.file_dialog(gif, 2)
    korvimo.wait_for_file(gif)
    assert gif.read_bytes()[:6] == b"GIF87a"
    korvimo.wait_until(lambda: count(korvimo, SAVING) == 0, what="the Saving window closed")

    # The tree's popup: 删除 removes the picture's node.
    right_click_tree(korvimo)
    press(korvimo, "D")
    korvimo.wait_until(lambda: "Pic0" not in korvimo.keys(), what="Pic0 deleted")
    assert "P" in korvimo.keys()

    # Editing the text goes into the entry.
    korvimo.select("Txt0")
    korvimo.type_text1("国体 edited")
    korvimo.select("T")
    assert shown(korvimo) == (False, False) and korvimo.entry_buttons() == (False, False, False)
    korvimo.select("Txt0")
    assert korvimo.text1() == "国体 edited"

    # The tree's popup: 重命名 opens the label editor; the label changes, the text stays.
    right_click_tree(korvimo)
    press(korvimo, "R")
    korvimo.probe("edit-label", windows_path(wine.file("label.txt", "我的第一条")))
    korvimo.settle()
    assert korvimo.label("Txt0") == "我的第一条"
    korvimo.select("Txt0")
    assert korvimo.text1() == "国体 edited"

    # 文件 > 保存 of the text entry writes it in the code page.
    saved = tmp_path / "first.txt"
    choose(korvimo, "F", "S")
    korvimo.file_dialog(saved, 1)
    korvimo.wait_for_file(saved)
    assert saved.read_bytes() == "国体 edited".encode("gbk")

    # 文件 > 打开 adds the file as a new entry labelled with its path; the
    # toolbar's 打开, cancelled, adds nothing.
    choose(korvimo, "F", "O")
    korvimo.file_dialog(saved)
    korvimo.wait_until(lambda: "Txt1" in korvimo.keys(), what="the opened file's entry")
    assert korvimo.label("Txt1") == windows_path(saved)
    click_tool(korvimo, "IDB_TOOL_OPEN")
    korvimo.file_dialog(None)
    korvimo.settle()
    assert korvimo.entries("Txt") == ["Txt0", "Txt1"]

    # The toolbar's 删除 removes the selected entry.
    korvimo.select("Txt1")
    click_tool(korvimo, "IDB_TOOL_DELETE")
    korvimo.wait_until(lambda: korvimo.entries("Txt") == ["Txt0"], what="Txt1 deleted")

    # 工具 > 清空剪贴版 empties the clipboard, not the history.
    wine.set_clipboard(text="on the clipboard")
    korvimo.wait_until(lambda: len(korvimo.entries("Txt")) == 2, what="one more copy")
    choose(korvimo, "T", "C")
    korvimo.wait_until(lambda: korvimo.state()["tray.icon"] == "102", what="the empty tray picture")
    assert korvimo.probe("clipboard-text") == ""
    assert len(korvimo.entries("Txt")) == 2

    # 工具 > 设置 and the toolbar's 设置: one settings window.
    choose(korvimo, "T", "O")
    assert korvimo.probe("wait-class", SETTING, 10000).strip() == "设置"
    click_tool(korvimo, "IDB_TOOL_SETTINGS")
    assert count(korvimo, SETTING) == 1
    korvimo.probe("click", SETTING, SETTING_CANCEL)
    korvimo.wait_until(lambda: count(korvimo, SETTING) == 0, what="the settings window closed")

    # 工具 > 升级: the update window fetches the version file and says we are up to date.
    choose(korvimo, "T", "U")
    assert korvimo.probe("wait-class", UPDATE, 15000).strip() == "升级"
    assert "text=您使用的是最新版本" in message_box(korvimo)
    korvimo.probe("answer", IDOK, 5000)
    korvimo.wait_until(lambda: count(korvimo, UPDATE) == 0, what="the update window closed")
    assert len(update_site.requests) == 1

    # 帮助 > 帮助 and the toolbar's 帮助 open readme.chm in the help viewer.
    help_viewers_before = help_viewers(korvimo)
    for opener in (lambda: choose(korvimo, "H", "H"), lambda: click_tool(korvimo, "IDB_TOOL_HELP")):
        opener()
        korvimo.wait_until(lambda: help_viewers(korvimo) > help_viewers_before, timeout=30, what="the help viewer")
        korvimo.probe("close-window", HELP_VIEWER)
        korvimo.wait_until(lambda: other_windows(korvimo) == before, timeout=20, what="the help viewer closed")

    # 帮助 > 关于: the about box with its version, closed by a click on it.
    choose(korvimo, "H", "A")
    korvimo.probe("wait-class", ABOUT, 10000)
    assert korvimo.probe("window-text", ABOUT, ABOUT_LABEL).strip() == "版本 2.20"
    # A press alone leaves it; the release ends the click and closes it, so
    # the release does not fall through to a window beneath.
    korvimo.probe("click-window", ABOUT, 100, 100, WM_LBUTTONDOWN)
    korvimo.settle()
    time.sleep(0.3)
    assert count(korvimo, ABOUT) == 1
    korvimo.probe("click-window", ABOUT, 100, 100, WM_LBUTTONUP)
    korvimo.wait_until(lambda: count(korvimo, ABOUT) == 0, what="the about box closed")

    # 帮助 > 主页 and 邮件 hand their links to the shell; nothing else shows.
    choose(korvimo, "H", "P")
    korvimo.wait_until(lambda: HOME_PAGE in opened(shell_opens), what="the home page opened")
    choose(korvimo, "H", "E")
    korvimo.wait_until(lambda: MAIL in opened(shell_opens), what="a mail started")
    time.sleep(0.5)
    assert other_windows(korvimo) == before
    assert korvimo.probe("messagebox", 500, check=False) == ""

    # The tray: 隐藏 hides the window, 显示 brings it back, a double-click on
    # a visible window changes nothing.
    tray_menu(korvimo, "H")
    korvimo.wait_until(lambda: korvimo.state()["main.visible"] == "0", what="the window hidden")
    tray_menu(korvimo, "S")
    korvimo.wait_until(lambda: korvimo.state()["main.visible"] == "1", what="the window shown")
    korvimo.tray(WM_LBUTTONDBLCLK)
    assert korvimo.state()["main.visible"] == "1"

    # The tray's 退出 ends the program: no window, process gone.
    tray_menu(korvimo, "X")
    assert korvimo.process.wait(timeout=20) == 0
    assert wine.main_window_count() == 0


def test_file_exit_ends_the_program(korvimo):
    choose(korvimo, "F", "X")
    assert korvimo.process.wait(timeout=20) == 0
    assert korvimo.wine.main_window_count() == 0


def test_help_without_its_file_fails_quietly(wine, start_korvimo, tmp_path):
    """A copy of the program with no readme.chm beside it: help opens
    nothing and shows no error, and the program goes on."""
    (tmp_path / "bare").mkdir()
    exe = tmp_path / "bare" / wine.exe.name
    shutil.copy(wine.exe, exe)
    wine.empty_clipboard()
    korvimo = start_korvimo(exe=exe)
    before = other_windows(korvimo)
    choose(korvimo, "H", "H")
    click_tool(korvimo, "IDB_TOOL_HELP")
    time.sleep(3)
    assert other_windows(korvimo) == before
    assert korvimo.probe("wait-class", DIALOG, 0, check=False) == ""
    assert korvimo.probe("messagebox", 0, check=False) == ""
    korvimo.settle()
    assert korvimo.process.poll() is None and korvimo.state()["main.visible"] == "1"
