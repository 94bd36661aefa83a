#!/usr/bin/env python3
"""Draws the add-on's pictures and writes them as 8-bit palettised BMP files.

The build does not run this program: its output lives beside the other resource
sources in addon/resources/images/ and is compiled from there. Run it again after
changing a drawing, and check the result into the repository with it.

Needs Pillow and the DejaVu and IPA Gothic fonts (Debian: python3-pil,
fonts-dejavu-core, fonts-ipafont-gothic).

    python3 addon/resources/tools/draw_images.py [--out DIR] [--preview DIR]

--preview also writes every picture as an enlarged PNG, for looking at it.
"""

import argparse
import math
import os
import sys

try:
    from PIL import Image, ImageDraw, ImageFont
except ImportError:  # pragma: no cover - a message for people, not a code path
    sys.exit("draw_images.py needs Pillow (Debian: apt-get install python3-pil)")

HERE = os.path.dirname(os.path.abspath(__file__))
DEFAULT_OUT = os.path.normpath(os.path.join(HERE, "..", "images"))

# Every drawing is made this many times larger and then reduced, which smooths
# its edges before the colours are cut down to one palette of 256.
SCALE = 4

FONT_PATHS = {
    "sans": ["/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"],
    "sans-bold": ["/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"],
    "cjk": [
        "/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf",
        "/usr/share/fonts/truetype/fonts-japanese-gothic.ttf",
        "/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc",
    ],
}


def font(kind, size):
    for path in FONT_PATHS[kind]:
        if os.path.exists(path):
            return ImageFont.truetype(path, size)
    sys.exit("font not found: %s (Debian: fonts-dejavu-core, fonts-ipafont-gothic)" % kind)


class Canvas:
    """An RGB drawing surface in final-pixel coordinates, drawn SCALE times larger."""

    def __init__(self, width, height, background):
        self.width, self.height = width, height
        self.image = Image.new("RGB", (width * SCALE, height * SCALE), background)
        self.draw = ImageDraw.Draw(self.image)

    @staticmethod
    def s(v):
        return int(round(v * SCALE))

    def box(self, x0, y0, x1, y1):
        return [self.s(x0), self.s(y0), self.s(x1) - 1, self.s(y1) - 1]

    def rect(self, x0, y0, x1, y1, fill=None, outline=None, width=1.0, radius=0.0):
        if radius > 0:
            self.draw.rounded_rectangle(self.box(x0, y0, x1, y1), radius=self.s(radius), fill=fill,
                                        outline=outline, width=max(1, self.s(width)))
        else:
            self.draw.rectangle(self.box(x0, y0, x1, y1), fill=fill, outline=outline,
                                width=max(1, self.s(width)))

    def ellipse(self, x0, y0, x1, y1, fill=None, outline=None, width=1.0):
        self.draw.ellipse(self.box(x0, y0, x1, y1), fill=fill, outline=outline, width=max(1, self.s(width)))

    def polygon(self, points, fill=None, outline=None):
        self.draw.polygon([(self.s(x), self.s(y)) for x, y in points], fill=fill, outline=outline)

    def line(self, points, fill, width=1.0):
        self.draw.line([(self.s(x), self.s(y)) for x, y in points], fill=fill, width=max(1, self.s(width)))

    def text(self, x, y, text, kind, size, fill, anchor="la"):
        self.draw.text((self.s(x), self.s(y)), text, font=font(kind, self.s(size)), fill=fill, anchor=anchor)

    def text_width(self, text, kind, size):
        left, _, right, _ = self.draw.textbbox((0, 0), text, font=font(kind, self.s(size)))
        return (right - left) / SCALE

    def vertical_gradient(self, x0, y0, x1, y1, top, bottom):
        for row in range(self.s(y0), self.s(y1)):
            t = (row - self.s(y0)) / max(1, self.s(y1) - self.s(y0) - 1)
            colour = tuple(int(round(a + (b - a) * t)) for a, b in zip(top, bottom))
            self.draw.line([(self.s(x0), row), (self.s(x1) - 1, row)], fill=colour)

    def paste(self, other, x, y, mask=None):
        self.image.paste(other.image, (self.s(x), self.s(y)), mask)

    def result(self):
        small = self.image.resize((self.width, self.height), Image.LANCZOS)
        return small.quantize(colors=256, method=Image.Quantize.MEDIANCUT, dither=Image.Dither.NONE)


# --- Flags -------------------------------------------------------------------

def flag_vertical(c, x, y, w, h, colours):
    part = w / len(colours)
    for i, colour in enumerate(colours):
        c.rect(x + i * part, y, x + (i + 1) * part, y + h, fill=colour)


def flag_horizontal(c, x, y, w, h, colours, weights=None):
    weights = weights or [1] * len(colours)
    total, top = sum(weights), y
    for colour, weight in zip(colours, weights):
        bottom = top + h * weight / total
        c.rect(x, top, x + w, bottom, fill=colour)
        top = bottom


def flag_union(c, x, y, w, h):
    blue, red, white = (1, 33, 105), (200, 16, 46), (255, 255, 255)
    c.rect(x, y, x + w, y + h, fill=blue)
    diag = h * 0.2
    for (ax, ay), (bx, by) in (((x, y), (x + w, y + h)), ((x, y + h), (x + w, y))):
        c.line([(ax, ay), (bx, by)], fill=white, width=diag)
    for (ax, ay), (bx, by) in (((x, y), (x + w, y + h)), ((x, y + h), (x + w, y))):
        c.line([(ax, ay), (bx, by)], fill=red, width=diag / 3)
    c.rect(x + w / 2 - h / 6, y, x + w / 2 + h / 6, y + h, fill=white)
    c.rect(x, y + h / 2 - h / 6, x + w, y + h / 2 + h / 6, fill=white)
    c.rect(x + w / 2 - h / 10, y, x + w / 2 + h / 10, y + h, fill=red)
    c.rect(x, y + h / 2 - h / 10, x + w, y + h / 2 + h / 10, fill=red)


def flag_japan(c, x, y, w, h):
    c.rect(x, y, x + w, y + h, fill=(255, 255, 255))
    r = h * 0.3
    c.ellipse(x + w / 2 - r, y + h / 2 - r, x + w / 2 + r, y + h / 2 + r, fill=(188, 0, 45))


FLAGS = [
    ("Italiano", "sans", lambda c, x, y, w, h: flag_vertical(c, x, y, w, h, [(0, 146, 70), (255, 255, 255), (206, 43, 55)])),
    ("International English", "sans", flag_union),
    ("Français", "sans", lambda c, x, y, w, h: flag_vertical(c, x, y, w, h, [(0, 35, 149), (255, 255, 255), (237, 41, 57)])),
    ("Deutsch", "sans", lambda c, x, y, w, h: flag_horizontal(c, x, y, w, h, [(0, 0, 0), (221, 0, 0), (255, 206, 0)])),
    ("Español", "sans", lambda c, x, y, w, h: flag_horizontal(c, x, y, w, h, [(170, 21, 27), (241, 191, 0), (170, 21, 27)], [1, 2, 1])),
    ("日本語", "cjk", flag_japan),
    ("Русский", "sans", lambda c, x, y, w, h: flag_horizontal(c, x, y, w, h, [(255, 255, 255), (0, 57, 166), (213, 43, 30)])),
]


def framed_flag(c, index, x, y, w, h):
    c.rect(x - 1, y - 1, x + w + 1, y + h + 1, fill=(120, 120, 120))
    # Clip the flag's drawing to its own rectangle.
    part = Canvas(w, h, (255, 255, 255))
    FLAGS[index][2](part, 0, 0, w, h)
    c.paste(part, x, y)


def draw_language_row(index):
    """A row of the language list: the flag and the language's own name."""
    c = Canvas(285, 24, (255, 255, 255))
    framed_flag(c, index, 4, 3, 27, 18)
    name, kind, _ = FLAGS[index]
    c.text(40, 12.5, name, kind, 14, (20, 20, 20), anchor="lm")
    return c.result()


# --- Language icon: a globe of flags and a speaking figure -------------------

def draw_language_icon():
    c = Canvas(128, 182, (255, 255, 255))
    cx, cy, r = 64, 62, 56
    globe = Canvas(2 * r, 2 * r, (96, 150, 205))
    # Patches of the seven flags, laid like the faces of a globe; the sea shows
    # through where no flag lies.
    patches = [(0, 0, 1), (1, 1, 0), (2, 2, 1), (3, 0, 2), (4, 1, 2), (5, 2, 0), (6, 1, 1)]
    size = 2 * r / 3
    for index, col, row in patches:
        FLAGS[index][2](globe, col * size, row * size, size, size)
    # Meridians and parallels over the patches.
    for k in (-0.5, 0.0, 0.5):
        globe.ellipse(r - r * abs(k) * 1.6 - 1, 0, r + r * abs(k) * 1.6 + 1, 2 * r, outline=(60, 60, 60), width=1.2)
    for k in (-0.55, 0.0, 0.55):
        yy = r + k * r
        half = math.sqrt(max(0.0, r * r - (k * r) ** 2))
        globe.line([(r - half, yy), (r + half, yy)], fill=(60, 60, 60), width=1.2)
    mask = Image.new("L", globe.image.size, 0)
    ImageDraw.Draw(mask).ellipse([0, 0, globe.image.size[0] - 1, globe.image.size[1] - 1], fill=255)
    c.paste(globe, cx - r, cy - r, mask)
    c.ellipse(cx - r, cy - r, cx + r, cy + r, outline=(40, 40, 40), width=2)
    # A light from the upper left.
    shine = Image.new("RGBA", c.image.size, (0, 0, 0, 0))
    ImageDraw.Draw(shine).ellipse([c.s(cx - r * 0.75), c.s(cy - r * 0.85), c.s(cx - r * 0.05), c.s(cy - r * 0.3)],
                                  fill=(255, 255, 255, 70))
    c.image.paste(shine, (0, 0), shine)

    # The speaking figure, below left, and its speech bubble.
    skin, suit = (236, 190, 150), (45, 72, 120)
    c.ellipse(20, 128, 46, 154, fill=skin, outline=(90, 60, 40), width=1)
    c.polygon([(8, 182), (12, 164), (22, 157), (44, 157), (54, 164), (58, 182)], fill=suit)
    c.polygon([(31, 157), (35, 157), (33, 168)], fill=(255, 255, 255))
    c.rect(64, 124, 124, 156, fill=(255, 255, 255), outline=(45, 72, 120), width=2, radius=8)
    c.polygon([(65, 137), (65, 149), (48, 144)], fill=(45, 72, 120))
    for i in range(3):
        c.ellipse(78 + i * 14, 136, 86 + i * 14, 144, fill=(45, 72, 120))
    return c.result()


# --- PDF document icon ------------------------------------------------------

def draw_pdf_icon():
    c = Canvas(61, 70, (255, 255, 255))
    fold = 14
    page = [(8, 3), (52 - fold, 3), (52, 3 + fold), (52, 66), (8, 66)]
    c.polygon([(x + 2, y + 2) for x, y in page], fill=(200, 200, 200))
    c.polygon(page, fill=(252, 252, 252), outline=(90, 90, 90))
    c.polygon([(52 - fold, 3), (52 - fold, 3 + fold), (52, 3 + fold)], fill=(215, 215, 215), outline=(90, 90, 90))
    for i in range(5):
        c.line([(14, 14 + i * 5), (36 if i == 0 else 46, 14 + i * 5)], fill=(170, 170, 170), width=1.4)
    c.rect(3, 42, 48, 58, fill=(200, 16, 32), radius=2)
    c.text(25.5, 50.5, "PDF", "sans-bold", 12, (255, 255, 255), anchor="mm")
    return c.result()


# --- The information dialog's illustration ----------------------------------

def draw_information_picture():
    c = Canvas(213, 213, (255, 255, 255))
    c.vertical_gradient(0, 0, 213, 213, (38, 92, 140), (120, 180, 210))
    # Ground.
    c.polygon([(0, 170), (213, 150), (213, 213), (0, 213)], fill=(70, 120, 80))
    # An isometric building.
    top, side_l, side_r = (236, 236, 232), (200, 196, 188), (160, 156, 150)
    bx, by = 106, 60
    c.polygon([(bx, by), (bx + 62, by + 30), (bx, by + 60), (bx - 62, by + 30)], fill=top, outline=(80, 80, 80))
    c.polygon([(bx - 62, by + 30), (bx, by + 60), (bx, by + 140), (bx - 62, by + 110)], fill=side_l, outline=(80, 80, 80))
    c.polygon([(bx, by + 60), (bx + 62, by + 30), (bx + 62, by + 110), (bx, by + 140)], fill=side_r, outline=(80, 80, 80))
    glass = (70, 120, 170)
    for floor in range(3):
        for k in range(3):
            x0 = bx - 56 + k * 18
            y0 = by + 48 + floor * 25 + k * 9
            c.polygon([(x0, y0), (x0 + 12, y0 + 6), (x0 + 12, y0 + 20), (x0, y0 + 14)], fill=glass)
            x1 = bx + 6 + k * 18
            y1 = by + 62 + floor * 25 - k * 9
            c.polygon([(x1, y1), (x1 + 12, y1 - 6), (x1 + 12, y1 + 8), (x1, y1 + 14)], fill=glass)
    # The family's monogram on a round badge.
    c.ellipse(150, 12, 200, 62, fill=(255, 255, 255), outline=(30, 60, 100), width=2)
    c.text(175, 38, "V", "sans-bold", 30, (30, 60, 100), anchor="mm")
    return c.result()


# --- The library picture: photographs of objects above the library's name ----

def tile_background(c, x, y, w, h):
    c.vertical_gradient(x, y, x + w, y + h, (250, 248, 244), (214, 208, 198))
    c.rect(x, y + h * 0.72, x + w, y + h, fill=(190, 180, 166))


def obj_chair(c, x, y, w, h):
    wood = (150, 92, 50)
    c.rect(x + w * 0.32, y + h * 0.15, x + w * 0.62, y + h * 0.5, fill=wood, radius=3)
    c.rect(x + w * 0.28, y + h * 0.48, x + w * 0.68, y + h * 0.56, fill=(120, 70, 36))
    for lx in (0.30, 0.62):
        c.rect(x + w * lx, y + h * 0.56, x + w * lx + 4, y + h * 0.84, fill=(100, 60, 30))


def obj_table(c, x, y, w, h):
    c.polygon([(x + w * 0.15, y + h * 0.45), (x + w * 0.7, y + h * 0.38), (x + w * 0.88, y + h * 0.48),
               (x + w * 0.33, y + h * 0.56)], fill=(205, 170, 120), outline=(120, 90, 60))
    for lx, ly in ((0.17, 0.47), (0.34, 0.56), (0.86, 0.49), (0.7, 0.42)):
        c.rect(x + w * lx - 2, y + h * ly, x + w * lx + 2, y + h * (ly + 0.32), fill=(110, 80, 50))


def obj_lamp(c, x, y, w, h):
    c.polygon([(x + w * 0.36, y + h * 0.14), (x + w * 0.64, y + h * 0.14), (x + w * 0.74, y + h * 0.38),
               (x + w * 0.26, y + h * 0.38)], fill=(245, 210, 120), outline=(170, 130, 50))
    c.rect(x + w * 0.49, y + h * 0.38, x + w * 0.51 + 1, y + h * 0.8, fill=(60, 60, 60))
    c.ellipse(x + w * 0.36, y + h * 0.78, x + w * 0.64, y + h * 0.86, fill=(60, 60, 60))


def obj_door(c, x, y, w, h):
    c.rect(x + w * 0.3, y + h * 0.1, x + w * 0.7, y + h * 0.86, fill=(110, 70, 40))
    c.rect(x + w * 0.34, y + h * 0.14, x + w * 0.66, y + h * 0.86, fill=(170, 118, 70))
    c.rect(x + w * 0.38, y + h * 0.2, x + w * 0.62, y + h * 0.45, outline=(130, 86, 48), width=1.5)
    c.rect(x + w * 0.38, y + h * 0.52, x + w * 0.62, y + h * 0.8, outline=(130, 86, 48), width=1.5)
    c.ellipse(x + w * 0.58, y + h * 0.48, x + w * 0.62, y + h * 0.52, fill=(230, 200, 80))


def obj_window(c, x, y, w, h):
    c.rect(x + w * 0.2, y + h * 0.14, x + w * 0.8, y + h * 0.66, fill=(245, 245, 245), outline=(110, 110, 110))
    c.vertical_gradient(x + w * 0.24, y + h * 0.18, x + w * 0.76, y + h * 0.62, (150, 200, 235), (215, 235, 250))
    c.rect(x + w * 0.49, y + h * 0.18, x + w * 0.51 + 1, y + h * 0.62, fill=(245, 245, 245))
    c.rect(x + w * 0.24, y + h * 0.39, x + w * 0.76, y + h * 0.41 + 1, fill=(245, 245, 245))
    c.rect(x + w * 0.16, y + h * 0.66, x + w * 0.84, y + h * 0.7, fill=(200, 200, 200))


def obj_sofa(c, x, y, w, h):
    red = (170, 50, 50)
    c.rect(x + w * 0.12, y + h * 0.32, x + w * 0.88, y + h * 0.58, fill=(150, 40, 40), radius=6)
    c.rect(x + w * 0.1, y + h * 0.5, x + w * 0.9, y + h * 0.72, fill=red, radius=5)
    c.rect(x + w * 0.06, y + h * 0.42, x + w * 0.18, y + h * 0.74, fill=(140, 36, 36), radius=4)
    c.rect(x + w * 0.82, y + h * 0.42, x + w * 0.94, y + h * 0.74, fill=(140, 36, 36), radius=4)
    c.line([(x + w * 0.5, y + h * 0.52), (x + w * 0.5, y + h * 0.7)], fill=(120, 30, 30), width=1.2)


def obj_shelf(c, x, y, w, h):
    c.rect(x + w * 0.22, y + h * 0.1, x + w * 0.78, y + h * 0.86, fill=(120, 86, 56))
    colours = [(60, 90, 160), (190, 70, 50), (70, 140, 80), (220, 170, 60), (120, 80, 140)]
    for shelf in range(3):
        sy = y + h * (0.14 + shelf * 0.24)
        c.rect(x + w * 0.26, sy, x + w * 0.74, sy + h * 0.2, fill=(235, 225, 205))
        bx = x + w * 0.28
        for k in range(5):
            bw = w * 0.07
            c.rect(bx, sy + h * (0.04 + 0.01 * (k % 2)), bx + bw, sy + h * 0.2, fill=colours[(k + shelf) % 5])
            bx += bw + 1.5


def obj_plant(c, x, y, w, h):
    green, dark = (70, 150, 70), (40, 110, 50)
    for angle in range(-70, 71, 28):
        a = math.radians(angle - 90)
        ex, ey = x + w * 0.5 + math.cos(a) * w * 0.3, y + h * 0.55 + math.sin(a) * h * 0.42
        c.line([(x + w * 0.5, y + h * 0.58), (ex, ey)], fill=dark, width=2)
        c.ellipse(ex - 7, ey - 4, ex + 7, ey + 4, fill=green)
    c.polygon([(x + w * 0.36, y + h * 0.58), (x + w * 0.64, y + h * 0.58), (x + w * 0.6, y + h * 0.84),
               (x + w * 0.4, y + h * 0.84)], fill=(190, 110, 70))


def obj_stair(c, x, y, w, h):
    steps = 6
    for k in range(steps):
        sx = x + w * 0.15 + k * w * 0.11
        sy = y + h * 0.82 - (k + 1) * h * 0.11
        c.rect(sx, sy, x + w * 0.85, sy + h * 0.11, fill=(200 - k * 8, 200 - k * 8, 205 - k * 8), outline=(120, 120, 125))
    c.line([(x + w * 0.15, y + h * 0.58), (x + w * 0.82, y + h * 0.1)], fill=(80, 80, 80), width=2)


OBJECTS = [obj_chair, obj_table, obj_lamp, obj_door, obj_window, obj_sofa, obj_shelf, obj_plant, obj_stair]


def draw_library_picture():
    c = Canvas(450, 450, (255, 255, 255))
    c.vertical_gradient(0, 0, 450, 450, (64, 70, 78), (30, 34, 40))
    margin, gap, tile_w, tile_h = 15, 10, 133, 100
    for i, obj in enumerate(OBJECTS):
        col, row = i % 3, i // 3
        x = margin + col * (tile_w + gap)
        y = margin + row * (tile_h + gap)
        c.rect(x - 1, y - 1, x + tile_w + 1, y + tile_h + 1, fill=(250, 250, 250))
        tile_background(c, x, y, tile_w, tile_h)
        obj(c, x, y, tile_w, tile_h)
    c.text(225, 372, "Libreria Velmora", "sans-bold", 36, (245, 245, 245), anchor="mm")
    c.text(225, 412, "oggetti parametrici per ArchiCAD", "sans", 16, (200, 205, 212), anchor="mm")
    return c.result()


# --- Output -----------------------------------------------------------------

PICTURES = [
    ("library_450.bmp", draw_library_picture),
    ("information_213.bmp", draw_information_picture),
    ("pdf_document_61x70.bmp", draw_pdf_icon),
    ("language_globe_128x182.bmp", draw_language_icon),
] + [("language_row_%d.bmp" % i, (lambda i=i: draw_language_row(i))) for i in range(7)]


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--out", default=DEFAULT_OUT, help="folder of the BMP files")
    parser.add_argument("--preview", help="also write enlarged PNG copies into this folder")
    args = parser.parse_args()
    os.makedirs(args.out, exist_ok=True)
    for name, draw in PICTURES:
        image = draw()
        image.save(os.path.join(args.out, name), format="BMP")
        if args.preview:
            os.makedirs(args.preview, exist_ok=True)
            factor = 1 if image.width >= 300 else 3
            big = image.convert("RGB").resize((image.width * factor, image.height * factor), Image.NEAREST)
            big.save(os.path.join(args.preview, os.path.splitext(name)[0] + ".png"))
        print("%s: %dx%d, %d colours" % (name, image.width, image.height, len(image.getcolors(256) or [])))


if __name__ == "__main__":
    main()
