"""A new user's first session: every menu item, toolbar button, popup and tray command once,
reached as a user reaches them (access keys, clicks, the tray icon), each with a look at what it did."""
import shutil
import subprocess
import time

import pytest

import http_stub
from korvimo_driver import (BM_CLICK, IDOK, IDS, WM_CLOSE, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_MOUSEMOVE,
                            WM_RBUTTONDOWN, WM_RBUTTONUP, WM_SYSCOMMAND, WS_MAXIMIZE, WS_MINIMIZE, WS_VISIBLE,
                            TRAY, at, windows_path)

VK_RETURN, VK_DOWN, VK_ESCAPE, VK_CONTROL, VK_F1 = 0x0D, 0x28, 0x1B, 0x11, 0x70
SC_MINIMIZE, SC_KEYMENU = 0xF020, 0xF100
POPUP, HELP_VIEWER = "#32768", "HH Parent"
SETTING_CANCEL, ABOUT_LABEL = 3008, 1
HOME_PAGE, MAIL = "http://www.korvimo.example/", "mailto:support@korvimo.example"
# The toolbar a new user sees: id, enabled at start, text.
TOOLBAR_AT_START = [
    (IDS["IDB_TOOL_OPEN"], True, "打开"), (IDS["IDB_TOOL_SAVE"], False, "保存"), (0, False, "-"),
    (IDS["IDB_TOOL_DELETE"], False, "删除"), (IDS["IDB_TOOL_CONVERT"], False, "内码转换"), (0, False, "-"),
    (IDS["IDB_TOOL_SETTINGS"], True, "设置"), (0, False, "-"), (IDS["IDB_TOOL_HELP"], True, "帮助"),
]


def popup(korvimo, *keys):
    korvimo.wait_until(lambda: korvimo.count(POPUP), what="a popup menu")
    korvimo.probe("key", *(ord(key) if isinstance(key, str) else key for key in keys))
    korvimo.settle()


def choose(korvimo, menu, item):
    """Alt+menu, then the item's access key: 文件(&F), 工具(&T), 帮助(&H)."""
    korvimo.post(0, WM_SYSCOMMAND, SC_KEYMENU, ord(menu.lower()))
    popup(korvimo, item)


def right_click_tree(korvimo, item):
    korvimo.probe("post", IDS["IDC_TREEVIEW"], WM_RBUTTONDOWN, 2, at(30, 200), WM_RBUTTONUP, 0, at(30, 200))
    popup(korvimo, item)


def tray_menu(korvimo, item):
    korvimo.tray(WM_RBUTTONUP)
    popup(korvimo, item)


def other_windows(korvimo):
    """Shown top-level windows of other programs (the desktop's tray and passing tooltips aside)."""
    return sorted((c, t) for c, t, ours, shown, *_ in korvimo.windows()
                  if shown and not ours and "tray" not in c.lower() and c != "tooltips_class32")


@pytest.fixture(scope="module", autouse=True)
def update_site():
    """The update check's server, saying that 2.20 is the latest version."""
    with http_stub.update_site(body=b"2.20\r\nhttp://127.0.0.1:9/korvimo.exe\r\n") as stub:
        yield stub


@pytest.fixture
def shell_opens(wine, tmp_path):
    """Wine's browser helper, which the shell hands http: and mailto: links, starts the programs its
    settings name: a script that notes each link stands in for all of them. Yields what it noted."""
    record, script = tmp_path / "opened.txt", tmp_path / "open-link"
    script.write_text(f'#!/bin/sh\necho "$1" >> "{record}"\n')
    script.chmod(0o755)
    key = r"HKCU\Software\Wine\WineBrowser"

    def reg(*args):
        subprocess.run([wine.wine, "reg", *args], check=True, capture_output=True, timeout=60)

    for programs in ("Browsers", "Mailers"):
        reg("add", key, "/v", programs, "/d", str(script), "/f")
    yield lambda: record.read_text() if record.exists() else ""
    reg("delete", key, "/f")


def test_first_session_walks_every_command(wine, korvimo, update_site, shell_opens, tmp_path):
    # Start: the window, its tree roots, the entry commands waiting for a selection.
    assert korvimo.wait_window("KorvimoMain") == "Korvimo"
    assert [row[:3] for row in korvimo.tree()] == [(0, "M", "全部"), (1, "T", "文本"), (1, "P", "图象")]
    assert [row[:3] for row in korvimo.toolbar()] == TOOLBAR_AT_START
    # The whole toolbar shows: 帮助, as wide as 打开 at the left edge, ends within the window.
    buttons = korvimo.toolbar()
    assert int(buttons[0][3][0]) + int(buttons[-1][3][0]) <= korvimo.rect("IDC_TOOLBAR")[2]
    before = other_windows(korvimo)

    # Copying in another program: a text and a picture. A text entry brings the entry commands alive.
    text, picture = korvimo.copy(text="国体"), korvimo.copy(bitmap=(300, 200, 7))
    korvimo.select(text)
    assert korvimo.text1() == "国体"
    assert korvimo.entry_buttons() == (True, True, True)

    # The 码 button's popup offers both conversions; GBToBig (the second) rewrites the entry, not only the box.
    big5 = "國体".encode("big5").decode("gbk")
    korvimo.click_tool("IDB_TOOL_CONVERT")
    popup(korvimo, VK_DOWN, VK_DOWN, VK_RETURN)
    korvimo.wait_until(lambda: korvimo.text1() == big5, what="GB text turned into Big5 bytes")
    korvimo.select("T")
    korvimo.select(text)
    assert korvimo.text1() == big5

    # 工具 > 内码转换 > BigToGB (the first, selected as the submenu opens) turns it back.
    choose(korvimo, "T", "M")
    popup(korvimo, VK_RETURN)
    korvimo.wait_until(lambda: korvimo.text1() == "国体", what="Big5 bytes turned back into GB text")

    # A conversion of a picture entry leaves the text beneath alone.
    korvimo.select(picture)
    korvimo.command("IDM_GB2BIG")

    # The toolbar's 保存 on the picture, GIF chosen: the Saving window comes and goes.
    gif = tmp_path / "picture.gif"
    korvimo.click_tool("IDB_TOOL_SAVE")
    korvimo.file_dialog(gif, 2)
    korvimo.wait_for_file(gif)
    korvimo.wait_gone("KorvimoSaving")

    # The tree's popup: 删除 removes the picture's node.
    right_click_tree(korvimo, "D")
    korvimo.wait_until(lambda: picture not in korvimo.keys(), what="the picture deleted")

    # Editing the text goes into the entry.
    korvimo.select(text)
    assert korvimo.text1() == "国体"
    korvimo.probe("set-text", windows_path(wine.file("text1.txt", "国体 edited")))
    korvimo.select("T")
    assert korvimo.shown() == (False, False) and korvimo.entry_buttons() == (False, False, False)

    # The tree's popup: 重命名 opens the label editor; the label changes, the text stays.
    korvimo.select(text)
    right_click_tree(korvimo, "R")
    korvimo.probe("edit-label", windows_path(wine.file("label.txt", "我的第一条")))
    korvimo.settle()
    assert korvimo.label(text) == "我的第一条"
    korvimo.select(text)
    assert korvimo.text1() == "国体 edited"

    # A root renames the same way, and new entries still go under it.
    korvimo.select("T")
    right_click_tree(korvimo, "R")
    korvimo.probe("edit-label", windows_path(wine.file("root.txt", "文字")))
    korvimo.settle()
    assert korvimo.label("T") == "文字"
    right_click_tree(korvimo, "R")  # an empty label keeps the old one
    korvimo.probe("edit-label", windows_path(wine.file("empty.txt", "")))
    korvimo.settle()
    assert korvimo.label("T") == "文字"

    # Ctrl+S, as 文件 > 保存, cancelled, asks nothing and writes nothing, not even in its working directory.
    korvimo.select(text)
    files = sorted(wine.exe.parent.iterdir())
    korvimo.probe("real-key", VK_CONTROL, ord("S"))
    korvimo.file_dialog(None)
    assert korvimo.no_message_box(0.5)
    assert sorted(wine.exe.parent.iterdir()) == files

    # 文件 > 保存 of the text entry writes it in the code page.
    saved = tmp_path / "first.txt"
    choose(korvimo, "F", "S")
    korvimo.file_dialog(saved, 1)
    korvimo.wait_for_file(saved)
    assert saved.read_bytes() == "国体 edited".encode("gbk")

    # 文件 > 打开 adds the file as an entry labelled with its path, every line end made CRLF; the
    # toolbar's 打开, cancelled, adds nothing; its 删除 removes the selection.
    notes = wine.file("notes.txt", "甲\r\n乙\rlf\nstays\r\nlast".encode("gbk"))
    choose(korvimo, "F", "O")
    korvimo.file_dialog(notes)
    korvimo.wait_until(lambda: len(korvimo.entries("Txt")) == 2, what="the opened file's entry")
    opened = korvimo.entries("Txt")[1]
    assert korvimo.label(opened) == windows_path(notes)
    korvimo.select(opened)
    assert korvimo.text1() == "甲\r\n乙\r\nlf\nstays\r\nlast\r\n"
    korvimo.click_tool("IDB_TOOL_OPEN")
    korvimo.file_dialog(None)
    korvimo.settle()
    assert len(korvimo.entries("Txt")) == 2
    korvimo.click_tool("IDB_TOOL_DELETE")
    korvimo.wait_until(lambda: korvimo.entries("Txt") == [text], what="the opened entry deleted")

    # 工具 > 清空剪贴版 empties the clipboard, not the history. The new entry went under the renamed root.
    added = korvimo.copy(text="on the clipboard")
    choose(korvimo, "T", "C")
    korvimo.wait_until(lambda: korvimo.tray_picture() == 102, what="the empty tray picture")
    assert [row[:2] for row in korvimo.tree()][1:] == [(1, "T"), (2, text), (2, added), (1, "P")]

    # 工具 > 设置 and the toolbar's 设置: one settings window.
    choose(korvimo, "T", "O")
    assert korvimo.wait_window("KorvimoSetting") == "设置"
    korvimo.click_tool("IDB_TOOL_SETTINGS")
    assert korvimo.count("KorvimoSetting") == 1
    korvimo.send(f"KorvimoSetting:{SETTING_CANCEL}", BM_CLICK)
    korvimo.wait_gone("KorvimoSetting")

    # 工具 > 升级: the update window sends exactly this request and says we are up to date.
    choose(korvimo, "T", "U")
    assert korvimo.wait_window("KorvimoUpdate", 15) == "升级"
    assert korvimo.message_box(IDOK) == ("您使用的是最新版本", [IDOK], False)
    korvimo.wait_gone("KorvimoUpdate")
    assert update_site.requests == [b"GET http://127.0.0.1:%d/qrvupdate.txt HTTP/1.0\r\nAccept: *.*, */*\r\n"
                                    b"User-Agent: Varnel Software Downloader\r\nReferer: 127.0.0.1:%d\r\n\r\n"
                                    % (update_site.port, update_site.port)]

    # 帮助 > 帮助, the toolbar's 帮助 and F1 open readme.chm in the help viewer.
    for opener in (lambda: choose(korvimo, "H", "H"), lambda: korvimo.click_tool("IDB_TOOL_HELP"),
                   lambda: korvimo.probe("key", VK_F1)):
        opener()
        korvimo.wait_until(lambda: any(c == HELP_VIEWER for c, _ in other_windows(korvimo)), timeout=30,
                           what="the help viewer")
        korvimo.post(HELP_VIEWER, WM_CLOSE)
        korvimo.wait_until(lambda: other_windows(korvimo) == before, timeout=20, what="the help viewer closed")

    # 帮助 > 关于: the about box with its version, closed by a click: a press alone leaves it, the
    # release closes it, so that the release does not fall through to a window beneath.
    choose(korvimo, "H", "A")
    korvimo.wait_window("KorvimoAbout")
    assert korvimo.probe("text", f"KorvimoAbout:{ABOUT_LABEL}") == "版本 2.20"
    assert korvimo.probe("text", f"KorvimoAbout:{ABOUT_LABEL + 1}") == "热键 Ctrl+Alt+V"
    korvimo.post("KorvimoAbout", WM_LBUTTONDOWN, 1, at(100, 100))
    time.sleep(0.3)
    assert korvimo.count("KorvimoAbout") == 1
    korvimo.post("KorvimoAbout", WM_LBUTTONUP, 0, at(100, 100))
    korvimo.wait_gone("KorvimoAbout")
    for key in (VK_ESCAPE, VK_RETURN):  # as in a dialog
        choose(korvimo, "H", "A")
        korvimo.wait_window("KorvimoAbout")
        korvimo.probe("real-key", key)
        korvimo.wait_gone("KorvimoAbout")

    # 帮助 > 主页 and 邮件 hand their links to the shell; nothing else shows.
    choose(korvimo, "H", "P")
    korvimo.wait_until(lambda: HOME_PAGE in shell_opens(), what="the home page opened")
    choose(korvimo, "H", "E")
    korvimo.wait_until(lambda: MAIL in shell_opens(), what="a mail started")
    assert korvimo.no_message_box(1) and other_windows(korvimo) == before

    # The tray: 隐藏 hides the window, 显示 brings it back.
    tray_menu(korvimo, "H")
    korvimo.wait_shown(False)
    tray_menu(korvimo, "S")
    korvimo.wait_shown(True)

    # Minimising hides to the tray; a move or a press on the icon leaves it there, only a user's
    # double-click brings back the normal window.
    korvimo.post(0, WM_SYSCOMMAND, SC_MINIMIZE)
    korvimo.wait_shown(False)
    for message in (WM_MOUSEMOVE, WM_LBUTTONDOWN):
        korvimo.tray(message)
    time.sleep(0.3)
    assert not korvimo.style() & WS_VISIBLE
    icon, = korvimo.tray_icons()  # clicked where the shell shows it, as a user does
    korvimo.probe("real-click", *icon, "double", TRAY)
    korvimo.wait_shown(True)
    assert not korvimo.style() & (WS_MINIMIZE | WS_MAXIMIZE)

    # A right click on the icon and the tray's 退出 end the program: no window, no icon.
    korvimo.probe("real-click", *icon, "right", TRAY)
    popup(korvimo, "X")
    assert korvimo.process.wait(timeout=20) == 0
    assert wine.count("KorvimoMain", anywhere=True) == 0 and korvimo.tray_icons() == []


def test_without_its_help_file_help_fails_quietly_and_file_exit_ends_it(wine, start_korvimo, tmp_path):
    """A copy of the program with no readme.chm beside it: help opens
    nothing and shows no error, and the program goes on until 文件 > 退出."""
    (tmp_path / "bare").mkdir()
    exe = tmp_path / "bare" / wine.exe.name
    shutil.copy(wine.exe, exe)
    korvimo = start_korvimo(exe=exe)
    before = other_windows(korvimo)
    choose(korvimo, "H", "H")
    korvimo.click_tool("IDB_TOOL_HELP")
    assert korvimo.no_message_box(3) and other_windows(korvimo) == before
    choose(korvimo, "F", "X")
    assert korvimo.process.wait(timeout=20) == 0
    assert wine.count("KorvimoMain", anywhere=True) == 0
