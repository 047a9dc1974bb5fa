#!/usr/bin/python3
"""Draws every picture in resources/: the window GIFs, the About picture, the icon and the hand cursor.

Needs Pillow built with raqm (for Urdu shaping) and the Noto Nastaliq Urdu font from fonts-noto-core.
The outputs are committed, so building the program needs neither. Run: /usr/bin/python3 tools/draw_art.py [outdir]
"""
import os
import struct
import sys

from PIL import Image, ImageDraw, ImageFont, features

SILVER = (192, 192, 192)
NASTALIQ = "/usr/share/fonts/truetype/noto/NotoNastaliqUrdu-Regular.ttf"
NASTALIQ_BOLD = "/usr/share/fonts/truetype/noto/NotoNastaliqUrdu-Bold.ttf"
SANS_BOLD = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"

RED = (200, 0, 0)
DARK_BLUE = (0, 0, 128)
GREEN = (0, 128, 0)
WHITE = (255, 255, 255)


def font(size, bold=False):
    return ImageFont.truetype(NASTALIQ_BOLD if bold else NASTALIQ, size, layout_engine=ImageFont.Layout.RAQM)


def urdu_box(draw, text, fnt):
    return draw.textbbox((0, 0), text, font=fnt, direction="rtl", language="ur")


def fit_font(draw, text, width, height, start, bold=False):
    """Largest size not above start whose ink fits width x height."""
    for size in range(start, 5, -1):
        fnt = font(size, bold)
        l, t, r, b = urdu_box(draw, text, fnt)
        if r - l <= width and b - t <= height:
            return fnt
    return font(6, bold)


def draw_urdu_centered(draw, text, box, fill, start, bold=False):
    x0, y0, x1, y1 = box
    fnt = fit_font(draw, text, x1 - x0, y1 - y0, start, bold)
    l, t, r, b = urdu_box(draw, text, fnt)
    x = x0 + ((x1 - x0) - (r - l)) / 2 - l
    y = y0 + ((y1 - y0) - (b - t)) / 2 - t
    draw.text((x, y), text, font=fnt, fill=fill, direction="rtl", language="ur")


def save_gif(img, path):
    """Single frame, no transparency, exact colours (the ground must stay pure silver)."""
    img = img.convert("RGB")
    w, h = img.size
    edges = [img.getpixel((x, y)) for x in range(w) for y in (0, h - 1)]
    edges += [img.getpixel((x, y)) for y in range(h) for x in (0, w - 1)]
    assert all(p == SILVER for p in edges), f"{path}: the ground does not reach every edge"
    colours = img.getcolors(maxcolors=256)
    if colours is None:
        img = img.quantize(colors=255, method=Image.Quantize.MEDIANCUT, dither=Image.Dither.NONE).convert("RGB")
        for x in range(w):
            for y in range(h):
                if x in (0, w - 1) or y in (0, h - 1):
                    img.putpixel((x, y), SILVER)
    pal = img.convert("P", palette=Image.Palette.ADAPTIVE, colors=256)
    assert pal.convert("RGB").getpixel((0, 0)) == SILVER
    pal.save(path, format="GIF")


def canvas(w, h):
    img = Image.new("RGB", (w, h), SILVER)
    return img, ImageDraw.Draw(img)


def start_button():
    img, d = canvas(60, 35)
    # Glossy oval: a vertical gradient of light blue, lighter at the top, with a dark rim.
    mask = Image.new("L", (60, 35), 0)
    ImageDraw.Draw(mask).ellipse((2, 2, 57, 32), fill=255)
    grad = Image.new("RGB", (60, 35))
    for y in range(35):
        k = y / 34
        grad.paste((int(220 - 90 * k), int(235 - 70 * k), 255), (0, y, 60, y + 1))
    img.paste(grad, (0, 0), mask)
    d.ellipse((2, 2, 57, 32), outline=(40, 80, 170))
    d.ellipse((10, 5, 49, 14), fill=(235, 245, 255))
    draw_urdu_centered(d, "آغاز", (8, 4, 52, 31), DARK_BLUE, 15, bold=True)
    return img


def caption(w, h, text, start):
    img, d = canvas(w, h)
    draw_urdu_centered(d, text, (1, 1, w - 1, h - 1), RED, start)
    return img


def square_button(mark):
    img, d = canvas(19, 18)
    d.rectangle((1, 1, 17, 16), fill=(190, 20, 20), outline=(110, 0, 0))
    d.line((2, 2, 16, 2), fill=(235, 110, 110))
    if mark == "x":
        d.line((5, 4, 13, 12), fill=WHITE, width=2)
        d.line((13, 4, 5, 12), fill=WHITE, width=2)
    else:
        yellow = (255, 230, 0)
        d.rectangle((8, 4, 10, 5), fill=yellow)
        d.rectangle((8, 7, 10, 13), fill=yellow)
        d.line((7, 13, 11, 13), fill=yellow)
    return img


def tab(edge, text):
    img, d = canvas(73, 32)
    d.rounded_rectangle((1, 1, 71, 30), radius=5, fill=WHITE, outline=(150, 150, 150))
    d.rectangle((70, 4, 71, 30), fill=edge)
    d.rectangle((4, 29, 71, 30), fill=edge)
    draw_urdu_centered(d, text, (5, 2, 68, 28), (40, 40, 40), 18, bold=True)
    return img


def title():
    img, d = canvas(114, 22)
    d.rounded_rectangle((66, 1, 112, 20), radius=4, fill=(190, 0, 0))
    draw_urdu_centered(d, "زارول", (67, 1, 112, 21), (120, 255, 120), 16, bold=True)
    draw_urdu_centered(d, "ورژن ۱٫۰٫۰", (2, 1, 64, 21), GREEN, 16, bold=True)
    return img


ABOUT_TEXT = (
    "زارول ایک چھوٹا سا پروگرام ہے جو کسی بڑی فائل کو آپ کے چنے ہوئے حجم کے حصوں میں تقسیم کر دیتا ہے، "
    "تاکہ بڑی فائل کو چھوٹی ڈسکوں پر ایک جگہ سے دوسری جگہ لے جایا جا سکے۔ "
    "ہر حصے کا نام پوری فائل کے نام کے بعد ایک نمبر لگا کر رکھا جاتا ہے۔|"
    "فائلیں جوڑنے کے لیے ان حصوں میں سے کوئی ایک حصہ چن لیں اور آغاز کا بٹن دبائیں۔ "
    "زارول اسی فولڈر میں سارے حصے ڈھونڈ کر انہیں دوبارہ جوڑ دیتا ہے اور پوری فائل پہلے جیسی بن جاتی ہے۔|"
    "پروگرام نہ کوئی ترتیب محفوظ کرتا ہے اور نہ آپ کی فائلوں میں کوئی اور تبدیلی کرتا ہے۔"
)


def about_picture():
    w, h = 341, 565
    img, d = canvas(w, h)
    draw_urdu_centered(d, "زارول کے بارے میں", (10, 8, w - 10, 70), (150, 0, 0), 34, bold=True)
    d.line((30, 78, w - 30, 78), fill=(128, 128, 128))
    fnt = font(15)
    right, y, line_h = w - 14, 88, 34
    for para in ABOUT_TEXT.split("|"):
        line = ""
        for word in para.split():
            trial = (line + " " + word).strip()
            l, _, r, _ = urdu_box(d, trial, fnt)
            if r - l > w - 28 and line:
                y = draw_line(d, line, fnt, right, y, line_h)
                line = word
            else:
                line = trial
        if line:
            y = draw_line(d, line, fnt, right, y, line_h)
        y += 12
    draw_urdu_centered(d, "ورژن ۱٫۰٫۰", (10, h - 50, w - 10, h - 10), GREEN, 20, bold=True)
    assert y < h - 50, f"the About text runs into the version line ({y})"
    return img


def draw_line(d, text, fnt, right, y, line_h):
    l, _, r, _ = urdu_box(d, text, fnt)
    d.text((right - r, y), text, font=fnt, fill=(0, 0, 0), direction="rtl", language="ur")
    return y + line_h


# --- icon and cursor: 4-bit DIBs with an AND mask, written by hand so the 16-colour format is exact ---

VGA16 = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255),
    (255, 255, 255),
]


def dib4(rows, mask):
    """rows: list of lists of palette indexes (top row first); mask: same shape, True where transparent."""
    h, w = len(rows), len(rows[0])
    header = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 4, 0, 0, 0, 0, 16, 0)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in VGA16)
    xor_stride = ((w * 4 + 31) // 32) * 4
    and_stride = ((w + 31) // 32) * 4
    xor = b""
    for row in reversed(rows):
        data = bytes((row[x] << 4) | (row[x + 1] if x + 1 < w else 0) for x in range(0, w, 2))
        xor += data.ljust(xor_stride, b"\0")
    andm = b""
    for mrow in reversed(mask):
        bits = bytearray(and_stride)
        for x, transparent in enumerate(mrow):
            if transparent:
                bits[x // 8] |= 0x80 >> (x % 8)
        andm += bytes(bits)
    return header + palette + xor + andm


def icon_file(rows, mask, kind, hotspot=(0, 0)):
    h, w = len(rows), len(rows[0])
    image = dib4(rows, mask)
    planes, bits = (1, 4) if kind == 1 else hotspot
    entry = struct.pack("<BBBBHHII", w, h, 16, 0, planes, bits, len(image), 6 + 16)
    return struct.pack("<HHH", 0, kind, 1) + entry + image


def icon():
    green, white, dark = 2, 15, 0
    rows = [[green] * 16 for _ in range(16)]
    for i in range(16):
        rows[0][i] = rows[15][i] = rows[i][0] = rows[i][15] = dark
    # An open square: the frame of a square with a gap cut into its right side, like a piece broken off.
    for i in range(3, 13):
        rows[3][i] = rows[12][i] = white
        rows[i][3] = white
        if not 6 <= i <= 9:
            rows[i][12] = white
    for i in range(4, 12):
        rows[4][i] = rows[11][i] = white
        rows[i][4] = white
        if not 6 <= i <= 9:
            rows[i][11] = white
    mask = [[False] * 16 for _ in range(16)]
    return icon_file(rows, mask, 1)


HAND = [
    "      XX                        ",
    "     X..X                       ",
    "     X..X                       ",
    "     X..X                       ",
    "     X..X                       ",
    "     X..XXX                     ",
    "     X..X..XXX                  ",
    "     X..X..X..XX                ",
    "     X..X..X..X.X               ",
    "XXX  X..X..X..X..X              ",
    "X..X X........X..X              ",
    "X...XX...........X              ",
    " X...X...........X              ",
    "  X..............X              ",
    "  X..............X              ",
    "   X.............X              ",
    "   X............X               ",
    "    X...........X               ",
    "    X..........X                ",
    "     X.........X                ",
    "     X.........X                ",
    "     XXXXXXXXXXX                ",
]


def hand_cursor():
    """Pointing hand, index finger tip at column 6, row 0 (the hot spot)."""
    rows = [[0] * 32 for _ in range(32)]
    mask = [[True] * 32 for _ in range(32)]
    for y, line in enumerate(HAND):
        for x, ch in enumerate(line):
            if ch == "X":
                rows[y][x], mask[y][x] = 0, False
            elif ch == ".":
                rows[y][x], mask[y][x] = 15, False
    return icon_file(rows, mask, 2, hotspot=(6, 0))


def main():
    if not features.check("raqm"):
        sys.exit("Pillow without raqm cannot shape Urdu text")
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "resources")
    pictures = {
        "start.gif": start_button(),
        "size.gif": caption(61, 36, "ہر حصے کا حجم", 20),
        "path.gif": caption(61, 29, "فائل کا راستہ", 18),
        "piecepath.gif": caption(186, 34, "تقسیم شدہ حصوں میں سے کسی ایک کا راستہ", 20),
        "exit.gif": square_button("x"),
        "info.gif": square_button("i"),
        "tabsplit.gif": tab((200, 0, 0), "توڑیں"),
        "tabjoin.gif": tab((0, 150, 0), "جوڑیں"),
        "title.gif": title(),
        "about.gif": about_picture(),
    }
    for name, img in pictures.items():
        save_gif(img, os.path.join(out, name))
    with open(os.path.join(out, "zarvel.ico"), "wb") as f:
        f.write(icon())
    with open(os.path.join(out, "hand.cur"), "wb") as f:
        f.write(hand_cursor())


if __name__ == "__main__":
    main()
