"""The clip browser seen from outside: selection, panning, the text box, the keys and the splitter.
Every test leaves the picture mode and the splitter as they were; the splitter's test comes last."""
import subprocess
import time

from korvimo_driver import (BM_CLICK, IDS, TVM_GETINDENT, TVM_GETITEMHEIGHT, WM_LBUTTONDOWN, WM_LBUTTONUP,
                            WM_MOUSEMOVE, at)

SETTING = "KorvimoSetting"
WM_KEYDOWN, TVM_GETEDITCONTROL, TVM_ENDEDITLABELNOW = 0x0100, 0x110F, 0x1116
VK_TAB, VK_RETURN, VK_SHIFT, VK_CONTROL, VK_ESCAPE, VK_UP, VK_DELETE, VK_F2, VK_F3 = (
    0x09, 0x0D, 0x10, 0x11, 0x1B, 0x26, 0x2E, 0x71, 0x72)
EM_GETSEL, EM_SETSEL, EM_LINESCROLL, EM_GETFIRSTVISIBLELINE = 0x00B0, 0x00B1, 0x00B6, 0x00CE
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


def test_a_right_click_deletes_the_entry_pointed_at_not_the_one_selected(korvimo):
    older, newer = korvimo.copy(text="older"), korvimo.copy(text="newer")
    korvimo.select(newer)
    korvimo.click_node(older, button="right")
    korvimo.wait_until(lambda: korvimo.count("#32768"), what="the tree's popup")
    korvimo.probe("key", ord("D"))
    korvimo.wait_until(lambda: older not in korvimo.keys(), what="an entry deleted")
    assert newer in korvimo.keys()


def test_resting_on_an_entry_shows_the_start_of_its_text(korvimo):
    entry, tree = korvimo.copy(text="\r\n  first line \r\nsecond"), IDS["IDC_TREEVIEW"]
    row, indent = korvimo.send(tree, TVM_GETITEMHEIGHT), korvimo.send(tree, TVM_GETINDENT)
    korvimo.post(tree, WM_MOUSEMOVE, 0, at(3 * indent + 24, korvimo.keys().index(entry) * row + row // 2))
    assert korvimo.probe("tip", 5000) == "first line"


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

    # In 设置, Esc is 取消 and Enter is 确定, the default button.
    for key, stretched in ((VK_ESCAPE, False), (VK_RETURN, True)):
        settings(korvimo, OPTION2)
        korvimo.post(f"{SETTING}:{OPTION2}", WM_KEYDOWN, key)
        korvimo.wait_gone(SETTING)
        korvimo.settle()
        assert (arrows(korvimo) == [0, 0, 0, 0]) == stretched
    settings(korvimo, OPTION1, OK)


def test_text_box_over_a_large_picture_keeps_its_clicks_and_its_view(korvimo):
    text1, tree = IDS["IDC_TEXT1"], IDS["IDC_TREEVIEW"]
    lines = korvimo.copy(text="".join(f"line {n}\r\n" for n in range(500)))
    korvimo.select(korvimo.copy(bitmap=(1200, 900, 3)))
    korvimo.select(lines)
    # Its scroll buttons are its own, not the arrows of the picture beneath.
    assert korvimo.probe("scroll-hit", text1).split() == [str(text1)] * 2

    def click(key, part, slide=0):
        """The first line shown and the caret as EM_GETSEL reports it, after a click on the tree."""
        korvimo.click_node(key, part, slide)
        return [korvimo.send(text1, message) for message in (EM_GETFIRSTVISIBLELINE, EM_GETSEL)]

    korvimo.send(text1, EM_SETSEL, 50, 50)
    korvimo.send(text1, EM_LINESCROLL, 0, 6)
    # Empty tree space and another node's expand button leave the view be; a click on the selected
    # node itself shows it afresh, also when the release comes a few pixels onto its neighbour.
    assert click(lines, "below") == [6, 50 | 50 << 16]
    assert click("P", "button") == [6, 50 | 50 << 16]
    assert korvimo.keys().index(lines) + 1 == korvimo.keys().index("P")
    for slide in (0, 2):
        assert click(lines, "label", slide) == [0, 0]
        # That slow second click opens the label editor, which a next click would end instead.
        korvimo.wait_until(lambda: korvimo.send(tree, TVM_GETEDITCONTROL), what="the label editor")
        korvimo.send(tree, TVM_ENDEDITLABELNOW, True)
        korvimo.send(text1, EM_LINESCROLL, 0, 6)


def test_a_conversion_keeps_what_the_code_page_lacks_and_the_box_undoes_it_entry_and_all(korvimo):
    text = "繁體中文 😀 한국어"
    entry = korvimo.copy(text=text)
    korvimo.click_node(entry)
    korvimo.probe("real-key", VK_TAB)  # into the text box
    korvimo.command("IDM_BIG2GB")
    assert korvimo.text1().endswith(" 😀 한국어") and korvimo.text1() != text
    korvimo.probe("real-key", VK_CONTROL, ord("Z"))
    korvimo.wait_until(lambda: korvimo.text1() == text, what="the conversion undone")
    korvimo.select("T")
    korvimo.select(entry)
    assert korvimo.text1() == text


def test_keys_go_between_tree_and_text_box_and_act_on_the_entry_as_its_popup_does(korvimo, wine):
    entry, opened = korvimo.copy(text="typed"), wine.file("long" * 40 + ".txt", "text")
    korvimo.open(opened)  # its label, the long path, is shown, but not at the cost of the rest
    korvimo.click_node(entry)  # where its label is while the tree is not scrolled sideways
    for chord in ([VK_TAB], [ord("K")], [VK_CONTROL, VK_TAB], [VK_SHIFT, VK_TAB], [VK_F2]):
        korvimo.probe("real-key", *chord)
    korvimo.settle()
    assert korvimo.text1() == "k\ttyped" and korvimo.send(IDS["IDC_TREEVIEW"], TVM_GETEDITCONTROL)
    for key in (VK_ESCAPE, VK_DELETE):  # Esc closes the editor, Delete is the popup's 删除
        korvimo.probe("real-key", key)
    korvimo.wait_until(lambda: entry not in korvimo.keys(), what="the entry deleted")


def test_ctrl_alt_v_pastes_into_notepad_or_goes_back_empty_handed_and_ctrl_f_finds_an_old_entry(korvimo, wine):
    """Notepad is the real target; the hotkey goes through the X server as a user presses it."""
    korvimo.copy(text="an old note on Zebras")
    for text in ("second newest, zebras too", "newest"):
        korvimo.copy(text=text)
    notepad = subprocess.Popen([wine.wine, "notepad"])
    try:
        korvimo.wait_until(lambda: wine.count("Notepad", anywhere=True), timeout=30, what="Notepad")
        left, top, *_ = next(r for c, _, _, _, r, *_ in wine.windows() if c == "Notepad")
        subprocess.run(["xdotool", "mousemove", str(left + 60), str(top + 120), "click", "1"], check=True)
        edit = "Notepad:{}".format(next(i for c, *_, i, _, _ in wine.windows("Notepad") if c == "Edit"))
        for chords, pasted in (([[VK_ESCAPE]], ""), ([[VK_UP], [VK_RETURN]], "second newest, zebras too"),
                               ([[VK_CONTROL, ord("F")]], "second newest, zebras too")):
            korvimo.wait_until(lambda: wine.probe("focus") == "Edit\t0\t", what="Notepad in front")
            subprocess.run(["xdotool", "key", "ctrl+alt+v"], check=True)
            korvimo.wait_until(lambda: wine.probe("focus") == "SysTreeView32\t1\t", what="Korvimo called up")
            for chord in chords:  # past the X server, which holds the keys for the window it last saw in front
                korvimo.probe("real-key", *chord)
            korvimo.wait_until(lambda: wine.probe("text", edit) == pasted, what=f"Notepad holding {pasted!r}")
        korvimo.wait_window("#32770")  # the find box
        for key in map(ord, "ZEBRAS"):
            korvimo.probe("real-key", key)
        for chord, found in (([VK_RETURN], "an old note on Zebras"), ([VK_F3], "second newest, zebras too"),
                             ([VK_SHIFT, VK_F3], "an old note on Zebras")):
            korvimo.probe("real-key", *chord)
            korvimo.wait_until(lambda: korvimo.text1() == found, what=f"{found!r} found")
        korvimo.probe("real-key", VK_ESCAPE)
        korvimo.wait_gone("#32770")
    finally:
        notepad.kill()


def test_splitter_drop_is_clamped_at_sixty_twips(korvimo):
    for message, keys, x in ((WM_LBUTTONDOWN, 1, 2), (WM_MOUSEMOVE, 1, -400), (WM_LBUTTONUP, 0, -400)):
        korvimo.send(IDS["IDC_SPLITTER"], message, keys, at(x, 10))
    korvimo.settle()
    assert korvimo.rect("IDC_TREEVIEW")[2] == 4  # 60 twips
    assert korvimo.rect("IDC_SPLITTER")[0] == 7  # 109 twips: rests right of the 60-wide tree
