#!/usr/bin/python3
"""Draws the front-end's artwork and writes it as resource files.

    make_artwork.py [OUTPUT_DIR]     (default: zelvane/res beside this tree)

Writes menu256.bmp (580 x 435, BI_RLE8, 256 colours), menu16.bmp (the same picture in
the 16 standard display colours, BI_RLE4), zelvane.ico (32 x 32, 16 colours) and
hand.cur (32 x 32 monochrome hand, hot spot 16, 6), and text-rendering.txt, which names
what drew the menu pictures' text. The output is the same on every run with the same
text rendering, so the committed files can be checked against a fresh one.
"""

import hashlib
import math
import os
import sys

import PIL
from PIL import Image, ImageDraw, ImageFont, features

import dib

WIDTH, HEIGHT = 580, 435

# The five panel faces, exactly the clickable rectangles of the menu window
# (left, top, right, bottom; right and bottom lie outside).
PANELS = [
    ((20, 165, 122, 251), ('Important', 'Information'), 'document'),
    ((130, 165, 230, 251), ('Take the', 'Tour'), 'tour'),
    ((239, 165, 340, 251), ('Install', 'Orlisk'), 'install'),
    ((349, 165, 445, 251), ('Install', 'Win32 SDK'), 'sdk'),
    ((461, 165, 553, 251), ('Install', 'CompuServe'), 'globe'),
]

# The 16 colours every Windows display shows; the 16-colour picture uses only these.
VGA = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, MAROON, GREEN, OLIVE, NAVY, PURPLE, TEAL, SILVER = VGA[:8]
GREY, RED, LIME, YELLOW, BLUE, FUCHSIA, AQUA, WHITE = VGA[8:]

FONT_DIR = '/usr/share/fonts/truetype/dejavu'
FONT_FILES = ('DejaVuSans.ttf', 'DejaVuSans-Bold.ttf')

# The pictures with text in them: their edges change with the drawing library, its font
# rasteriser and the font files, which differ between Debian releases.
TEXT_PICTURES = ('menu256.bmp', 'menu16.bmp')
TEXT_RENDERING = 'text-rendering.txt'


def font(size, bold=True):
    return ImageFont.truetype(os.path.join(FONT_DIR, FONT_FILES[1 if bold else 0]), size)


def text_rendering():
    """The versions of the drawing library and its rasteriser, and the font files'
    digests, one per line."""
    lines = ['Pillow %s' % PIL.__version__, 'FreeType %s' % features.version('freetype2')]
    for name in FONT_FILES:
        with open(os.path.join(FONT_DIR, name), 'rb') as f:
            lines.append('%s sha256 %s' % (name, hashlib.sha256(f.read()).hexdigest()))
    return ''.join(line + '\n' for line in lines).encode()


class Style:
    """How the scene is rendered: rich (gradients, smooth text) or flat 16-colour.

    Both renderings share one composition; the flat one keeps to the 16 standard
    colours with crisp text, so it reads well on a 16-colour display.
    """

    def __init__(self, rich):
        self.rich = rich

    def gradient(self, draw, box, top, bottom, flat):
        left, y0, right, y1 = box
        if not self.rich:
            draw.rectangle((left, y0, right - 1, y1 - 1), fill=flat)
            return
        span = max(1, y1 - y0 - 1)
        for y in range(y0, y1):
            t = (y - y0) / span
            colour = tuple(round(a + (b - a) * t) for a, b in zip(top, bottom))
            draw.line((left, y, right - 1, y), fill=colour)

    def text(self, draw, xy, text, fnt, fill, anchor):
        draw.fontmode = 'L' if self.rich else '1'
        draw.text(xy, text, font=fnt, fill=fill, anchor=anchor)


def draw_disc(draw, cx, cy, r, style):
    """A compact disc: silver face, a coloured sheen ring and the centre hole."""
    draw.ellipse((cx - r, cy - r, cx + r, cy + r), fill=SILVER, outline=WHITE)
    if style.rich:
        for i, colour in enumerate([(200, 220, 255), (170, 240, 230), (250, 240, 170),
                                    (240, 200, 230)]):
            rr = r - 4 - i * 3
            draw.arc((cx - rr, cy - rr, cx + rr, cy + rr), 200, 320, fill=colour, width=3)
    else:
        rr = r - 6
        draw.arc((cx - rr, cy - rr, cx + rr, cy + rr), 200, 320, fill=AQUA, width=3)
    hub = r // 3
    draw.ellipse((cx - hub, cy - hub, cx + hub, cy + hub), fill=GREY, outline=WHITE)
    hole = max(2, r // 8)
    draw.ellipse((cx - hole, cy - hole, cx + hole, cy + hole), fill=NAVY)


def draw_title(draw, style):
    """The logo band: disc, product name with its shadow, and the edition line."""
    style.gradient(draw, (0, 0, WIDTH, 160), (0, 0, 60), (0, 40, 120), NAVY)
    draw_disc(draw, 92, 96, 46, style)
    style.text(draw, (WIDTH // 2 + 52, 52), 'V E L M O R A', font(13), SILVER, 'mm')
    big = font(58)
    style.text(draw, (WIDTH // 2 + 55, 94), 'ORLISK', big, BLACK, 'mm')
    style.text(draw, (WIDTH // 2 + 52, 91), 'ORLISK', big, YELLOW, 'mm')
    style.text(draw, (WIDTH // 2 + 52, 136), 'Product Preview CD', font(19, bold=False),
               WHITE, 'mm')
    draw.line((30, 152, WIDTH - 31, 152), fill=YELLOW if not style.rich else (230, 190, 40),
              width=2)


def draw_glyph(draw, kind, cx, cy, style):
    """The small picture at the top of a panel face, about 30 pixels high."""
    ink = NAVY
    if kind == 'document':
        draw.polygon([(cx - 11, cy - 15), (cx + 5, cy - 15), (cx + 11, cy - 9),
                      (cx + 11, cy + 15), (cx - 11, cy + 15)], fill=WHITE, outline=ink)
        draw.polygon([(cx + 5, cy - 15), (cx + 5, cy - 9), (cx + 11, cy - 9)],
                     fill=SILVER, outline=ink)
        for y in range(cy - 6, cy + 13, 4):
            draw.line((cx - 7, y, cx + 7, y), fill=GREY)
        draw.ellipse((cx - 19, cy + 1, cx - 5, cy + 15), fill=BLUE, outline=WHITE)
        draw.rectangle((cx - 13, cy + 7, cx - 11, cy + 12), fill=WHITE)
        draw.rectangle((cx - 13, cy + 4, cx - 11, cy + 5), fill=WHITE)
    elif kind == 'tour':
        draw.ellipse((cx - 15, cy - 15, cx + 15, cy + 15), fill=GREEN, outline=WHITE, width=2)
        draw.polygon([(cx - 5, cy - 9), (cx - 5, cy + 9), (cx + 10, cy)], fill=WHITE)
    elif kind == 'install':
        draw_disc(draw, cx - 4, cy - 1, 15, style)
        draw.rectangle((cx + 11, cy - 8, cx + 17, cy + 3), fill=RED, outline=WHITE)
        draw.polygon([(cx + 6, cy + 3), (cx + 22, cy + 3), (cx + 14, cy + 13)],
                     fill=RED, outline=WHITE)
        draw.rectangle((cx + 12, cy + 2, cx + 16, cy + 4), fill=RED)
    elif kind == 'sdk':
        teeth = []
        for i in range(16):
            angle = math.pi * 2 * i / 16
            r = 15 if i % 2 == 0 else 11
            teeth.append((cx + round(r * math.cos(angle)), cy + round(r * math.sin(angle))))
        draw.polygon(teeth, fill=GREY, outline=BLACK)
        draw.ellipse((cx - 5, cy - 5, cx + 5, cy + 5), fill=SILVER, outline=BLACK)
    elif kind == 'globe':
        draw.ellipse((cx - 15, cy - 15, cx + 15, cy + 15), fill=BLUE, outline=WHITE, width=2)
        draw.ellipse((cx - 6, cy - 14, cx + 6, cy + 14), outline=AQUA)
        draw.line((cx, cy - 14, cx, cy + 14), fill=AQUA)
        draw.line((cx - 14, cy, cx + 14, cy), fill=AQUA)
        draw.line((cx - 12, cy - 7, cx + 12, cy - 7), fill=AQUA)
        draw.line((cx - 12, cy + 7, cx + 12, cy + 7), fill=AQUA)


def draw_panel(draw, rect, label, kind, style):
    """A raised tile whose face is exactly rect: bevel inside, drop shadow outside."""
    left, top, right, bottom = rect
    draw.rectangle((left + 3, top + 3, right + 2, bottom + 2), fill=BLACK)
    style.gradient(draw, rect, (40, 170, 175), (0, 110, 120), TEAL)
    draw.line((left, top, right - 1, top), fill=WHITE)
    draw.line((left, top, left, bottom - 1), fill=WHITE)
    draw.line((left, bottom - 1, right - 1, bottom - 1), fill=BLACK)
    draw.line((right - 1, top, right - 1, bottom - 1), fill=BLACK)
    cx = (left + right) // 2
    draw_glyph(draw, kind, cx, top + 24, style)
    fnt = font(11)
    for n, line in enumerate(label):
        y = top + 56 + n * 15
        style.text(draw, (cx + 1, y + 1), line, fnt, NAVY, 'mm')
        style.text(draw, (cx, y), line, fnt, WHITE, 'mm')


def draw_footer(draw, style):
    style.gradient(draw, (0, 160, WIDTH, HEIGHT), (0, 40, 120), (0, 0, 50), NAVY)
    style.text(draw, (WIDTH // 2, 290), 'Click a panel to begin', font(15), YELLOW, 'mm')
    style.text(draw, (WIDTH // 2, 318),
               'Read the information first: it tells what is on this CD',
               font(12, bold=False), WHITE, 'mm')
    style.text(draw, (WIDTH // 2, 336), 'and what each installation needs.',
               font(12, bold=False), WHITE, 'mm')
    style.text(draw, (WIDTH // 2, 382), 'Orlisk development toolset  \u2022  preview edition',
               font(11, bold=False), SILVER, 'mm')


def draw_menu(rich):
    """The menu picture in full colour (RGB image)."""
    style = Style(rich)
    image = Image.new('RGB', (WIDTH, HEIGHT), NAVY)
    draw = ImageDraw.Draw(image)
    draw_footer(draw, style)
    draw_title(draw, style)
    for rect, label, kind in PANELS:
        draw_panel(draw, rect, label, kind, style)
    return image


def rows_of(indexed):
    data = list(indexed.getdata())
    w = indexed.width
    return [data[i:i + w] for i in range(0, len(data), w)]


def palette_of(indexed, count):
    flat = indexed.getpalette()[:count * 3]
    return [tuple(flat[i:i + 3]) for i in range(0, len(flat), 3)]


def nearest(colour, palette):
    """Index of the palette entry closest to colour; an exact entry always wins."""
    def distance(i):
        return sum((a - b) ** 2 for a, b in zip(colour, palette[i]))
    return min(range(len(palette)), key=lambda i: (distance(i), i))


def menu_256():
    """The rich picture in 256 colours, as (rows, palette).

    The table starts with the 16 standard colours, so flat areas keep their exact
    colour; the other 240 entries are the median-cut colours of the gradients and
    the smoothed text edges. Each pixel takes its nearest entry, without dithering.
    """
    image = draw_menu(rich=True)
    extra = image.quantize(colors=240, method=Image.Quantize.MEDIANCUT,
                           dither=Image.Dither.NONE)
    palette = VGA + [c for c in palette_of(extra, 240) if c not in VGA]
    palette += [BLACK] * (256 - len(palette))
    data = list(image.getdata())
    index = {colour: nearest(colour, palette) for colour in set(data)}
    rows = [[index[c] for c in data[i:i + WIDTH]] for i in range(0, len(data), WIDTH)]
    return rows, palette


def to_vga_rows(image):
    """Rows of VGA indices for an image drawn in VGA colours only."""
    lookup = {colour: i for i, colour in enumerate(VGA)}
    data = list(image.getdata())
    missing = {c for c in data if c not in lookup}
    if missing:
        raise ValueError('colours outside the 16: %s' % sorted(missing)[:4])
    w = image.width
    return [[lookup[c] for c in data[i:i + w]] for i in range(0, len(data), w)]


def menu_16():
    return to_vga_rows(draw_menu(rich=False)), VGA


# 32 x 32 hand, index finger up with its tip at (16, 6). 'X' black, 'o' white,
# '.' transparent.
HAND_ART = '''
................................
................................
................................
................................
................................
...............XX...............
..............XooX..............
..............XooX..............
..............XooX..............
..............XooX..............
..............XooXXX............
..............XooXooXXX.........
..............XooXooXooXX.......
...........XX.XooXooXooXoX......
..........XooXXooooooooXooX.....
..........XoooXoooooooooooX.....
...........XooXoooooooooooX.....
............XoXoooooooooooX.....
............XooooooooooooX......
.............XoooooooooooX......
.............XooooooooooX.......
..............XoooooooooX.......
..............XoooooooooX.......
...............XooooooooX.......
...............XXXXXXXXXX.......
................................
................................
................................
................................
................................
................................
................................
'''
HAND_HOT_SPOT = (16, 6)


def art_rows(art):
    rows = [line for line in art.strip('\n').split('\n')]
    if len(rows) != 32 or any(len(r) != 32 for r in rows):
        raise ValueError('icon art must be 32 x 32')
    return rows


def make_icon():
    """The menu's disc, drawn in the 16 colours on a transparent ground."""
    image = Image.new('RGB', (32, 32), BLACK)
    mask = Image.new('1', (32, 32), 1)
    draw_disc(ImageDraw.Draw(image), 15, 15, 15, Style(rich=False))
    ImageDraw.Draw(mask).ellipse((0, 0, 30, 30), fill=0)
    colours = to_vga_rows(image)
    return dib.icon_file(colours, rows_of(mask), VGA)


def make_cursor():
    rows = art_rows(HAND_ART)
    # Opaque pixels: AND 0 with XOR 0 (black) or 1 (white); transparent: AND 1, XOR 0.
    colours = [[1 if ch == 'o' else 0 for ch in r] for r in rows]
    mask = [[1 if ch == '.' else 0 for ch in r] for r in rows]
    return dib.cursor_file(colours, mask, HAND_HOT_SPOT)


def main(argv):
    here = os.path.dirname(os.path.abspath(__file__))
    out = argv[1] if len(argv) > 1 else os.path.join(here, '..', '..', 'zelvane', 'res')
    os.makedirs(out, exist_ok=True)
    rows256, palette256 = menu_256()
    rows16, palette16 = menu_16()
    files = {
        'menu256.bmp': dib.rle_bitmap_file(rows256, palette256, 8),
        'menu16.bmp': dib.rle_bitmap_file(rows16, palette16, 4),
        'zelvane.ico': make_icon(),
        'hand.cur': make_cursor(),
        TEXT_RENDERING: text_rendering(),
    }
    for name, data in files.items():
        with open(os.path.join(out, name), 'wb') as f:
            f.write(data)
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
