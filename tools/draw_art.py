#!/usr/bin/python3
"""Draws every picture in resources/: the window GIFs, the About picture, the icon and the hand cursor.

Every window picture is drawn twice from the same shapes and fonts: at its design size and at twice that size
("name@2x.gif"), which Qt shows on a dense screen. The same pixels are also written as run-length coded BMPs in
bmp/, the form the Windows resource compiler takes. The icon is also drawn as PNGs for the desktop's icon theme,
and the Windows icon holds every size from 16 to 256.

Needs Pillow built with raqm (for Urdu shaping) and the Noto Nastaliq Urdu font from fonts-noto-core.
The outputs are committed, BMPs included, so building the program needs neither, on Linux or on Windows,
where a native build has no Python either. Run: /usr/bin/python3 tools/draw_art.py [outdir]
"""
import io
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
    return pal


def save_bmp(pal, path):
    """An 8-bit BMP coded as runs (BI_RLE8): the pictures are mostly flat silver, so the 2x About picture takes
    a few tens of kilobytes instead of most of a megabyte. Only coded runs are written, which every reader
    of the format takes."""
    w, h = pal.size
    colours = pal.getpalette()[: 3 * 256]
    count = len(colours) // 3
    pixels = pal.load()
    runs = bytearray()
    for y in reversed(range(h)):
        x = 0
        while x < w:
            index, n = pixels[x, y], 1
            while x + n < w and n < 255 and pixels[x + n, y] == index:
                n += 1
            runs += bytes((n, index))
            x += n
        runs += b"\0\0"
    runs[-2:] = b"\0\1"
    palette = b"".join(bytes((colours[3 * i + 2], colours[3 * i + 1], colours[3 * i], 0)) for i in range(count))
    offset = 14 + 40 + len(palette)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 8, 1, len(runs), 3780, 3780, count, 0)
    with open(path, "wb") as f:
        f.write(struct.pack("<2sIHHI", b"BM", offset + len(runs), 0, 0, offset) + info + palette + runs)


def canvas(w, h, s=1):
    img = Image.new("RGB", (w * s, h * s), SILVER)
    return img, ImageDraw.Draw(img)


def px(box, s):
    """A box of whole design pixels (both corners inside) as the same area at scale s."""
    x0, y0, x1, y1 = box
    return (x0 * s, y0 * s, (x1 + 1) * s - 1, (y1 + 1) * s - 1)


def area(box, s):
    """A text area (edges, not pixels) at scale s."""
    return tuple(v * s for v in box)


def centre(x, y, s):
    """The centre of design pixel (x, y) at scale s, for lines drawn through pixel centres."""
    return ((x + 0.5) * s - 0.5, (y + 0.5) * s - 0.5)


def start_button(s=1):
    w, h = 60, 35
    img, d = canvas(w, h, s)
    # Glossy oval: a vertical gradient of light blue, lighter at the top, with a dark rim.
    mask = Image.new("L", (w * s, h * s), 0)
    ImageDraw.Draw(mask).ellipse(px((2, 2, 57, 32), s), fill=255)
    grad = Image.new("RGB", (w * s, h * s))
    for y in range(h * s):
        k = y / (h * s - 1)
        grad.paste((int(220 - 90 * k), int(235 - 70 * k), 255), (0, y, w * s, y + 1))
    img.paste(grad, (0, 0), mask)
    d.ellipse(px((2, 2, 57, 32), s), outline=(40, 80, 170), width=s)
    d.ellipse(px((10, 5, 49, 14), s), fill=(235, 245, 255))
    draw_urdu_centered(d, "آغاز", area((8, 4, 52, 31), s), DARK_BLUE, 15 * s, bold=True)
    return img


def caption(w, h, text, start, s=1):
    img, d = canvas(w, h, s)
    draw_urdu_centered(d, text, area((1, 1, w - 1, h - 1), s), RED, start * s)
    return img


def square_button(mark, s=1):
    img, d = canvas(19, 18, s)
    d.rectangle(px((1, 1, 17, 16), s), fill=(190, 20, 20), outline=(110, 0, 0), width=s)
    d.rectangle(px((2, 2, 16, 2), s), fill=(235, 110, 110))
    if mark == "x":
        d.line(centre(5, 4, s) + centre(13, 12, s), fill=WHITE, width=2 * s)
        d.line(centre(13, 4, s) + centre(5, 12, s), fill=WHITE, width=2 * s)
    else:
        yellow = (255, 230, 0)
        # Rounded at any scale above 1, where the corners have pixels to round.
        d.rounded_rectangle(px((8, 4, 10, 5), s), radius=s - 1, fill=yellow)
        d.rounded_rectangle(px((8, 7, 10, 13), s), radius=s - 1, fill=yellow)
        d.rectangle(px((7, 13, 11, 13), s), fill=yellow)
    return img


def tab(edge, text, s=1):
    img, d = canvas(73, 32, s)
    d.rounded_rectangle(px((1, 1, 71, 30), s), radius=5 * s, fill=WHITE, outline=(150, 150, 150), width=s)
    d.rectangle(px((70, 4, 71, 30), s), fill=edge)
    d.rectangle(px((4, 29, 71, 30), s), fill=edge)
    draw_urdu_centered(d, text, area((5, 2, 68, 28), s), (40, 40, 40), 18 * s, bold=True)
    return img


def title(s=1):
    img, d = canvas(114, 22, s)
    d.rounded_rectangle(px((66, 1, 112, 20), s), radius=4 * s, fill=(190, 0, 0))
    draw_urdu_centered(d, "زارول", area((67, 1, 112, 21), s), (120, 255, 120), 16 * s, bold=True)
    draw_urdu_centered(d, "ورژن ۱٫۰٫۰", area((2, 1, 64, 21), s), GREEN, 16 * s, bold=True)
    return img


ABOUT_TEXT = (
    "زارول ایک چھوٹا سا پروگرام ہے جو کسی بڑی فائل کو آپ کے چنے ہوئے حجم کے حصوں میں تقسیم کر دیتا ہے، "
    "تاکہ بڑی فائل کو چھوٹی ڈسکوں پر ایک جگہ سے دوسری جگہ لے جایا جا سکے۔ "
    "ہر حصے کا نام پوری فائل کے نام کے بعد ایک نمبر لگا کر رکھا جاتا ہے۔|"
    "فائلیں جوڑنے کے لیے ان حصوں میں سے کوئی ایک حصہ چن لیں اور آغاز کا بٹن دبائیں۔ "
    "زارول اسی فولڈر میں سارے حصے ڈھونڈ کر انہیں دوبارہ جوڑ دیتا ہے اور پوری فائل پہلے جیسی بن جاتی ہے۔|"
    "پروگرام نہ کوئی ترتیب محفوظ کرتا ہے اور نہ آپ کی فائلوں میں کوئی اور تبدیلی کرتا ہے۔"
)


def about_lines(d, fnt, width):
    """The About text broken into lines at the design size, as (line, gap before it) pairs; every scale
    draws the same lines, so the picture reads the same on any screen."""
    lines, gap = [], 0
    for para in ABOUT_TEXT.split("|"):
        line = ""
        for word in para.split():
            trial = (line + " " + word).strip()
            l, _, r, _ = urdu_box(d, trial, fnt)
            if r - l > width and line:
                lines.append((line, gap))
                line, gap = word, 0
            else:
                line = trial
        if line:
            lines.append((line, gap))
        gap = 12
    return lines


def about_picture(s=1):
    w, h = 341, 565
    img, d = canvas(w, h, s)
    draw_urdu_centered(d, "زارول کے بارے میں", area((10, 8, w - 10, 70), s), (150, 0, 0), 34 * s, bold=True)
    d.rectangle(px((30, 78, w - 30, 78), s), fill=(128, 128, 128))
    fnt = font(15 * s)
    right, y, line_h = w - 14, 88, 34
    for line, gap in about_lines(d, font(15), w - 28):
        y += gap
        draw_line(d, line, fnt, right * s, y * s)
        y += line_h
    y += 12
    draw_urdu_centered(d, "ورژن ۱٫۰٫۰", area((10, h - 50, w - 10, h - 10), s), GREEN, 20 * s, bold=True)
    assert y < h - 50, f"the About text runs into the version line ({y})"
    return img


def draw_line(d, text, fnt, right, y):
    l, _, r, _ = urdu_box(d, text, fnt)
    d.text((right - r, y), text, font=fnt, fill=(0, 0, 0), direction="rtl", language="ur")


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
    planes, bits = (1, 4) if kind == 1 else hotspot
    return icon_directory(kind, [(w, h, 16, planes, bits, dib4(rows, mask))])


def icon_directory(kind, entries):
    """entries: (width, height, colours, planes or hot spot x, bits or hot spot y, image); 256 is stored as 0."""
    head = struct.pack("<HHH", 0, kind, len(entries))
    offset = 6 + 16 * len(entries)
    for w, h, colours, planes, bits, image in entries:
        head += struct.pack("<BBBBHHII", w % 256, h % 256, colours, 0, planes, bits, len(image), offset)
        offset += len(image)
    return head + b"".join(e[-1] for e in entries)


def windows_icon():
    """The 16-colour icon at 16, then every larger size of the theme's icon as a PNG, which Windows takes
    inside an icon file; the shell and the task bar pick the size they need."""
    entries = [(16, 16, 16, 1, 4, icon()[22:])]
    for n in ICON_SIZES[1:]:
        png = io.BytesIO()
        icon_png(n).save(png, format="PNG", optimize=True)
        entries.append((n, n, 0, 1, 32, png.getvalue()))
    return icon_directory(1, entries)


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


def keeps_ink(before, after, offset, s):
    """Along one axis: whether the sub-pixel at offset inside an outline cell stays dark. The half that
    faces the white inside of the hand turns white; a line between two white cells keeps its last half."""
    if before == "." and after == ".":
        return offset == s - 1
    faces = before if offset < s / 2 else after
    opposite = after if offset < s / 2 else before
    return not (faces == "." and opposite != ".")


def hand_cursor(s=1):
    """Pointing hand, index finger tip at column 6, row 0 (the hot spot, which scales with the hand). At
    scale 2 the outline stays one pixel thin: each outline cell keeps its dark pixels only on the side that
    faces away from the hand, so the hand gets a finer edge instead of a thicker one."""
    n = 32 * s
    rows = [[0] * n for _ in range(n)]
    mask = [[True] * n for _ in range(n)]

    def cell(x, y):
        if 0 <= y < len(HAND) and 0 <= x < len(HAND[y]):
            return HAND[y][x]
        return " "

    for y, line in enumerate(HAND):
        for x, ch in enumerate(line):
            if ch == " ":
                continue
            for dy in range(s):
                for dx in range(s):
                    X, Y = x * s + dx, y * s + dy
                    mask[Y][X] = False
                    dark = ch == "X"
                    if dark and s > 1:
                        dark = keeps_ink(cell(x - 1, y), cell(x + 1, y), dx, s) and keeps_ink(
                            cell(x, y - 1), cell(x, y + 1), dy, s
                        )
                    rows[Y][X] = 0 if dark else 15
    return icon_file(rows, mask, 2, hotspot=(6 * s, 0))


ICON_SIZES = (16, 32, 48, 128, 256)


def icon_png(n):
    """The icon for the desktop's theme at n x n pixels. At 16 it is the window icon's own pixels; larger
    sizes draw the same mark (a white square with a gap broken out of its right side, on a green tile)
    from its shapes, drawn four times over and reduced so the edges are smooth."""
    if n == 16:
        return Image.open(io.BytesIO(icon())).convert("RGBA")
    k = 4
    big = n * k
    u = big / 16  # one cell of the 16-pixel design
    img = Image.new("RGBA", (big, big), (0, 0, 0, 0))
    d = ImageDraw.Draw(img)
    d.rounded_rectangle((0, 0, big - 1, big - 1), radius=int(2 * u), fill=(0, 128, 0), outline=(0, 60, 0),
                        width=max(k, int(u / 2)))
    stroke = 2 * u
    x0, x1 = 3 * u, 13 * u
    d.rectangle((x0, x0, x1 - 1, x0 + stroke - 1), fill=WHITE)
    d.rectangle((x0, x1 - stroke, x1 - 1, x1 - 1), fill=WHITE)
    d.rectangle((x0, x0, x0 + stroke - 1, x1 - 1), fill=WHITE)
    d.rectangle((x1 - stroke, x0, x1 - 1, 6 * u - 1), fill=WHITE)
    d.rectangle((x1 - stroke, 10 * u, x1 - 1, x1 - 1), fill=WHITE)
    return img.resize((n, n), Image.Resampling.LANCZOS)


WINDOW_PICTURES = {
    "start": lambda s: start_button(s),
    "size": lambda s: caption(61, 36, "ہر حصے کا حجم", 20, s),
    "path": lambda s: caption(61, 29, "فائل کا راستہ", 18, s),
    "piecepath": lambda s: caption(186, 34, "تقسیم شدہ حصوں میں سے کسی ایک کا راستہ", 20, s),
    "exit": lambda s: square_button("x", s),
    "info": lambda s: square_button("i", s),
    "tabsplit": lambda s: tab((200, 0, 0), "توڑیں", s),
    "tabjoin": lambda s: tab((0, 150, 0), "جوڑیں", s),
    "title": lambda s: title(s),
    "about": lambda s: about_picture(s),
}


def main():
    if not features.check("raqm"):
        sys.exit("Pillow without raqm cannot shape Urdu text")
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "resources")
    os.makedirs(os.path.join(out, "bmp"), exist_ok=True)
    for name, draw in WINDOW_PICTURES.items():
        for scale, suffix in ((1, ""), (2, "@2x")):
            pal = save_gif(draw(scale), os.path.join(out, name + suffix + ".gif"))
            save_bmp(pal, os.path.join(out, "bmp", name + suffix + ".bmp"))
    with open(os.path.join(out, "zarvel.ico"), "wb") as f:
        f.write(windows_icon())
    with open(os.path.join(out, "hand.cur"), "wb") as f:
        f.write(hand_cursor())
    with open(os.path.join(out, "hand@2x.cur"), "wb") as f:
        f.write(hand_cursor(2))
    os.makedirs(os.path.join(out, "icons"), exist_ok=True)
    for n in ICON_SIZES:
        icon_png(n).save(os.path.join(out, "icons", f"zarvel-{n}.png"), optimize=True)


if __name__ == "__main__":
    main()
