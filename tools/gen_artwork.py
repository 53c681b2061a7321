#!/usr/bin/python3
"""Draws Korvimo's artwork and writes it into resources/.

Run from anywhere:  /usr/bin/python3 tools/gen_artwork.py [output-folder]

The pictures are drawn with Pillow (Debian package python3-pil) at eight
times their size and reduced with a box filter, which keeps the output the
same from run to run.  The file formats (ICO, BMP, GIF89a) are written here
by hand so that their exact layout is under our control: Windows is picky
about icon headers, and the arrow GIFs must carry a transparent colour.

The generated files are committed, so the build never needs Pillow or the
fonts; rerun this script only when the artwork changes.

Fonts: DejaVu Sans (fonts-dejavu-core) for Latin text and WenQuanYi Micro
Hei (fonts-wqy-microhei) for Chinese text.
"""

import os
import struct
import sys

from PIL import Image, ImageDraw, ImageFont

HERE = os.path.dirname(os.path.abspath(__file__))
DEFAULT_OUT = os.path.join(HERE, os.pardir, "resources")

LATIN_BOLD = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"
LATIN = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"
CJK = "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc"

SS = 8  # supersampling factor

MAGENTA = (255, 0, 255)


def font(path, size):
    if not os.path.exists(path):
        sys.exit("gen_artwork: font %s is missing (install fonts-dejavu-core "
                 "and fonts-wqy-microhei)" % path)
    return ImageFont.truetype(path, size)


# ---------------------------------------------------------------------------
# Drawing at SS times the size; coordinates are given in final pixels, on
# pixel boundaries: rect(0, 0, 16, 16) covers a whole 16 x 16 picture.
# ---------------------------------------------------------------------------

class Sketch:
    """unit: final pixels per drawing unit, so that a picture designed on a
    16 x 16 grid is drawn at 24 x 24 (150 %) with unit 1.5."""

    def __init__(self, w, h, background=(0, 0, 0, 0), unit=1.0):
        self.w, self.h, self.unit = round(w * unit), round(h * unit), unit
        self.big = Image.new("RGBA", (self.w * SS, self.h * SS), background)
        self.d = ImageDraw.Draw(self.big)

    def _at(self, v):
        return round(v * self.unit * SS)

    def _box(self, x0, y0, x1, y1):
        return [self._at(x0), self._at(y0), self._at(x1) - 1, self._at(y1) - 1]

    def _pts(self, points):
        return [(self._at(x), self._at(y)) for x, y in points]

    def _width(self, width):
        return max(1, self._at(width))

    def rect(self, x0, y0, x1, y1, fill=None, outline=None, width=1.0):
        self.d.rectangle(self._box(x0, y0, x1, y1), fill=fill, outline=outline,
                         width=self._width(width))

    def rrect(self, x0, y0, x1, y1, radius, fill=None, outline=None, width=1.0):
        self.d.rounded_rectangle(self._box(x0, y0, x1, y1), radius=self._at(radius),
                                 fill=fill, outline=outline, width=self._width(width))

    def ellipse(self, x0, y0, x1, y1, fill=None, outline=None, width=1.0):
        self.d.ellipse(self._box(x0, y0, x1, y1), fill=fill, outline=outline,
                       width=self._width(width))

    def poly(self, points, fill=None, outline=None, width=1.0):
        pts = self._pts(points)
        if fill is not None:
            self.d.polygon(pts, fill=fill)
        if outline is not None:
            self.d.line(pts + [pts[0]], fill=outline, width=self._width(width),
                        joint="curve")

    def line(self, points, fill, width=1.0):
        self.d.line(self._pts(points), fill=fill, width=self._width(width),
                    joint="curve")

    def text(self, x, y, s, fnt_path, size, fill, anchor="la"):
        """Text with its anchor at (x, y), size in drawing units."""
        f = font(fnt_path, self._at(size))
        self.d.text((self._at(x), self._at(y)), s, font=f, fill=fill, anchor=anchor)

    def mono_text(self, x, y, s, fnt_path, size, fill, anchor="la"):
        """Unsmoothed text rendered at the final size: at 16 x 16 a CJK
        character is far more legible with hinted one-bit strokes than
        with grey smudges."""
        small = Image.new("RGBA", (self.w, self.h), (0, 0, 0, 0))
        d = ImageDraw.Draw(small)
        d.fontmode = "1"
        u = self.unit
        d.text((x * u, y * u), s, font=font(fnt_path, round(size * u)), fill=fill, anchor=anchor)
        self.big.alpha_composite(small.resize(self.big.size, Image.NEAREST))

    def paste(self, other, x, y):
        """Composites another sketch (drawn at the same scale) at (x, y)."""
        self.big.alpha_composite(other.big, (self._at(x), self._at(y)))

    def image(self):
        return self.big.reduce(SS)


# ---------------------------------------------------------------------------
# File writers
# ---------------------------------------------------------------------------

def bmp24_bytes(img):
    """Bottom-up 24-bit BMP with BITMAPINFOHEADER, rows padded to 4 bytes."""
    img = img.convert("RGB")
    w, h = img.size
    stride = (w * 3 + 3) & ~3
    px = img.load()
    rows = []
    for y in range(h - 1, -1, -1):
        row = bytearray()
        for x in range(w):
            r, g, b = px[x, y]
            row += bytes((b, g, r))
        row += b"\0" * (stride - len(row))
        rows.append(bytes(row))
    data = b"".join(rows)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(data), 3780, 3780, 0, 0)
    header = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(data), 0, 0, 14 + len(info))
    return header + info + data


def ico_entry_bytes(img):
    """One icon image: BITMAPINFOHEADER (double height), 32-bit BGRA rows
    bottom-up, then the 1-bit AND mask (1 = transparent) for systems that
    ignore the alpha channel."""
    img = img.convert("RGBA")
    w, h = img.size
    px = img.load()
    xor = bytearray()
    mask = bytearray()
    mask_stride = ((w + 31) // 32) * 4
    for y in range(h - 1, -1, -1):
        bits = bytearray(mask_stride)
        for x in range(w):
            r, g, b, a = px[x, y]
            xor += bytes((b, g, r, a))
            if a < 128:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    info = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    return info + bytes(xor) + bytes(mask)


def ico_bytes(images):
    entries = [ico_entry_bytes(im) for im in images]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for im, data in zip(images, entries):
        w, h = im.size
        out += struct.pack("<BBBBHHII", w % 256, h % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    return out + b"".join(entries)


def lzw_encode(indices, min_code_size):
    """GIF variant of LZW: clear code first, codes grow to 12 bits, the
    table restarts with a clear code when it is full."""
    clear = 1 << min_code_size
    end = clear + 1
    out = bytearray()
    acc = 0
    nbits = 0

    def emit(code, width):
        nonlocal acc, nbits
        acc |= code << nbits
        nbits += width
        while nbits >= 8:
            out.append(acc & 0xFF)
            acc >>= 8
            nbits -= 8

    def fresh():
        return {(i,): i for i in range(clear)}

    table = fresh()
    next_code = end + 1
    width = min_code_size + 1
    emit(clear, width)
    cur = ()
    for ix in indices:
        cand = cur + (ix,)
        if cand in table:
            cur = cand
            continue
        emit(table[cur], width)
        if next_code < 4096:
            table[cand] = next_code
            next_code += 1
            if next_code > (1 << width) and width < 12:
                width += 1
        else:
            emit(clear, width)
            table = fresh()
            next_code = end + 1
            width = min_code_size + 1
        cur = (ix,)
    if cur:
        emit(table[cur], width)
    emit(end, width)
    if nbits:
        out.append(acc & 0xFF)
    return bytes(out)


def gif89a_bytes(w, h, indices, palette, transparent_index):
    """Single-image GIF89a whose Graphic Control Extension marks one palette
    entry as transparent."""
    bits = 1
    while (1 << bits) < len(palette):
        bits += 1
    size = 1 << bits
    pal = list(palette) + [(0, 0, 0)] * (size - len(palette))
    out = bytearray(b"GIF89a")
    out += struct.pack("<HHBBB", w, h, 0x80 | ((bits - 1) << 4) | (bits - 1), 0, 0)
    for r, g, b in pal:
        out += bytes((r, g, b))
    out += bytes((0x21, 0xF9, 4, 0x01, 0, 0, transparent_index, 0))
    out += b"," + struct.pack("<HHHHB", 0, 0, w, h, 0)
    min_code = max(2, bits)
    data = lzw_encode(indices, min_code)
    out.append(min_code)
    for i in range(0, len(data), 255):
        chunk = data[i:i + 255]
        out.append(len(chunk))
        out += chunk
    out += b"\0;"
    return bytes(out)


def write(out_dir, name, data):
    path = os.path.join(out_dir, name)
    with open(path, "wb") as f:
        f.write(data)
    print("wrote %s (%d bytes)" % (os.path.normpath(path), len(data)))


# ---------------------------------------------------------------------------
# Shared motifs
# ---------------------------------------------------------------------------

BOARD = (176, 118, 58, 255)
BOARD_DARK = (112, 70, 30, 255)
CLIP = (196, 200, 208, 255)
CLIP_DARK = (84, 88, 100, 255)
PAPER = (255, 255, 255, 255)
PAPER_EDGE = (120, 130, 150, 255)
INK = (40, 90, 190, 255)


def draw_clipboard(s, n, page, stack=0):
    """Clipboard filling an n x n square. page: draw a sheet on the board;
    stack: extra sheets fanned behind the front one (window icon).
    Edges sit on whole pixels at 16 x 16 so that the small icon stays sharp."""
    k = n / 16.0
    s.rrect(2 * k, 2 * k, 14 * k, 16 * k, 1.5 * k, fill=BOARD, outline=BOARD_DARK, width=1)
    if page:
        for i in range(stack, 0, -1):
            s.rect((3 + i) * k, (3 - i) * k, (13 + i) * k, (15 - i) * k,
                   fill=(226, 232, 244, 255), outline=PAPER_EDGE, width=1)
        s.rect(3 * k, 4 * k, 13 * k, 15 * k, fill=PAPER, outline=PAPER_EDGE, width=1)
        for row in (6, 8, 10, 12):
            right = 11 if row != 12 else 9
            s.rect(5 * k, row * k, right * k, (row + 1) * k, fill=INK)
    else:
        # An empty board: a faint grain so that it still reads as wood.
        for row in (6, 9, 12):
            s.rect(4 * k, row * k, 12 * k, row * k + max(1, k / 2), fill=(158, 102, 46, 255))
    # The metal clip across the top edge.
    s.rrect(5 * k, 0, 11 * k, 4 * k, 1 * k, fill=CLIP, outline=CLIP_DARK, width=1)
    s.rect(7 * k, 1 * k, 9 * k, 2 * k, fill=CLIP_DARK)


# Small icons at 100, 150 and 200 %, and the large 48 x 48 of 150 %: the
# system loads the size nearest to the one it needs from the same file.
ICON_SIZES = (16, 24, 32, 48)

# The scales the list pictures and the arrows come at, with the suffix of
# their files.
SCALES = ((1.0, ""), (1.5, "_150"), (2.0, "_200"))


def icon_images(page, stack=0):
    out = []
    for n in ICON_SIZES:
        s = Sketch(n, n)
        draw_clipboard(s, n, page, stack)
        out.append(s.image())
    return out


# ---------------------------------------------------------------------------
# The ten list images
# ---------------------------------------------------------------------------

def img_open_folder(s):
    s.poly([(0.5, 3), (5, 3), (6.5, 4.5), (13, 4.5), (13, 13.5), (0.5, 13.5)],
           fill=(214, 160, 40, 255), outline=(120, 84, 10, 255))
    s.poly([(3, 7), (15.5, 7), (13, 13.5), (0.5, 13.5)],
           fill=(252, 214, 92, 255), outline=(120, 84, 10, 255))


def img_diskette(s):
    s.poly([(1, 1), (13, 1), (15, 3), (15, 15), (1, 15)], fill=(40, 70, 150, 255),
           outline=(16, 30, 80, 255))
    s.rect(4, 1, 12, 6, fill=(200, 204, 212, 255), outline=(90, 94, 104, 255))
    s.rect(9, 2, 11, 5, fill=(40, 70, 150, 255))
    s.rect(3, 8, 13, 15, fill=(250, 250, 250, 255), outline=(150, 150, 160, 255))
    s.rect(4.5, 10, 11.5, 11, fill=(200, 60, 60, 255))
    s.rect(4.5, 12, 11.5, 13, fill=(120, 120, 130, 255))


def img_red_cross(s):
    s.line([(3, 3), (13, 13)], fill=(130, 0, 0, 255), width=4.2)
    s.line([(13, 3), (3, 13)], fill=(130, 0, 0, 255), width=4.2)
    s.line([(3, 3), (13, 13)], fill=(226, 30, 30, 255), width=2.6)
    s.line([(13, 3), (3, 13)], fill=(226, 30, 30, 255), width=2.6)


def img_clipboard(s):
    draw_clipboard(s, 16, page=True)


def img_question(s):
    s.ellipse(0.5, 0.5, 15.5, 15.5, fill=(40, 100, 220, 255), outline=(10, 40, 130, 255))
    s.text(8, 8.4, "?", LATIN_BOLD, 12.5, (255, 255, 255, 255), anchor="mm")


def img_house(s):
    s.rect(3, 7, 13, 15, fill=(240, 226, 190, 255), outline=(120, 96, 60, 255))
    s.poly([(8, 1), (15.5, 8), (0.5, 8)], fill=(200, 40, 30, 255), outline=(110, 20, 10, 255))
    s.rect(7, 10, 10, 15, fill=(130, 80, 40, 255))
    s.rect(10.5, 9, 12, 10.5, fill=(120, 180, 240, 255))


def img_envelope(s):
    s.rect(0.5, 3, 15.5, 13, fill=(255, 255, 250, 255), outline=(110, 110, 120, 255))
    s.line([(1, 3.5), (8, 9), (15, 3.5)], fill=(110, 110, 120, 255), width=1)
    s.line([(1, 12.5), (6, 8)], fill=(170, 170, 180, 255), width=0.8)
    s.line([(15, 12.5), (10, 8)], fill=(170, 170, 180, 255), width=0.8)


def img_ma(s):
    s.mono_text(8, 8, "码", CJK, 15, (0, 0, 0, 255), anchor="mm")


def img_notepad(s):
    s.rect(1.5, 2, 11.5, 15, fill=(255, 250, 200, 255), outline=(120, 110, 60, 255))
    s.rect(1.5, 2, 11.5, 4, fill=(70, 120, 200, 255))
    for y in (6.5, 8.5, 10.5, 12.5):
        s.rect(3, y, 10, y + 0.7, fill=(150, 160, 200, 255))
    # The pencil, lying corner to corner over the pad.
    s.line([(14.5, 3.5), (7.5, 10.5)], fill=(90, 60, 10, 255), width=3.2)
    s.line([(14.5, 3.5), (7.5, 10.5)], fill=(250, 190, 40, 255), width=2.0)
    s.poly([(7.8, 9.2), (9, 10.6), (6, 12.5)], fill=(230, 200, 160, 255))
    s.poly([(6.9, 11.2), (7.3, 11.8), (6, 12.5)], fill=(30, 30, 30, 255))
    s.line([(15, 3), (13.8, 4.2)], fill=(230, 120, 140, 255), width=2.0)


def img_shapes_page(s):
    s.poly([(2, 0.5), (10.5, 0.5), (14, 4), (14, 15.5), (2, 15.5)], fill=PAPER,
           outline=PAPER_EDGE)
    s.poly([(10.5, 0.5), (10.5, 4), (14, 4)], fill=(210, 216, 228, 255), outline=PAPER_EDGE)
    s.ellipse(3.5, 3, 8.5, 8, fill=(220, 40, 40, 255))
    s.rect(8, 8, 12.5, 12.5, fill=(40, 90, 220, 255))
    s.poly([(3.5, 14), (6, 9.5), (8.5, 14)], fill=(30, 160, 60, 255))


LIST_IMAGES = [img_open_folder, img_diskette, img_red_cross, img_clipboard, img_question,
               img_house, img_envelope, img_ma, img_notepad, img_shapes_page]

# Semi-transparent edge pixels are blended onto this light face colour, the
# background the tree and the toolbar usually show; faint ones become mask.
LIST_GROUND = (240, 240, 240)


def to_masked(img):
    out = Image.new("RGB", img.size, MAGENTA)
    src = img.load()
    dst = out.load()
    for y in range(img.size[1]):
        for x in range(img.size[0]):
            r, g, b, a = src[x, y]
            if a < 80:
                continue
            t = a / 255.0
            dst[x, y] = tuple(round(c * t + gnd * (1 - t))
                              for c, gnd in zip((r, g, b), LIST_GROUND))
            if dst[x, y] == MAGENTA:
                dst[x, y] = (254, 0, 254)
    return out


def greyed(img):
    """The picture a disabled toolbar button shows: its own shapes in mid to
    light greys, so that it still reads on the face colour, where the
    system's greying of a coloured picture leaves a flat grey square."""
    out = img.copy()
    px = out.load()
    for y in range(img.size[1]):
        for x in range(img.size[0]):
            r, g, b, a = px[x, y]
            v = round(96 + (0.299 * r + 0.587 * g + 0.114 * b) / 2)
            px[x, y] = (v, v, v, a)
    return out


def imagelist_image(disabled=False, unit=1.0):
    n = round(16 * unit)
    strip = Image.new("RGB", (n * len(LIST_IMAGES), n), MAGENTA)
    for i, fn in enumerate(LIST_IMAGES):
        s = Sketch(16, 16, unit=unit)
        fn(s)
        strip.paste(to_masked(greyed(s.image()) if disabled else s.image()), (n * i, 0))
    return strip


# ---------------------------------------------------------------------------
# Arrows: drawn pixel by pixel so that every edge is crisp, designed at
# 21 x 21 and drawn at 32 x 32 and 42 x 42 for 150 and 200 %: the sizes the
# arrow windows (315 twips) have there.
# ---------------------------------------------------------------------------

ARROW_PALETTE = [(255, 0, 255), (20, 40, 140), (200, 220, 255)]  # clear, fill, outline
ARROW_SIZES = {1.0: 21, 1.5: 32, 2.0: 42}


def arrow_up_mask(n=21):
    k = n / 21.0
    m = [[0] * n for _ in range(n)]
    for y in range(n):
        for x in range(n):
            # The pixel's centre on the 21 x 21 design grid.
            u, v = (x + 0.5) / k - 0.5, (y + 0.5) / k - 0.5
            head = 3 <= v <= 11 and abs(u - 10) <= (v - 3)
            shaft = 11 <= v <= 17 and 7 <= u <= 13
            m[y][x] = 1 if (head or shaft) else 0
    return m


def rotate(m, times):
    for _ in range(times):
        n = len(m)
        m = [[m[n - 1 - x][y] for x in range(n)] for y in range(n)]  # clockwise
    return m


def arrow_indices(m, ring=1):
    """Palette indices: the arrow, an outline `ring` pixels wide, the clear ground."""
    n = len(m)
    out = []
    reach = range(-ring, ring + 1)
    for y in range(n):
        for x in range(n):
            if m[y][x]:
                out.append(1)
                continue
            near = any(0 <= y + dy < n and 0 <= x + dx < n and m[y + dy][x + dx]
                       for dy in reach for dx in reach)
            out.append(2 if near else 0)
    return out


# ---------------------------------------------------------------------------
# About picture, 397 x 204
# ---------------------------------------------------------------------------

def about_image():
    w, h = 397, 204
    bg = Image.new("RGBA", (w, h))
    px = bg.load()
    top, bottom = (248, 251, 255), (206, 224, 246)
    for y in range(h):
        t = y / (h - 1)
        c = tuple(round(a + (b - a) * t) for a, b in zip(top, bottom))
        for x in range(w):
            px[x, y] = c + (255,)
    s = Sketch(w, h)
    # A gentle wave across the foot of the picture.
    wave = [(x, 166 + 10 * ((x / 397.0) - 0.5) ** 2 * 4 - 6 * (x / 397.0))
                         for x in range(0, 398, 8)] + [(397, 204), (0, 204)]
    s.poly(wave, fill=(60, 110, 190, 255))
    wave2 = [(x, y + 7) for x, y in wave[:-2]] + [(397, 204), (0, 204)]
    s.poly(wave2, fill=(30, 70, 150, 255))

    # A large clipboard at the left, with a picture clip peeking out behind
    # its page: what the program keeps.
    clip = Sketch(112, 140)
    k = 7.0
    clip.rect(24, 10, 92, 82, fill=(255, 255, 255, 255), outline=PAPER_EDGE, width=1)
    clip.rect(28, 14, 88, 56, fill=(150, 200, 240, 255))
    clip.poly([(28, 56), (48, 34), (64, 50), (74, 41), (88, 56)], fill=(60, 150, 80, 255))
    clip.ellipse(72, 18, 83, 29, fill=(250, 200, 60, 255))
    board = Sketch(112, 140)
    board.rrect(2 * k, 1.5 * k, 14 * k, 19.5 * k, 1.5 * k, fill=BOARD, outline=BOARD_DARK,
                width=1.5)
    board.rect(3.5 * k, 4 * k, 12.5 * k, 18 * k, fill=PAPER, outline=PAPER_EDGE, width=1)
    for row in (7, 9, 11, 13, 15):
        right = 11 if row != 15 else 8.5
        board.rrect(5 * k, row * k, right * k, (row + 0.7) * k, 2, fill=INK)
    board.rrect(5 * k, 0, 11 * k, 4 * k, 6, fill=CLIP, outline=CLIP_DARK, width=1.5)
    board.rrect(7 * k, 1 * k, 9 * k, 2 * k, 3, fill=CLIP_DARK)
    s.paste(clip, 38, 40)
    s.paste(board, 6, 30)

    s.text(140, 96, "Korvimo", LATIN_BOLD, 50, (20, 46, 110, 255), anchor="ls")
    s.rect(142, 108, 372, 110, fill=(60, 110, 190, 255))
    s.text(143, 138, "剪贴板历史管理器", CJK, 24, (40, 60, 100, 255), anchor="ls")
    bg.alpha_composite(s.image())
    return bg.convert("RGB")


def main():
    out_dir = sys.argv[1] if len(sys.argv) > 1 else DEFAULT_OUT
    os.makedirs(out_dir, exist_ok=True)
    write(out_dir, "korvimo.ico", ico_bytes(icon_images(page=True, stack=2)))
    write(out_dir, "clip_full.ico", ico_bytes(icon_images(page=True)))
    write(out_dir, "clip_empty.ico", ico_bytes(icon_images(page=False)))
    for unit, suffix in SCALES:
        write(out_dir, "imagelist%s.bmp" % suffix, bmp24_bytes(imagelist_image(unit=unit)))
        write(out_dir, "imagelist_disabled%s.bmp" % suffix,
              bmp24_bytes(imagelist_image(disabled=True, unit=unit)))
        n = ARROW_SIZES[unit]
        up = arrow_up_mask(n)
        for name, turns in (("up", 0), ("right", 1), ("down", 2), ("left", 3)):
            write(out_dir, "arrow_%s%s.gif" % (name, suffix),
                  gif89a_bytes(n, n, arrow_indices(rotate(up, turns), round(unit)), ARROW_PALETTE, 0))
    write(out_dir, "about.bmp", bmp24_bytes(about_image()))


if __name__ == "__main__":
    main()
