"""The clip browser seen from outside: selection, editing, deleting, settings, panning."""
import time

from korvimo_driver import IDS, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_MOUSEMOVE, WM_RBUTTONDOWN, windows_path

SETTING = "KorvimoSetting"
EM_GETSEL, EM_SETSEL, EM_LINESCROLL, EM_GETFIRSTVISIBLELINE = 0x00B0, 0x00B1, 0x00B6, 0x00CE
CHECK1, CHECK2, OPTION1, OPTION2, OK, CANCEL, APPLY = 3002, 3003, 3005, 3006, 3007, 3008, 3009


# Every test leaves the window shown, the picture mode and the splitter as
# they were; the splitter's test and the renaming come last.
ONE_SESSION = True


def arrows(korvimo):
    state = korvimo.state()
    return [state[f"image{a}.visible"] for a in "udlr"]


def settings(korvimo, *clicks):
    korvimo.command("IDM_OP")
    korvimo.probe("wait-class", SETTING, 10000)
    for control in clicks:
        korvimo.probe("click", SETTING, control)
    korvimo.settle()


def test_selection_shows_text_or_picture_and_sets_the_entry_commands(korvimo):
    korvimo.copy(text="one")
    two = korvimo.copy(text="two")
    picture = korvimo.copy(bitmap=(50, 40, 1))

    korvimo.select(picture)
    state = korvimo.state()
    assert (state["text1.visible"], state["image1.visible"]) == ("0", "1")
    assert korvimo.entry_buttons() == (True, True, True)

    korvimo.select(two)
    state = korvimo.state()
    assert (state["text1.visible"], state["image1.visible"]) == ("1", "1")  # the picture stays beneath
    assert korvimo.text1() == "two"

    korvimo.select("T")
    state = korvimo.state()
    assert (state["text1.visible"], state["image1.visible"]) == ("0", "0")
    assert korvimo.entry_buttons() == (False, False, False)


def test_edits_go_straight_into_the_entry_and_selecting_alters_none(korvimo):
    text = "crlf\r\nlf only\nlone cr\rend \u00e9\u4e2d\U0001F600"
    tricky, edited = korvimo.copy(text=text), korvimo.copy(text="before")
    for _ in range(3):
        korvimo.select(tricky)
        assert korvimo.text1() == text
        korvimo.select(edited)
    for text in ("after\r\nedit", ""):
        korvimo.type_text1(text)
        korvimo.select(tricky)
        korvimo.select(edited)
        assert korvimo.text1() == text
    assert edited in korvimo.keys()


def test_a_text_of_several_megabytes_is_shown_whole(korvimo):
    big = ("0123456789abcdef" * 64 + "\r\n") * 3000  # about 3 MB
    korvimo.select(korvimo.copy(text=big))
    assert korvimo.text1() == big


def test_delete_empties_and_removes_the_entry_and_never_a_root(korvimo):
    gone = korvimo.copy(text="gone soon")
    before = korvimo.entries("Txt")
    korvimo.select(gone)
    korvimo.command("IDM_DELETE")
    korvimo.wait_until(lambda: gone not in korvimo.keys(), what="the deleted node")
    # The tree selected a root: nothing shown, nothing to delete.
    assert korvimo.entry_buttons() == (False, False, False)
    korvimo.command("IDM_DELETE")
    assert korvimo.keys()[:2] == ["M", "T"] and "P" in korvimo.keys()
    # The same text again is new: the emptied slot no longer matches it.
    again = korvimo.copy(text="gone soon")
    assert korvimo.entries("Txt") == [key for key in before if key != gone] + [again]


def test_settings_open_once_and_turning_text_detection_off_applies(wine, korvimo):
    settings(korvimo)
    korvimo.command("IDM_OP")
    assert korvimo.probe("count-class", SETTING).strip() == "1"
    assert korvimo.probe("checked", SETTING, CHECK1).strip() == "1"
    assert korvimo.probe("checked", SETTING, CHECK2).strip() == "1"
    assert korvimo.probe("checked", SETTING, OPTION1).strip() == "1"

    korvimo.probe("click", SETTING, CHECK1)
    korvimo.probe("click", SETTING, APPLY)
    texts = korvimo.entries("Txt")
    wine.set_clipboard(text="not recorded")
    korvimo.copy(bitmap=(10, 10, 3))
    assert korvimo.entries("Txt") == texts

    korvimo.probe("click", SETTING, CANCEL)
    korvimo.wait_until(lambda: korvimo.probe("count-class", SETTING).strip() == "0", what="closed settings")
    settings(korvimo)
    assert korvimo.probe("checked", SETTING, CHECK1).strip() == "0"
    korvimo.probe("click", SETTING, CHECK1)
    korvimo.probe("click", SETTING, OK)
    korvimo.copy(text="recorded again")


def test_large_picture_pans_with_the_arrows_and_stretch_hides_them(korvimo):
    picture = korvimo.copy(bitmap=(1200, 900, 2))
    korvimo.select(picture)
    # At the top-left corner only the right and down arrows make sense.
    assert arrows(korvimo) == ["0", "1", "0", "1"]
    left, top, _, _ = map(int, korvimo.probe("rect", IDS["IDC_IMAGE1"]).split())
    assert (left, top) == (0, 0)

    korvimo.probe("mouse", IDS["IDC_IMAGED"], WM_LBUTTONDOWN, 5, 5)
    time.sleep(0.6)
    korvimo.probe("mouse", IDS["IDC_IMAGED"], WM_LBUTTONUP, 5, 5)
    korvimo.settle()
    _, top, _, _ = map(int, korvimo.probe("rect", IDS["IDC_IMAGE1"]).split())
    assert top < 0
    assert korvimo.state()["imageu.visible"] == "1"

    # Reselecting shows the picture from its corner again.
    korvimo.select("P")
    korvimo.select(picture)
    assert tuple(map(int, korvimo.probe("rect", IDS["IDC_IMAGE1"]).split()))[:2] == (0, 0)

    settings(korvimo, OPTION2, OK)
    assert arrows(korvimo) == ["0", "0", "0", "0"]
    _, _, width, height = map(int, korvimo.probe("rect", IDS["IDC_IMAGE1"]).split())
    _, _, pic_width, pic_height = map(int, korvimo.probe("rect", IDS["IDC_PIC"]).split())
    assert (width, height) == (pic_width - 4, pic_height - 4)  # less 60 twips at 96 dpi
    settings(korvimo, OPTION1, OK)


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
        return [int(korvimo.probe("send", text1, message, 0, 0)) for message in (EM_GETFIRSTVISIBLELINE, EM_GETSEL)]

    korvimo.probe("send", text1, EM_SETSEL, 50, 50)
    korvimo.probe("send", text1, EM_LINESCROLL, 0, 6)
    # Empty tree space and another node's expand button leave the view be;
    # a click on the selected node itself shows it afresh.
    assert click(lines, "below") == [6, 50 | 50 << 16]
    assert click("P", "button") == [6, 50 | 50 << 16]
    assert click(lines, "label") == [0, 0]


def test_arrows_placed_while_the_window_is_in_the_tray_show_with_it(korvimo):
    korvimo.select(korvimo.copy(bitmap=(1200, 900, 4)))
    korvimo.command("IDM_HS")
    korvimo.wait_until(lambda: korvimo.state()["main.visible"] == "0", what="window hidden to the tray")
    # Applying settings places the arrows again while nothing is on screen.
    settings(korvimo, OK)
    korvimo.command("IDM_HS")
    korvimo.wait_until(lambda: korvimo.state()["main.visible"] == "1", what="window shown again")
    assert arrows(korvimo) == ["0", "1", "0", "1"]


def rename(korvimo, key, label):
    korvimo.select(key)
    korvimo.command("IDM_RENAME")
    korvimo.probe("edit-label", windows_path(korvimo.wine.file("label.txt", label)))
    korvimo.settle()


def test_rename_changes_only_the_label_roots_included(korvimo):
    named = korvimo.copy(text="named")
    rename(korvimo, named, "我的笔记")
    assert korvimo.label(named) == "我的笔记"
    korvimo.select(named)
    assert korvimo.text1() == "named"
    rename(korvimo, "T", "文字")
    assert korvimo.label("T") == "文字"
    added = korvimo.copy(text="still under the renamed root")
    tree = [(d, k) for d, k, _, _ in korvimo.tree()]
    assert tree[tree.index((1, "T")) + len(korvimo.entries("Txt"))] == (2, added)


def test_splitter_drop_is_clamped_at_sixty_twips(korvimo):
    splitter = IDS["IDC_SPLITTER"]
    korvimo.probe("mouse", splitter, WM_LBUTTONDOWN, 2, 10)
    korvimo.probe("mouse", splitter, WM_MOUSEMOVE, -400, 10)
    korvimo.probe("mouse", splitter, WM_LBUTTONUP, -400, 10)
    korvimo.settle()
    _, _, tree_width, _ = map(int, korvimo.probe("rect", IDS["IDC_TREEVIEW"]).split())
    left, _, _, _ = map(int, korvimo.probe("rect", splitter).split())
    assert tree_width == 4  # 60 twips
    assert left == 7  # 109 twips: rests right of the 60-wide tree

    # The right button during a drag drops the splitter where the pointer is.
    korvimo.probe("mouse", splitter, WM_LBUTTONDOWN, 2, 10)
    korvimo.probe("mouse", splitter, WM_MOUSEMOVE, 100, 10)
    korvimo.probe("mouse", splitter, WM_RBUTTONDOWN, 100, 10)
    korvimo.settle()
    _, _, tree_width, _ = map(int, korvimo.probe("rect", IDS["IDC_TREEVIEW"]).split())
    assert tree_width > 90

