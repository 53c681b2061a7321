"""The clip browser seen from outside: selection, editing, deleting, settings, panning.
Every test leaves the window shown, the picture mode and the splitter as
they were; the splitter's test comes last."""
import time

from korvimo_driver import (BM_CLICK, IDS, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_MOUSEMOVE, WM_RBUTTONDOWN, at,
                            windows_path)

SETTING = "KorvimoSetting"
EM_GETSEL, EM_SETSEL, EM_LINESCROLL, EM_GETFIRSTVISIBLELINE, BM_GETCHECK = 0x00B0, 0x00B1, 0x00B6, 0x00CE, 0x00F0
CHECK1, CHECK2, OPTION1, OPTION2, OK, CANCEL, APPLY = 3002, 3003, 3005, 3006, 3007, 3008, 3009


def arrows(korvimo):
    state = korvimo.state()
    return [state[f"image{a}.visible"] for a in "udlr"]


def settings(korvimo, *clicks):
    korvimo.command("IDM_OP")
    korvimo.wait_window(SETTING)
    for control in clicks:
        korvimo.send(f"{SETTING}:{control}", BM_CLICK)
    korvimo.settle()


def checked(korvimo, *controls):
    return [korvimo.send(f"{SETTING}:{control}", BM_GETCHECK) for control in controls]


def test_selection_shows_the_entry_and_edits_go_straight_into_it(korvimo):
    text = "crlf\r\nlf only\nlone cr\rend \u00e9\u4e2d\U0001F600"
    tricky, edited, picture = korvimo.copy(text=text), korvimo.copy(text="before"), korvimo.copy(bitmap=(50, 40, 1))
    korvimo.select(picture)
    assert korvimo.shown() == (False, True)
    korvimo.select(edited)
    assert korvimo.shown() == (True, True)  # the picture stays beneath
    for _ in range(3):  # selecting alters nothing
        korvimo.select(tricky)
        assert korvimo.text1() == text
        korvimo.select(edited)
    for text in ("after\r\nedit", ""):
        korvimo.type_text1(text)
        korvimo.select(tricky)
        korvimo.select(edited)
        assert korvimo.text1() == text
    big = ("0123456789abcdef" * 64 + "\r\n") * 3000  # about 3 MB, shown whole
    korvimo.select(korvimo.copy(text=big))
    assert korvimo.text1() == big


def test_delete_empties_and_removes_the_entry_and_never_a_root(korvimo):
    gone = korvimo.copy(text="gone soon")
    before = korvimo.entries("Txt")
    korvimo.select(gone)
    korvimo.command("IDM_DELETE")
    korvimo.wait_until(lambda: gone not in korvimo.keys(), what="the deleted node")
    # The tree selected a root: nothing to delete.
    assert korvimo.entry_buttons() == (False, False, False)
    korvimo.command("IDM_DELETE")
    assert korvimo.keys()[:2] == ["M", "T"] and "P" in korvimo.keys()
    # The same text again is new: the emptied slot no longer matches it.
    again = korvimo.copy(text="gone soon")
    assert korvimo.entries("Txt") == [key for key in before if key != gone] + [again]


def test_turning_text_detection_off_applies_and_stays_off(wine, korvimo):
    settings(korvimo)
    assert checked(korvimo, CHECK1, CHECK2, OPTION1) == [1, 1, 1]
    korvimo.send(f"{SETTING}:{CHECK1}", BM_CLICK)
    korvimo.send(f"{SETTING}:{APPLY}", BM_CLICK)
    texts = korvimo.entries("Txt")
    wine.set_clipboard(text="not recorded")
    korvimo.copy(bitmap=(10, 10, 3))
    assert korvimo.entries("Txt") == texts
    korvimo.send(f"{SETTING}:{CANCEL}", BM_CLICK)
    korvimo.wait_until(lambda: korvimo.count(SETTING) == 0, what="closed settings")
    settings(korvimo)
    assert checked(korvimo, CHECK1) == [0]
    korvimo.send(f"{SETTING}:{CHECK1}", BM_CLICK)
    korvimo.send(f"{SETTING}:{OK}", BM_CLICK)
    korvimo.copy(text="recorded again")


def test_large_picture_pans_with_the_arrows_and_stretch_hides_them(korvimo):
    picture = korvimo.copy(bitmap=(1200, 900, 2))
    korvimo.select(picture)
    # At the top-left corner only the right and down arrows make sense.
    assert arrows(korvimo) == ["0", "1", "0", "1"] and korvimo.rect("IDC_IMAGE1")[:2] == (0, 0)
    korvimo.send(IDS["IDC_IMAGED"], WM_LBUTTONDOWN, 1, at(5, 5))
    time.sleep(0.6)
    korvimo.send(IDS["IDC_IMAGED"], WM_LBUTTONUP, 0, at(5, 5))
    korvimo.settle()
    assert korvimo.rect("IDC_IMAGE1")[1] < 0 and arrows(korvimo)[0] == "1"
    # Reselecting shows the picture from its corner again.
    korvimo.select("P")
    korvimo.select(picture)
    assert korvimo.rect("IDC_IMAGE1")[:2] == (0, 0)

    settings(korvimo, OPTION2, OK)
    assert arrows(korvimo) == ["0", "0", "0", "0"]
    _, _, width, height = korvimo.rect("IDC_PIC")
    assert korvimo.rect("IDC_IMAGE1")[2:] == (width - 4, height - 4)  # less 60 twips at 96 dpi
    settings(korvimo, OPTION1, OK)

    # Arrows placed while the window is in the tray show with it.
    korvimo.command("IDM_HS")
    korvimo.wait_until(lambda: korvimo.state()["main.visible"] == "0", what="window hidden to the tray")
    settings(korvimo, OK)
    korvimo.command("IDM_HS")
    korvimo.wait_until(lambda: korvimo.state()["main.visible"] == "1", what="window shown again")
    assert arrows(korvimo) == ["0", "1", "0", "1"]


def test_text_box_over_a_large_picture_keeps_its_clicks_and_its_view(korvimo):
    text1 = IDS["IDC_TEXT1"]
    lines = korvimo.copy(text="".join(f"line {n}\r\n" for n in range(500)))
    korvimo.select(korvimo.copy(bitmap=(1200, 900, 3)))
    korvimo.select(lines)
    # Its scroll buttons are its own, not the arrows of the picture beneath.
    assert korvimo.probe("scroll-hit", text1).split() == [str(text1)] * 2

    def click(key, part):
        korvimo.probe("real-click", *korvimo.probe("node-point", key, part).split())
        korvimo.settle()
        # First line shown, and the caret as EM_GETSEL reports it.
        return [korvimo.send(text1, message) for message in (EM_GETFIRSTVISIBLELINE, EM_GETSEL)]

    korvimo.send(text1, EM_SETSEL, 50, 50)
    korvimo.send(text1, EM_LINESCROLL, 0, 6)
    # Empty tree space and another node's expand button leave the view be;
    # a click on the selected node itself shows it afresh.
    assert click(lines, "below") == [6, 50 | 50 << 16]
    assert click("P", "button") == [6, 50 | 50 << 16]
    assert click(lines, "label") == [0, 0]


def test_rename_changes_only_the_label_roots_included(korvimo):
    for key, label in (("T", "文字"), (korvimo.copy(text="named"), "我的笔记")):
        korvimo.select(key)
        korvimo.command("IDM_RENAME")
        korvimo.probe("edit-label", windows_path(korvimo.wine.file("label.txt", label)))
        korvimo.settle()
        assert korvimo.label(key) == label
    korvimo.select(key)
    assert korvimo.text1() == "named"
    added = korvimo.copy(text="still under the renamed root")
    tree = [(d, k) for d, k, _, _ in korvimo.tree()]
    assert tree[tree.index((1, "T")) + len(korvimo.entries("Txt"))] == (2, added)


def test_splitter_drop_is_clamped_at_sixty_twips(korvimo):
    splitter = IDS["IDC_SPLITTER"]
    for message, keys, x in ((WM_LBUTTONDOWN, 1, 2), (WM_MOUSEMOVE, 1, -400), (WM_LBUTTONUP, 0, -400)):
        korvimo.send(splitter, message, keys, at(x, 10))
    korvimo.settle()
    assert korvimo.rect("IDC_TREEVIEW")[2] == 4  # 60 twips
    assert korvimo.rect("IDC_SPLITTER")[0] == 7  # 109 twips: rests right of the 60-wide tree

    # The right button during a drag drops the splitter where the pointer is.
    for message, keys, x in ((WM_LBUTTONDOWN, 1, 2), (WM_MOUSEMOVE, 1, 100), (WM_RBUTTONDOWN, 3, 100)):
        korvimo.send(splitter, message, keys, at(x, 10))
    korvimo.settle()
    assert korvimo.rect("IDC_TREEVIEW")[2] > 90
