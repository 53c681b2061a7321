"""The clip browser seen from outside: selection, panning, the text box and the splitter.
Every test leaves the picture mode and the splitter as they were; the splitter's test comes last."""
import time

from korvimo_driver import BM_CLICK, IDS, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_MOUSEMOVE, at

SETTING = "KorvimoSetting"
EM_GETSEL, EM_SETSEL, EM_LINESCROLL, EM_GETFIRSTVISIBLELINE = 0x00B0, 0x00B1, 0x00B6, 0x00CE
TVM_GETINDENT, TVM_GETITEMHEIGHT = 0x1106, 0x111C
OPTION1, OPTION2, OK = 3005, 3006, 3007


def arrows(korvimo):
    controls = korvimo.controls()
    return [int(controls[f"IDC_IMAGE{a}"][0]) for a in "UDLR"]


def settings(korvimo, *clicks):
    korvimo.command("IDM_OP")
    korvimo.wait_window(SETTING)
    for control in clicks:
        korvimo.send(f"{SETTING}:{control}", BM_CLICK)
    korvimo.settle()


def test_selection_shows_the_entry_whole_and_as_copied(korvimo):
    text = "crlf\r\nlf only\nlone cr\rend \u00e9\u4e2d\U0001F600"
    tricky, picture = korvimo.copy(text=text), korvimo.copy(bitmap=(50, 40, 1))
    for _ in range(2):  # leaving the entry alters nothing
        korvimo.select(picture)
        assert korvimo.shown() == (False, True)
        korvimo.select(tricky)
        assert korvimo.shown() == (True, True) and korvimo.text1() == text  # the picture stays beneath


def test_large_picture_pans_with_the_arrows_and_stretch_hides_them(korvimo):
    korvimo.select(korvimo.copy(bitmap=(1200, 900, 2)))
    # At the top-left corner only the right and down arrows make sense.
    assert arrows(korvimo) == [0, 1, 0, 1] and korvimo.rect("IDC_IMAGE1")[:2] == (0, 0)
    korvimo.send(IDS["IDC_IMAGED"], WM_LBUTTONDOWN, 1, at(5, 5))
    time.sleep(0.6)
    korvimo.send(IDS["IDC_IMAGED"], WM_LBUTTONUP, 0, at(5, 5))
    korvimo.settle()
    assert korvimo.rect("IDC_IMAGE1")[1] < 0 and arrows(korvimo)[0] == 1

    settings(korvimo, OPTION2, OK)
    assert arrows(korvimo) == [0, 0, 0, 0]
    settings(korvimo, OPTION1, OK)


def test_text_box_over_a_large_picture_keeps_its_clicks_and_its_view(korvimo):
    text1 = IDS["IDC_TEXT1"]
    lines = korvimo.copy(text="".join(f"line {n}\r\n" for n in range(500)))
    korvimo.select(korvimo.copy(bitmap=(1200, 900, 3)))
    korvimo.select(lines)
    # Its scroll buttons are its own, not the arrows of the picture beneath.
    assert korvimo.probe("scroll-hit", text1).split() == [str(text1)] * 2

    def click(key, part):
        """A user's click on a node's label or expand button, or below the rows; then the first
        line shown and the caret as EM_GETSEL reports it."""
        tree, (depth,) = IDS["IDC_TREEVIEW"], [d for d, k, _, _ in korvimo.tree() if k == key]
        row, indent = korvimo.send(tree, TVM_GETITEMHEIGHT), korvimo.send(tree, TVM_GETINDENT)
        x = depth * indent + indent // 2 if part == "button" else (depth + 1) * indent + 24  # past the icon
        y = korvimo.rect("IDC_TREEVIEW")[3] - 10 if part == "below" else korvimo.keys().index(key) * row + row // 2
        korvimo.probe("real-click", x, y, "left", tree)
        korvimo.settle()
        return [korvimo.send(text1, message) for message in (EM_GETFIRSTVISIBLELINE, EM_GETSEL)]

    korvimo.send(text1, EM_SETSEL, 50, 50)
    korvimo.send(text1, EM_LINESCROLL, 0, 6)
    # Empty tree space and another node's expand button leave the view be;
    # a click on the selected node itself shows it afresh.
    assert click(lines, "below") == [6, 50 | 50 << 16]
    assert click("P", "button") == [6, 50 | 50 << 16]
    assert click(lines, "label") == [0, 0]


def test_splitter_drop_is_clamped_at_sixty_twips(korvimo):
    for message, keys, x in ((WM_LBUTTONDOWN, 1, 2), (WM_MOUSEMOVE, 1, -400), (WM_LBUTTONUP, 0, -400)):
        korvimo.send(IDS["IDC_SPLITTER"], message, keys, at(x, 10))
    korvimo.settle()
    assert korvimo.rect("IDC_TREEVIEW")[2] == 4  # 60 twips
    assert korvimo.rect("IDC_SPLITTER")[0] == 7  # 109 twips: rests right of the 60-wide tree
