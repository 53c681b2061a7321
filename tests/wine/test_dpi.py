"""The screen at 144 DPI (150 %), as on most laptops sold today: the same window, scaled, with pictures drawn for it."""
import io
import subprocess

from PIL import Image

from korvimo_driver import IDS


def set_dpi(wine, dpi):
    # Every Wine program reads the screen's DPI from here when it starts; a new prefix has 96.
    subprocess.run([wine.wine, "reg", "add", r"HKCU\Control Panel\Desktop", "/v", "LogPixels", "/t", "REG_DWORD",
                    "/d", str(dpi), "/f"], stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, check=True)


def picture_rows(korvimo):
    """How many rows the toolbar's pictures span on the screen. Text, separators and disabled buttons
    are grey; only the pictures are in colour, and a picture of 16 pixels colours 16 rows at most."""
    (x, y), (_, _, width, height) = korvimo.probe("origin", IDS["IDC_TOOLBAR"]).split(), korvimo.rect("IDC_TOOLBAR")
    shot = subprocess.run(["import", "-window", "root", "-crop", f"{width}x{height}+{x}+{y}", "png:-"],
                          capture_output=True, check=True).stdout
    image = Image.open(io.BytesIO(shot)).convert("RGB")
    rows = [y for y in range(height)
            if any(max(p) - min(p) > 80 for p in map(image.getpixel, ((x, y) for x in range(width))))]
    return rows[-1] - rows[0] + 1


def test_at_144_dpi_the_pictures_are_drawn_for_it_and_the_window_keeps_its_proportions(wine, start_korvimo):
    layouts, rows = {}, []
    try:
        for dpi in (96, 144):
            set_dpi(wine, dpi)
            korvimo = start_korvimo()
            # The client's width, which the toolbar spans, and the panes below it.
            layouts[dpi] = [korvimo.rect("IDC_TOOLBAR")[2]] + [
                v for name in ("IDC_TREEVIEW", "IDC_SPLITTER", "IDC_PIC") for v in korvimo.rect(name)]
            if dpi == 96:  # moved to a monitor at 150 %: the system proposes the place scaled
                left, top, right, bottom = next(r for c, _, ours, _, r, *_ in korvimo.windows() if c == "KorvimoMain")
                korvimo.probe("dpi", 0, 144, left, top, left + (right - left) * 3 // 2, top + (bottom - top) * 3 // 2)
                korvimo.settle()
                assert korvimo.rect("IDC_TREEVIEW")[:3] == (5, 40, 180)  # 49, 400 and 1800 twips at 144 DPI
            rows.append(picture_rows(korvimo))
            korvimo.close()
    finally:
        set_dpi(wine, 96)
    assert all(abs(a * 1.5 - b) <= 1 for a, b in zip(layouts[96], layouts[144])), layouts
    assert min(rows) >= 22, rows
