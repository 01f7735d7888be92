#!/usr/bin/env python3
"""Draws the pictures of quorel.exe and writes them for the resource compiler.

    gen-images.py OUTDIR [--png PNGDIR]

OUTDIR receives every bitmap as a BMP at its own size and, for 192 DPI
screens, at double size under the name + "_2X"; the icon (quorel.ico, 16 to
256 pixels); and images.rc, the BITMAP and ICON statements that quorel.rc
includes. --png also writes each picture as a PNG, to look at.

Every picture is drawn here from simple geometry (signed distance functions,
anti-aliased by their distance to the pixel centre), in logical units that
are scaled by 1 and 2, so both sizes are drawn rather than stretched. Only
the standard library is used.
"""

import math
import os
import struct
import sys
import zlib

# --------------------------------------------------------------------------
# Shapes: a signed distance function in logical units (negative inside) and a
# bounding box (x0, y0, x1, y1) outside of which the shape is empty.


class Shape:
    def __init__(self, sd, box):
        self.sd = sd
        self.box = box


def _clamp(v, lo=0.0, hi=1.0):
    return lo if v < lo else hi if v > hi else v


def box(x0, y0, x1, y1, r=0.0, r_right=None):
    """Rectangle from (x0, y0) to (x1, y1) with corner radius r (r_right for
    the two right corners, when given)."""
    cx, cy = (x0 + x1) / 2, (y0 + y1) / 2
    hw, hh = (x1 - x0) / 2, (y1 - y0) / 2
    rl = r
    rr = r if r_right is None else r_right

    def sd(x, y):
        rad = rr if x > cx else rl
        qx = abs(x - cx) - hw + rad
        qy = abs(y - cy) - hh + rad
        ox, oy = max(qx, 0.0), max(qy, 0.0)
        return math.hypot(ox, oy) + min(max(qx, qy), 0.0) - rad

    return Shape(sd, (x0, y0, x1, y1))


def circle(cx, cy, r):
    return Shape(lambda x, y: math.hypot(x - cx, y - cy) - r, (cx - r, cy - r, cx + r, cy + r))


def segment(ax, ay, bx, by, width):
    """A stroke of the given width with round ends."""
    dx, dy = bx - ax, by - ay
    ll = dx * dx + dy * dy or 1e-12
    half = width / 2

    def sd(x, y):
        t = _clamp(((x - ax) * dx + (y - ay) * dy) / ll)
        return math.hypot(x - ax - t * dx, y - ay - t * dy) - half

    return Shape(sd, (min(ax, bx) - half, min(ay, by) - half, max(ax, bx) + half, max(ay, by) + half))


def polyline(points, width):
    return union(*[segment(*points[i], *points[i + 1], width) for i in range(len(points) - 1)])


def polygon(points):
    points = [p for i, p in enumerate(points) if p != points[i - 1]]
    n = len(points)

    def sd(x, y):
        d = float("inf")
        inside = False
        j = n - 1
        for i in range(n):
            xi, yi = points[i]
            xj, yj = points[j]
            ex, ey = xj - xi, yj - yi
            wx, wy = x - xi, y - yi
            t = _clamp((wx * ex + wy * ey) / (ex * ex + ey * ey))
            d = min(d, math.hypot(wx - ex * t, wy - ey * t))
            if (yi > y) != (yj > y) and x < xi + (y - yi) * ex / ey:
                inside = not inside
            j = i
        return -d if inside else d

    xs = [p[0] for p in points]
    ys = [p[1] for p in points]
    return Shape(sd, (min(xs), min(ys), max(xs), max(ys)))


def half_plane(nx, ny, c):
    """The points where nx * x + ny * y >= c (n of length 1)."""
    big = 1e6
    return Shape(lambda x, y: c - (nx * x + ny * y), (-big, -big, big, big))


def union(*shapes):
    def sd(x, y):
        return min(s.sd(x, y) for s in shapes)

    b = (min(s.box[0] for s in shapes), min(s.box[1] for s in shapes),
         max(s.box[2] for s in shapes), max(s.box[3] for s in shapes))
    return Shape(sd, b)


def intersect(a, b):
    box_ = (max(a.box[0], b.box[0]), max(a.box[1], b.box[1]),
            min(a.box[2], b.box[2]), min(a.box[3], b.box[3]))
    return Shape(lambda x, y: max(a.sd(x, y), b.sd(x, y)), box_)


def subtract(a, b):
    return Shape(lambda x, y: max(a.sd(x, y), -b.sd(x, y)), a.box)


def outline(shape, width):
    """A stroke of the given width centred on the shape's edge."""
    half = width / 2
    b = shape.box
    return Shape(lambda x, y: abs(shape.sd(x, y)) - half,
                 (b[0] - half, b[1] - half, b[2] + half, b[3] + half))


def inset(shape, d):
    return Shape(lambda x, y: shape.sd(x, y) + d, shape.box)


def moved(shape, dx, dy):
    b = shape.box
    return Shape(lambda x, y: shape.sd(x - dx, y - dy), (b[0] + dx, b[1] + dy, b[2] + dx, b[3] + dy))


# --------------------------------------------------------------------------
# Canvas: straight (not premultiplied) RGBA in floats, 0..255 and 0..1.


def vertical(top, bottom, y0, y1):
    """A colour function running from top at y0 to bottom at y1."""

    def colour(x, y):
        t = _clamp((y - y0) / (y1 - y0))
        return tuple(a + (b - a) * t for a, b in zip(top, bottom))

    return colour


def darker(c, f):
    return tuple(v * f for v in c)


class Canvas:
    def __init__(self, width, height, scale, background=(255, 255, 255), opaque=True):
        self.scale = scale
        self.w = round(width * scale)
        self.h = round(height * scale)
        a = 1.0 if opaque else 0.0
        self.px = [[background[0], background[1], background[2], a] for _ in range(self.w * self.h)]

    def fill(self, shape, colour, alpha=1.0, feather=0.0):
        """Paints the shape over the canvas. colour is an (r, g, b) or a
        function of the logical point; feather (logical units) softens the
        edge, for shadows."""
        s = self.scale
        soft = max(1.0, feather * s)
        x0 = max(0, int(math.floor(shape.box[0] * s - soft - 1)))
        y0 = max(0, int(math.floor(shape.box[1] * s - soft - 1)))
        x1 = min(self.w, int(math.ceil(shape.box[2] * s + soft + 1)))
        y1 = min(self.h, int(math.ceil(shape.box[3] * s + soft + 1)))
        sd = shape.sd
        flat = None if callable(colour) else colour
        for py in range(y0, y1):
            ly = (py + 0.5) / s
            row = py * self.w
            for px in range(x0, x1):
                lx = (px + 0.5) / s
                cover = 0.5 - sd(lx, ly) * s / soft
                if cover <= 0.0:
                    continue
                a = alpha * (1.0 if cover >= 1.0 else cover)
                c = flat if flat is not None else colour(lx, ly)
                p = self.px[row + px]
                out = a + p[3] * (1.0 - a)
                if out <= 0.0:
                    continue
                keep = p[3] * (1.0 - a)
                p[0] = (c[0] * a + p[0] * keep) / out
                p[1] = (c[1] * a + p[1] * keep) / out
                p[2] = (c[2] * a + p[2] * keep) / out
                p[3] = out

    def paint_vertical(self, top, bottom):
        """Fills the whole canvas with a vertical gradient, opaque."""
        for py in range(self.h):
            t = (py + 0.5) / self.h
            c = [a + (b - a) * t for a, b in zip(top, bottom)]
            row = py * self.w
            for px in range(self.w):
                self.px[row + px] = [c[0], c[1], c[2], 1.0]

    def rows(self):
        """Rows top to bottom of (r, g, b, a) bytes."""
        for y in range(self.h):
            row = self.px[y * self.w:(y + 1) * self.w]
            yield [(_byte(p[0]), _byte(p[1]), _byte(p[2]), _byte(p[3] * 255)) for p in row]


def _byte(v):
    v = int(v + 0.5)
    return 0 if v < 0 else 255 if v > 255 else v


# --------------------------------------------------------------------------
# File formats.


def bmp_bytes(canvas):
    """A 24-bit bottom-up BMP (BITMAPINFOHEADER); the canvas is opaque."""
    stride = (canvas.w * 3 + 3) & ~3
    pixels = bytearray()
    for row in reversed(list(canvas.rows())):
        line = bytearray()
        for r, g, b, _ in row:
            line += bytes((b, g, r))
        line += b"\0" * (stride - len(line))
        pixels += line
    header = struct.pack("<IiiHHIIiiII", 40, canvas.w, canvas.h, 1, 24, 0, len(pixels), 3780, 3780, 0, 0)
    file_header = struct.pack("<2sIHHI", b"BM", 14 + len(header) + len(pixels), 0, 0, 14 + len(header))
    return file_header + header + bytes(pixels)


def png_bytes(canvas):
    raw = bytearray()
    for row in canvas.rows():
        raw.append(0)
        for r, g, b, a in row:
            raw += bytes((r, g, b, a))

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    ihdr = struct.pack(">IIBBBBB", canvas.w, canvas.h, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr) + chunk(b"IDAT", zlib.compress(bytes(raw), 9))
            + chunk(b"IEND", b""))


def ico_image_bytes(canvas):
    """A 32-bit BGRA DIB with its AND mask, as an icon directory entry holds."""
    rows = list(canvas.rows())
    xor = bytearray()
    for row in reversed(rows):
        for r, g, b, a in row:
            xor += bytes((b, g, r, a))
    mask_stride = ((canvas.w + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        bits = bytearray(mask_stride)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    header = struct.pack("<IiiHHIIiiII", 40, canvas.w, canvas.h * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    return header + bytes(xor) + bytes(mask)


def ico_bytes(canvases):
    """An icon file; the 256-pixel image is stored as PNG, as Windows reads it."""
    images = [png_bytes(c) if c.w >= 256 else ico_image_bytes(c) for c in canvases]
    out = struct.pack("<HHH", 0, 1, len(canvases))
    offset = 6 + 16 * len(canvases)
    for c, data in zip(canvases, images):
        out += struct.pack("<BBBBHHII", c.w % 256, c.h % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    return out + b"".join(images)


# --------------------------------------------------------------------------
# The pictures. Each draws into a canvas of its logical size at a scale.

WHITE = (255, 255, 255)
BLACK = (0, 0, 0)
GHOST = (160, 160, 160)
BLUE = (30, 90, 210)
NAVY = (22, 48, 110)
TEAL = (12, 122, 140)
ACCENT = (0, 150, 130)


def tick_box(colour, ticked):
    """The 14 x 14 tick box of the matrix cells."""

    def draw(cv):
        frame = box(1, 1, 13, 13)
        cv.fill(frame, colour)
        cv.fill(box(2, 2, 12, 12), WHITE)
        if ticked:
            cv.fill(polyline([(3.6, 7.2), (5.9, 9.6), (10.5, 4.3)], 1.9), colour)

    return draw


def sheet(x0, y0, x1, y1, fold):
    return polygon([(x0, y0), (x1 - fold, y0), (x1, y0 + fold), (x1, y1), (x0, y1)])


def files_glyph(colour):
    """Two sheets of paper, the front one with a folded corner and two lines
    of text: "inherits to files"."""

    def draw(cv):
        back = sheet(9.5, 0.5, 18.5, 9.5, 0)
        cv.fill(back, WHITE)
        cv.fill(outline(back, 1), colour)
        front = sheet(12.5, 3.5, 21.5, 13.5, 3)
        cv.fill(front, WHITE)
        cv.fill(outline(front, 1), colour)
        cv.fill(polyline([(18.5, 3.5), (18.5, 6.5), (21.5, 6.5)], 1), colour)
        cv.fill(box(14, 8, 20, 9), colour)
        cv.fill(box(14, 10, 20, 11), colour)

    return draw


def folder(x0, y0, x1, y1):
    """A folder body from (x0, y0) to (x1, y1) with its tab above the left
    part."""
    tab = polygon([(x0, y0 - 2), (x0 + 3, y0 - 2), (x0 + 5, y0), (x0, y0)])
    return union(box(x0, y0, x1, y1), tab)


def folders_glyph(colour):
    """Two folders, one behind the other: "inherits to folders"."""

    def draw(cv):
        back = folder(12.5, 3.5, 22.5, 9.5)
        cv.fill(back, WHITE)
        cv.fill(outline(back, 1), colour)
        front = folder(8.5, 6.5, 18.5, 13.5)
        cv.fill(front, WHITE)
        cv.fill(outline(front, 1), colour)

    return draw


# The picture buttons of the start window: top and bottom colour of each.
BUTTON_COLOURS = {
    0: ((74, 144, 232), (28, 88, 190)),  # scan
    1: ((82, 184, 112), (32, 128, 68)),  # start main program
    2: ((232, 96, 84), (176, 38, 38)),  # exit
    3: ((246, 184, 64), (214, 128, 18)),  # open
    4: ((152, 112, 222), (98, 58, 170)),  # compare
}


def scan_symbol(dx, dy, colour):
    yield circle(27 + dx, 27 + dy, 14), WHITE, 1.0
    yield circle(27 + dx, 27 + dy, 9.5), colour, 1.0
    yield segment(37 + dx, 37 + dy, 47 + dx, 47 + dy, 8), WHITE, 1.0
    yield polyline([(21 + dx, 27.5 + dy), (25.5 + dx, 32 + dy), (33 + dx, 22.5 + dy)], 3.6), WHITE, 1.0


def main_symbol(dx, dy, colour):
    yield box(13 + dx, 15 + dy, 51 + dx, 49 + dy, 4), WHITE, 1.0
    yield box(16 + dx, 23 + dy, 48 + dx, 46 + dy, 1.5), colour, 0.28
    for i, y in enumerate((26.5, 33, 39.5)):
        yield box(19 + dx, y + dy, 31 + dx, y + 3 + dy, 1.5), colour, 1.0
        for j, x in enumerate((35, 41.5)):
            cell = box(x + dx, y - 0.75 + dy, x + 4.5 + dx, y + 3.75 + dy, 1)
            yield (cell if (i + j) % 2 == 0 else outline(cell, 1.2)), colour, 1.0


def exit_symbol(dx, dy, colour):
    ring = outline(circle(32 + dx, 34 + dy, 13), 5.5)
    gap = polygon([(32 + dx, 34 + dy), (22 + dx, 12 + dy), (42 + dx, 12 + dy)])
    yield subtract(ring, gap), WHITE, 1.0
    yield segment(32 + dx, 16 + dy, 32 + dx, 33 + dy, 5.5), WHITE, 1.0


def open_symbol(dx, dy, colour):
    back = union(box(15 + dx, 22 + dy, 47 + dx, 45 + dy, 2.5), box(15 + dx, 18 + dy, 28 + dx, 25 + dy, 2.5))
    yield back, WHITE, 0.65
    yield polygon([(22 + dx, 29 + dy), (53 + dx, 29 + dy), (46 + dx, 46 + dy), (13 + dx, 46 + dy)]), WHITE, 1.0


def arrow(x0, x1, y, width):
    head = 4.5 if x1 > x0 else -4.5
    return union(segment(x0, y, x1, y, width), polyline([(x1 - head, y - head), (x1, y), (x1 - head, y + head)], width))


def compare_symbol(dx, dy, colour):
    for x0, y0 in ((12, 19), (33, 19)):
        page = sheet(x0 + dx, y0 + dy, x0 + 19 + dx, y0 + 26 + dy, 5)
        yield page, WHITE, 1.0
        for k in range(3):
            y = y0 + 9 + 5 * k
            yield box(x0 + 3.5 + dx, y + dy, x0 + 15.5 + dx, y + 2 + dy, 1), colour, 1.0
    yield arrow(26, 40, 12, 2.8), WHITE, 1.0
    yield arrow(40, 26, 52, 2.8), WHITE, 1.0


SYMBOLS = {0: scan_symbol, 1: main_symbol, 2: exit_symbol, 3: open_symbol, 4: compare_symbol}


def picture_button(number, pressed):
    top, bottom = BUTTON_COLOURS[number]

    def draw(cv):
        face = box(3, 2, 61, 60, 12)
        if pressed:
            colour = vertical(darker(bottom, 0.8), darker(top, 0.85), 2, 60)
            cv.fill(face, colour)
            # The face sunk in: a shadow along its inner top edge.
            cv.fill(intersect(face, subtract(face, moved(face, 0, 2.5))), BLACK, alpha=0.25, feather=2)
            dx = dy = 1
            symbol_colour = darker(bottom, 0.8)
        else:
            cv.fill(moved(face, 0, 2), BLACK, alpha=0.28, feather=3)
            cv.fill(face, vertical(top, bottom, 2, 60))
            cv.fill(intersect(face, circle(32, -46, 78)), WHITE, alpha=0.16)
            dx = dy = 0
            symbol_colour = bottom
        for shape, colour, alpha in SYMBOLS[number](dx, dy, symbol_colour):
            cv.fill(shape, colour, alpha=alpha)

    return draw


def shield(cx, top, half_width, height):
    """A heraldic shield: flat top, sides curving to a point at the bottom."""
    # Two circles through the top corners and the bottom point; their overlap
    # below the top edge is the shield.
    a = (height * height - half_width * half_width) / (2 * half_width)
    r = a + half_width
    left = circle(cx - a, top, r)
    right = circle(cx + a, top, r)
    body = intersect(intersect(left, right), half_plane(0, 1, top))
    return Shape(body.sd, (cx - half_width, top, cx + half_width, top + height))


def shield_with_boxes(cv, cx, top, scale_):
    """The emblem of the logo: a white shield holding ticked boxes."""
    s = scale_
    outer = shield(cx, top, 75 * s, 180 * s)
    cv.fill(outer, WHITE)
    cv.fill(inset(outer, 8 * s), vertical(NAVY, TEAL, top, top + 180 * s))
    size = 24 * s
    step = 34 * s
    cells = [(-1, 0, True), (0, 0, False), (1, 0, True), (-1, 1, True), (0, 1, True), (1, 1, False), (0, 2, True)]
    for col, row, ticked in cells:
        x0 = cx + col * step - size / 2
        y0 = top + 30 * s + row * step
        cell = box(x0, y0, x0 + size, y0 + size, 4 * s)
        cv.fill(cell, WHITE)
        if ticked:
            pts = [(x0 + 5.5 * s, y0 + 12.5 * s), (x0 + 10 * s, y0 + 17 * s), (x0 + 18.5 * s, y0 + 7 * s)]
            cv.fill(polyline(pts, 4 * s), ACCENT)


# Wordmark: stroke letters in a box of width w and height h at (x, y).
STROKE = 9.0


def letter(ch, x, y, w, h):
    t = STROKE
    left, right, top, bot = x + t / 2, x + w - t / 2, y + t / 2, y + h - t / 2
    cx = (left + right) / 2
    if ch in "OQU":
        ring = outline(box(left, top, right, bot, (right - left) / 2), t)
        if ch == "O":
            return ring
        if ch == "Q":
            return union(ring, segment(cx + 3, bot - 9, right + 4, bot + 5, t))
        mid = (top + bot) / 2
        return union(intersect(ring, half_plane(0, 1, mid)), segment(left, top, left, mid, t),
                     segment(right, top, right, mid, t))
    if ch == "R":
        mid = top + (bot - top) * 0.5
        bowl = outline(box(left - 20, top, right, mid, 0, r_right=(mid - top) / 2), t)
        bowl = intersect(bowl, half_plane(1, 0, left))
        return union(segment(left, top, left, bot, t), bowl, segment(cx - 1, mid, right, bot, t))
    if ch == "E":
        mid = (top + bot) / 2
        return union(segment(left, top, left, bot, t), segment(left, top, right, top, t),
                     segment(left, mid, right - 4, mid, t), segment(left, bot, right, bot, t))
    if ch == "L":
        return union(segment(left, top, left, bot, t), segment(left, bot, right, bot, t))
    raise ValueError(ch)


def wordmark(cv, text, x, y, h, gap):
    widths = {"Q": 40, "U": 38, "O": 40, "R": 36, "E": 31, "L": 30}
    for ch in text:
        cv.fill(letter(ch, x, y, widths[ch], h), WHITE)
        x += widths[ch] + gap


def wordmark_width(text, gap):
    widths = {"Q": 40, "U": 38, "O": 40, "R": 36, "E": 31, "L": 30}
    return sum(widths[ch] for ch in text) + gap * (len(text) - 1)


LOGO_W, LOGO_H = 320, 640


def logo(cv):
    """The start window's banner: the emblem, the name, and a faint matrix of
    tick boxes fading out towards the bottom."""
    cv.paint_vertical(NAVY, TEAL)
    # A soft light behind the emblem.
    cv.fill(circle(160, 160, 150), WHITE, alpha=0.07, feather=60)
    shield_with_boxes(cv, 160, 50, 1.0)
    gap = 9
    wordmark(cv, "QUOREL", (LOGO_W - wordmark_width("QUOREL", gap)) / 2, 276, 56, gap)
    cv.fill(box(60, 356, 260, 358.5, 1.25), WHITE, alpha=0.55)
    for row in range(7):
        y = 392 + row * 30
        fade = 0.20 * (1 - row / 7)
        for col in range(8):
            x = 28 + col * 34
            cell = box(x, y, x + 18, y + 18, 3)
            cv.fill(outline(cell, 2), WHITE, alpha=fade)
            if (row * 3 + col * 5) % 7 < 3:
                cv.fill(polyline([(x + 4.5, y + 9.5), (x + 8, y + 13), (x + 14, y + 5.5)], 2.4), WHITE, alpha=fade)


def icon(cv):
    """The program icon, in a 32-unit square."""
    face = box(1, 1, 31, 31, 6.5)
    cv.fill(face, vertical((40, 84, 170), TEAL, 1, 31))
    emblem = shield(16, 6, 10.5, 21)
    cv.fill(emblem, WHITE)
    cv.fill(polyline([(10.8, 14.6), (14.6, 18.6), (21.4, 10.6)], 3.4), ACCENT)


# --------------------------------------------------------------------------

BITMAPS = [
    ("LOGO", LOGO_W, LOGO_H, logo),
    *[(f"ICONBUTTON{i}", 64, 64, picture_button(i, False)) for i in range(5)],
    *[(f"ICONBUTTON{i}PRESSED", 64, 64, picture_button(i, True)) for i in range(5)],
    ("HOOKON", 14, 14, tick_box(BLACK, True)),
    ("HOOKOFF", 14, 14, tick_box(BLACK, False)),
    ("HOOKONBLUE", 14, 14, tick_box(BLUE, True)),
    ("HOOKOFFBLUE", 14, 14, tick_box(BLUE, False)),
    ("FILESBLACK", 31, 14, files_glyph(BLACK)),
    ("FILESGHOSTED", 31, 14, files_glyph(GHOST)),
    ("FOLDERSBLACK", 31, 14, folders_glyph(BLACK)),
    ("FOLDERSGHOSTED", 31, 14, folders_glyph(GHOST)),
]

ICON_ID = 123
ICON_SIZES = (16, 24, 32, 48, 256)


def write(path, data):
    # Written beside and renamed, so an interrupted build leaves no half file.
    tmp = path + ".tmp"
    with open(tmp, "wb") as f:
        f.write(data)
    os.replace(tmp, path)


def main(argv):
    if len(argv) not in (2, 4) or (len(argv) == 4 and argv[2] != "--png"):
        sys.stderr.write(__doc__)
        return 2
    out = argv[1]
    png = argv[3] if len(argv) == 4 else None
    os.makedirs(out, exist_ok=True)
    if png:
        os.makedirs(png, exist_ok=True)
    statements = ["// Written by gen-images.py; included by quorel.rc.\n"]
    for name, w, h, draw in BITMAPS:
        for scale, suffix in ((1, ""), (2, "_2X")):
            cv = Canvas(w, h, scale)
            draw(cv)
            file = f"{name.lower()}{suffix.lower()}.bmp"
            write(os.path.join(out, file), bmp_bytes(cv))
            statements.append(f'{name}{suffix} BITMAP "{file}"\n')
            if png:
                write(os.path.join(png, f"{name}{suffix}.png"), png_bytes(cv))
    sizes = []
    for size in ICON_SIZES:
        cv = Canvas(32, 32, size / 32, background=(0, 0, 0), opaque=False)
        icon(cv)
        sizes.append(cv)
        if png:
            write(os.path.join(png, f"ICON{size}.png"), png_bytes(cv))
    write(os.path.join(out, "quorel.ico"), ico_bytes(sizes))
    statements.append(f'{ICON_ID} ICON "quorel.ico"\n')
    write(os.path.join(out, "images.rc"), "".join(statements).encode("ascii"))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
