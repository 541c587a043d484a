#!/usr/bin/env python3
"""Draws Marvitelkon's artwork and writes it as .ico, .bmp, .gif and .jpg files.

    python3 tools/make_artwork.py            # writes into the checkout this script lives in

Outputs (all committed; run the script again after changing a drawing):
  resources/art/*.ico          program icons: 16, 20, 24, 32, 40, 48 and 64 px (the sizes of 100 % to
                               200 % display scale), 32-bit with alpha plus AND mask, and 256 px as PNG
  resources/art/view_*.bmp     menu bitmaps, 14 x 14, 24 bits per pixel, on white
  resources/art/demo/          default.ico, program icons of the demo list (the same sizes) and the
                               list background Marvitelkon.jpg
  tests/support/data/          small pictures the picture-loading tests read

Only the Python standard library draws and encodes, with one exception: for the JPEG files the
script writes a 24-bit PPM and has ImageMagick's `convert` (installed by scripts/setup.sh) encode it.
The resulting JPEGs are committed like everything else, so only making them again needs ImageMagick.
The output is the same byte for byte on every run.

Every shape is a signed distance function in a 64 x 64 design grid (negative inside); a pixel's
coverage is its centre's distance clamped to half a pixel either side, which antialiases every size
the same way.
"""

import math
import os
import struct
import subprocess
import sys
import tempfile
import zlib

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
ART = os.path.join(ROOT, "resources", "art")
DEMO = os.path.join(ART, "demo")
TEST_DATA = os.path.join(ROOT, "tests", "support", "data")
# The list's 32 px icons at 100 %, 125 %, 150 % and 200 % display scale are 32, 40, 48 and 64 px; the
# small ones 16, 20, 24 and 32 px; 256 px is what Explorer shows largest.
ICON_SIZES = (16, 20, 24, 32, 40, 48, 64, 256)
# Images from this size on are stored as PNG, as Windows Vista and later read them.
PNG_FROM = 256


# --- shapes: signed distance functions in design units -------------------------------------------

def circle(cx, cy, r):
    return lambda x, y: math.hypot(x - cx, y - cy) - r


def box(x0, y0, x1, y1, r=0.0):
    cx, cy, hw, hh = (x0 + x1) / 2, (y0 + y1) / 2, (x1 - x0) / 2, (y1 - y0) / 2

    def sd(x, y):
        qx = abs(x - cx) - (hw - r)
        qy = abs(y - cy) - (hh - r)
        return math.hypot(max(qx, 0.0), max(qy, 0.0)) + min(max(qx, qy), 0.0) - r
    return sd


def ellipse(cx, cy, rx, ry):
    def sd(x, y):
        px, py = (x - cx) / rx, (y - cy) / ry
        k0 = math.hypot(px, py)
        k1 = math.hypot(px / rx, py / ry)
        if k1 == 0.0:
            return -min(rx, ry)
        return k0 * (k0 - 1.0) / k1
    return sd


def _segment_distance(x, y, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    length2 = dx * dx + dy * dy
    t = 0.0 if length2 == 0 else max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / length2))
    return math.hypot(x - ax - t * dx, y - ay - t * dy)


def polyline(points, width):
    segments = list(zip(points, points[1:]))

    def sd(x, y):
        return min(_segment_distance(x, y, a[0], a[1], b[0], b[1]) for a, b in segments) - width / 2
    return sd


def polygon(points):
    edges = list(zip(points, points[1:] + points[:1]))

    def sd(x, y):
        distance = min(_segment_distance(x, y, a[0], a[1], b[0], b[1]) for a, b in edges)
        inside = False
        for (ax, ay), (bx, by) in edges:
            if (ay > y) != (by > y) and x < ax + (y - ay) * (bx - ax) / (by - ay):
                inside = not inside
        return -distance if inside else distance
    return sd


def union(*shapes):
    return lambda x, y: min(s(x, y) for s in shapes)


def intersect(*shapes):
    return lambda x, y: max(s(x, y) for s in shapes)


def subtract(shape, cut):
    return lambda x, y: max(shape(x, y), -cut(x, y))


def grow(shape, amount):
    return lambda x, y: shape(x, y) - amount


def outline(shape, width):
    return lambda x, y: abs(shape(x, y)) - width / 2


def below(y0):
    """The half-plane under the line y = y0 (screen coordinates: y grows downwards)."""
    return lambda x, y: y0 - y


def above(y0):
    """The half-plane over the line y = y0."""
    return lambda x, y: y - y0


def quad_bezier(p0, p1, p2, steps=12):
    return [((1 - t) ** 2 * p0[0] + 2 * (1 - t) * t * p1[0] + t * t * p2[0],
             (1 - t) ** 2 * p0[1] + 2 * (1 - t) * t * p1[1] + t * t * p2[1])
            for t in (i / steps for i in range(steps + 1))]


def rotate(points, angle, cx, cy):
    c, s = math.cos(angle), math.sin(angle)
    return [(cx + (x - cx) * c - (y - cy) * s, cy + (x - cx) * s + (y - cy) * c) for x, y in points]


# --- paints ---------------------------------------------------------------------------------------

def rgb(hex_text, alpha=1.0):
    v = int(hex_text.lstrip("#"), 16)
    return ((v >> 16) / 255.0, ((v >> 8) & 255) / 255.0, (v & 255) / 255.0, alpha)


def mix(c0, c1, t):
    t = max(0.0, min(1.0, t))
    return tuple(a + (b - a) * t for a, b in zip(c0, c1))


def vertical(y0, c0, y1, c1):
    return lambda x, y: mix(c0, c1, (y - y0) / (y1 - y0))


def horizontal(x0, c0, x1, c1):
    return lambda x, y: mix(c0, c1, (x - x0) / (x1 - x0))


def cylinder_shade(x0, x1, c_edge, c_light):
    """Light a little left of the middle, darker towards both edges: a round body."""
    middle = x0 + (x1 - x0) * 0.38

    def paint(x, y):
        if x < middle:
            return mix(c_edge, c_light, (x - x0) / (middle - x0) * 1.4)
        return mix(c_light, c_edge, (x - middle) / (x1 - middle))
    return paint


# --- canvas ---------------------------------------------------------------------------------------

class Canvas:
    """Straight-alpha RGBA pixels; shapes are given in a grid of `design` units across."""

    def __init__(self, width, height=None, design=64.0, background=(0.0, 0.0, 0.0, 0.0)):
        self.width = width
        self.height = height or width
        self.scale = width / design  # pixels per design unit
        self.px = 1.0 / self.scale   # design units per pixel
        self.pixels = [list(background) for _ in range(self.width * self.height)]

    def fill(self, shape, paint, softness=1.0, opacity=1.0):
        constant = paint if isinstance(paint, tuple) else None
        for j in range(self.height):
            y = (j + 0.5) * self.px
            for i in range(self.width):
                x = (i + 0.5) * self.px
                coverage = 0.5 - shape(x, y) * self.scale / softness
                if coverage <= 0.0:
                    continue
                coverage = min(coverage, 1.0)
                color = constant or paint(x, y)
                self._blend(j * self.width + i, color, coverage * opacity)

    def _blend(self, index, color, coverage):
        dst = self.pixels[index]
        sa = color[3] * coverage
        da = dst[3]
        out_a = sa + da * (1.0 - sa)
        if out_a <= 0.0:
            return
        for k in range(3):
            dst[k] = (color[k] * sa + dst[k] * da * (1.0 - sa)) / out_a
        dst[3] = out_a

    def shadow(self, shape, dx=0.0, dy=1.5, blur=2.0, strength=0.28):
        """A soft shadow below a shape; blur is in pixels. Small icons stay crisp without one."""
        if self.width < 32:
            return
        moved = lambda x, y: shape(x - dx, y - dy)
        self.fill(moved, (0.0, 0.0, 0.0, strength), softness=max(blur, 1.0))

    def rgba_bytes(self):
        return [tuple(int(round(max(0.0, min(1.0, c)) * 255)) for c in p) for p in self.pixels]


# --- file writers ---------------------------------------------------------------------------------

def write_file(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)
    print("wrote %s (%d bytes)" % (os.path.relpath(path, ROOT), len(data)))


def ico_image(canvas):
    """One icon image: BITMAPINFOHEADER (height doubled), 32-bit BGRA bottom-up, then the AND mask."""
    w, h = canvas.width, canvas.height
    pixels = canvas.rgba_bytes()
    xor = bytearray()
    for row in range(h - 1, -1, -1):
        for r, g, b, a in pixels[row * w:(row + 1) * w]:
            if a == 0:
                r = g = b = 0
            xor += bytes((b, g, r, a))
    mask_stride = ((w + 31) // 32) * 4
    mask = bytearray()
    for row in range(h - 1, -1, -1):
        line = bytearray(mask_stride)
        for col in range(w):
            if pixels[row * w + col][3] == 0:
                line[col // 8] |= 0x80 >> (col % 8)
        mask += line
    header = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    return header + bytes(xor) + bytes(mask)


def png_image(canvas):
    """One icon image as a PNG file: 8-bit RGBA, straight alpha, rows filtered with "none"."""
    w, h = canvas.width, canvas.height
    pixels = canvas.rgba_bytes()
    raw = bytearray()
    for row in range(h):
        raw.append(0)
        for r, g, b, a in pixels[row * w:(row + 1) * w]:
            raw += bytes((r, g, b, a) if a else (0, 0, 0, 0))

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 6, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))


def ico_file(canvases):
    images = [png_image(c) if c.width >= PNG_FROM else ico_image(c) for c in canvases]
    data = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for canvas, image in zip(canvases, images):
        data += struct.pack("<BBBBHHII", canvas.width % 256, canvas.height % 256, 0, 0, 1, 32,
                            len(image), offset)
        offset += len(image)
    return data + b"".join(images)


def rgb_rows(canvas, background=(1.0, 1.0, 1.0)):
    """Rows of (r, g, b) byte triples, the canvas laid over an opaque background."""
    rows = []
    for j in range(canvas.height):
        row = []
        for p in canvas.pixels[j * canvas.width:(j + 1) * canvas.width]:
            a = p[3]
            row.append(tuple(int(round(max(0.0, min(1.0, p[k] * a + background[k] * (1 - a))) * 255))
                             for k in range(3)))
        rows.append(row)
    return rows


def bmp_file(rows):
    """A 24-bit Windows bitmap file, bottom-up, rows padded to four bytes."""
    h, w = len(rows), len(rows[0])
    stride = (w * 3 + 3) & ~3
    body = bytearray()
    for row in reversed(rows):
        line = bytearray()
        for r, g, b in row:
            line += bytes((b, g, r))
        line += bytes(stride - len(line))
        body += line
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(body), 2835, 2835, 0, 0)
    head = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(body), 0, 0, 14 + len(info))
    return head + info + bytes(body)


def ppm_file(rows):
    h, w = len(rows), len(rows[0])
    return ("P6\n%d %d\n255\n" % (w, h)).encode() + b"".join(bytes(p) for row in rows for p in row)


def gif_file(rows):
    """A GIF89a with a global colour table of the picture's own colours (at most 256) and LZW data
    that restarts its table before the codes outgrow nine bits."""
    palette = []
    index = {}
    for row in rows:
        for p in row:
            if p not in index:
                index[p] = len(palette)
                palette.append(p)
    if len(palette) > 256:
        raise ValueError("a GIF holds at most 256 colours")
    h, w = len(rows), len(rows[0])
    table = palette + [(0, 0, 0)] * (256 - len(palette))
    clear, end = 256, 257
    codes = [clear]
    run = 0
    for row in rows:
        for p in row:
            if run == 250:
                codes.append(clear)
                run = 0
            codes.append(index[p])
            run += 1
    codes.append(end)
    stream = bytearray()
    bits = value = 0
    for code in codes:
        value |= code << bits
        bits += 9
        while bits >= 8:
            stream.append(value & 255)
            value >>= 8
            bits -= 8
    if bits:
        stream.append(value & 255)
    data = b"GIF89a" + struct.pack("<HHBBB", w, h, 0xF7, 0, 0)
    data += b"".join(bytes(c) for c in table)
    data += b"," + struct.pack("<HHHHB", 0, 0, w, h, 0) + bytes((8,))
    for i in range(0, len(stream), 255):
        chunk = stream[i:i + 255]
        data += bytes((len(chunk),)) + bytes(chunk)
    return data + b"\x00;"


def jpeg_file(rows, quality=85):
    """JPEG through ImageMagick: the only non-Python step (see the module's comment)."""
    with tempfile.TemporaryDirectory() as work:
        source = os.path.join(work, "picture.ppm")
        target = os.path.join(work, "picture.jpg")
        with open(source, "wb") as f:
            f.write(ppm_file(rows))
        subprocess.run(["convert", source, "-strip", "-sampling-factor", "2x2", "-quality", str(quality),
                        target], check=True)
        with open(target, "rb") as f:
            return f.read()


# --- icons ----------------------------------------------------------------------------------------

def draw_launcher(c):
    """AA_MARVITELKON: a blue tile with a white M and a small orange launch triangle."""
    tile = box(5, 5, 59, 59, 12)
    c.shadow(tile)
    c.fill(tile, vertical(5, rgb("#4b94f0"), 59, rgb("#1d4fae")))
    c.fill(intersect(tile, above(30)), (1, 1, 1, 0.10))
    c.fill(outline(tile, c.px), (0.05, 0.15, 0.35, 0.55))
    m = polygon([(14, 47), (14, 16), (23, 16), (32, 30), (41, 16), (50, 16), (50, 47), (41.5, 47),
                 (41.5, 31), (32, 45), (22.5, 31), (22.5, 47)])
    c.shadow(m, dy=1.2, blur=1.5, strength=0.3)
    c.fill(m, (1, 1, 1, 1))
    if c.width >= 32:
        badge = circle(50, 50, 10.5)
        c.fill(grow(badge, 1.5 * c.px), (1, 1, 1, 1))
        c.fill(badge, vertical(40, rgb("#ffb347"), 60, rgb("#e8630a")))
        c.fill(polygon([(46.5, 44.5), (56, 50), (46.5, 55.5)]), (1, 1, 1, 1))


def draw_database(body_light, body_edge, top, band):
    def draw(c):
        x0, x1, rx, ry = 13, 51, 19, 7
        y_top, y_bottom = 14, 50
        body = union(box(x0, y_top, x1, y_bottom), ellipse(32, y_bottom, rx, ry))
        whole = union(body, ellipse(32, y_top, rx, ry))
        c.shadow(whole)
        c.fill(body, cylinder_shade(x0, x1, body_edge, body_light))
        for y in (26, 38):
            ring = intersect(outline(ellipse(32, y, rx, ry), max(2.0, 1.2 * c.px)), below(y))
            c.fill(intersect(ring, body), band)
        c.fill(ellipse(32, y_top, rx, ry), vertical(7, mix(top, (1, 1, 1, 1), 0.35), 21, top))
        c.fill(outline(ellipse(32, y_top, rx, ry), c.px), band)
        c.fill(outline(whole, c.px), (0, 0, 0, 0.35))
    return draw


def draw_program(c):
    """MV_PROGRAM: an application window."""
    frame = box(6, 10, 58, 54, 4)
    c.shadow(frame)
    c.fill(frame, (1, 1, 1, 1))
    c.fill(intersect(frame, above(22)), vertical(10, rgb("#5aa0f2"), 22, rgb("#2462c4")))
    if c.width >= 32:
        for k, color in enumerate(("#ff5f57", "#febc2e", "#28c840")):
            c.fill(circle(49 - k * 6.5, 16, 2.3), rgb(color))
        c.fill(box(12, 28, 26, 40, 1.5), rgb("#9cc3f5"))
        for y, x1 in ((29, 52), (34, 48), (39, 52), (45, 44)):
            c.fill(box(30 if y < 42 else 12, y, x1, y + 2.5, 1.2), rgb("#b4bcc8"))
    else:
        c.fill(box(12, 28, 52, 33, 1), rgb("#b4bcc8"))
        c.fill(box(12, 38, 42, 43, 1), rgb("#b4bcc8"))
    c.fill(outline(frame, c.px), (0.1, 0.15, 0.25, 0.7))


def draw_user(c):
    """MV_USER: a person, head and shoulders."""
    head = circle(32, 21, 11)
    body = intersect(union(ellipse(32, 55, 21, 19), box(11, 50, 53, 57, 3)), above(57))
    person = union(head, body)
    c.shadow(person)
    paint = vertical(8, rgb("#5fb0ea"), 58, rgb("#1f5f9e"))
    c.fill(subtract(body, grow(head, 2.2)), paint)
    c.fill(head, paint)
    c.fill(outline(subtract(body, grow(head, 2.2)), c.px), (0.05, 0.2, 0.4, 0.6))
    c.fill(outline(head, c.px), (0.05, 0.2, 0.4, 0.6))


def shield_points():
    left = quad_bezier((12, 28), (13, 47), (32, 59))
    right = quad_bezier((32, 59), (51, 47), (52, 28))
    return [(32, 5), (52, 11)] + right[::-1] + left[::-1][1:] + [(12, 11)]


def draw_rights(c):
    """MV_JOG: a green shield with a white tick."""
    shield = grow(polygon(shield_points()), -0.5)
    c.shadow(shield)
    c.fill(shield, vertical(5, rgb("#4cc36b"), 59, rgb("#167a36")))
    c.fill(intersect(shield, lambda x, y: x - 32), (1, 1, 1, 0.10))
    c.fill(outline(shield, c.px), (0.02, 0.25, 0.08, 0.7))
    tick = polyline([(21, 32), (29, 40.5), (44, 23)], 7.0 if c.width > 16 else 8.0)
    c.shadow(tick, dy=1.0, blur=1.2, strength=0.3)
    c.fill(tick, (1, 1, 1, 1))


def draw_backup(c):
    """MV_BACKUP: a floppy disk with a green arrow into it."""
    rounded = grow(polygon([(11, 9), (46, 9), (55, 18), (55, 55), (11, 55)]), 2.0)
    c.shadow(rounded)
    c.fill(rounded, vertical(7, rgb("#3f5da8"), 57, rgb("#1f2f66")))
    c.fill(box(19, 9, 43, 25, 1.5), vertical(9, rgb("#e7ebf0"), 25, rgb("#b9c2cf")))
    c.fill(box(34, 12, 39, 22, 1), rgb("#2c3e70"))
    c.fill(box(15, 33, 51, 57, 2.5), (1, 1, 1, 1))
    if c.width >= 32:
        for y in (39, 45):
            c.fill(box(20, y, 46, y + 2, 1), rgb("#c3cad6"))
    c.fill(outline(rounded, c.px), (0, 0.05, 0.2, 0.6))
    if c.width >= 32:
        arrow = polygon([(44, 36), (52, 36), (52, 46), (58, 46), (48, 58), (38, 46), (44, 46)])
        c.fill(grow(arrow, 1.5 * c.px), (1, 1, 1, 1))
        c.fill(arrow, vertical(36, rgb("#5ad17a"), 58, rgb("#1d8a3e")))


def draw_gear(c):
    """default.ico: a gear on a slate tile, for programs without an icon of their own."""
    tile = box(5, 5, 59, 59, 12)
    c.shadow(tile)
    c.fill(tile, vertical(5, rgb("#8d99a8"), 59, rgb("#4b5563")))
    c.fill(outline(tile, c.px), (0.1, 0.12, 0.15, 0.6))
    teeth = []
    for k in range(8):
        teeth.append(polygon(rotate([(28.5, 10), (35.5, 10), (36.5, 20), (27.5, 20)], k * math.pi / 4, 32, 32)))
    gear = subtract(union(circle(32, 32, 15), *teeth), circle(32, 32, 6.5))
    c.shadow(gear, dy=1.0, blur=1.5)
    c.fill(gear, vertical(10, rgb("#ffffff"), 54, rgb("#d5dae1")))


def draw_ledger(c):
    """ledger.ico: a green bound book with ruled pages."""
    pages = box(14, 9, 56, 57, 3)
    cover = box(8, 6, 50, 54, 4)
    c.shadow(union(pages, cover))
    c.fill(pages, (1, 1, 1, 1))
    c.fill(outline(pages, c.px), (0.3, 0.3, 0.3, 0.6))
    c.fill(cover, horizontal(8, rgb("#1e7b4a"), 50, rgb("#34a86a")))
    c.fill(box(8, 6, 16, 54, 0), (0, 0, 0, 0.18))
    c.fill(box(21, 15, 44, 27, 2), (1, 1, 1, 0.92))
    if c.width >= 32:
        for y in (19, 23):
            c.fill(box(24, y, 41, y + 1.6, 0.8), rgb("#2b8f5a"))
    c.fill(outline(cover, c.px), (0, 0.2, 0.08, 0.7))


def draw_stock(c):
    """stock.ico: a cardboard box."""
    front = polygon([(8, 24), (32, 33), (32, 59), (8, 50)])
    side = polygon([(32, 33), (56, 24), (56, 50), (32, 59)])
    top = polygon([(8, 24), (32, 15), (56, 24), (32, 33)])
    c.shadow(union(front, side, top))
    c.fill(front, vertical(24, rgb("#d8a25e"), 59, rgb("#b07a3a")))
    c.fill(side, vertical(24, rgb("#b98343"), 59, rgb("#8e5f29")))
    c.fill(top, rgb("#e8be82"))
    c.fill(polyline([(20, 19.5), (44, 28.5)], 4.0), rgb("#c9a46e"))
    c.fill(polyline([(44, 28.5), (44, 40)], 4.0), rgb("#9c6d35"))
    edges = polyline([(8, 24), (32, 33), (56, 24), (32, 15), (8, 24), (8, 50), (32, 59), (56, 50),
                      (56, 24)], max(1.0, c.px))
    c.fill(edges, (0.35, 0.2, 0.05, 0.8))
    c.fill(polyline([(32, 33), (32, 59)], max(1.0, c.px)), (0.35, 0.2, 0.05, 0.8))


def draw_payroll(c):
    """payroll.ico: a banknote behind a stack of gold coins."""
    note = polygon(rotate([(6, 18), (50, 18), (50, 42), (6, 42)], -0.22, 28, 30))
    c.shadow(note)
    c.fill(note, vertical(10, rgb("#8fd19e"), 46, rgb("#3e9b57")))
    c.fill(outline(note, c.px), (0, 0.25, 0.05, 0.7))
    c.fill(outline(grow(note, -4), max(1.0, c.px)), (1, 1, 1, 0.6))
    c.fill(circle(28, 30, 6), (1, 1, 1, 0.55))
    for k, y in enumerate((52, 46, 40)):
        body = union(box(30, y - 5, 58, y, 0), ellipse(44, y, 14, 5))
        c.fill(body, cylinder_shade(30, 58, rgb("#c08a12"), rgb("#ffd75e")))
        c.fill(outline(body, c.px), (0.4, 0.25, 0, 0.7))
        c.fill(ellipse(44, y - 5, 14, 5), rgb("#ffe08a"))
        c.fill(outline(ellipse(44, y - 5, 14, 5), c.px), (0.45, 0.3, 0, 0.8))
    c.fill(ellipse(44, 35, 8, 2.6), rgb("#f0c24a"))


def draw_cylinder_blue(c):
    draw_database(rgb("#6fb7e8"), rgb("#155a8a"), rgb("#3d93cf"), rgb("#0f4469"))(c)


def draw_cylinder_red(c):
    draw_database(rgb("#f08a7e"), rgb("#8e1c12"), rgb("#d9503f"), rgb("#6e150d"))(c)


ICONS = [
    ("aa_marvitelkon.ico", draw_launcher),
    ("mv_mysql.ico", draw_cylinder_blue),
    ("mv_mssql.ico", draw_cylinder_red),
    ("mv_program.ico", draw_program),
    ("mv_user.ico", draw_user),
    ("mv_jog.ico", draw_rights),
    ("mv_backup.ico", draw_backup),
]

DEMO_ICONS = [
    ("default.ico", draw_gear),
    ("ledger.ico", draw_ledger),
    ("stock.ico", draw_stock),
    ("payroll.ico", draw_payroll),
]


# --- menu bitmaps: 14 x 14 pixels, drawn in pixel units on white ------------------------------------

INK = rgb("#33475b")
BLUE = rgb("#2f7fd8")


def menu_report(c):
    for y in (2, 5, 8, 11):
        c.fill(box(1, y, 3, y + 2), BLUE)
        c.fill(box(5, y + 0.5, 13, y + 1.5), INK)


def menu_list(c):
    for y in (2, 6, 10):
        for x in (1, 8):
            c.fill(box(x, y, x + 2, y + 2), BLUE)
            c.fill(box(x + 3, y + 0.5, x + 5, y + 1.5), INK)


def menu_icons(c):
    for x in (1.5, 8.5):
        for y in (1.5, 8.5):
            c.fill(box(x, y, x + 4, y + 4, 0.8), BLUE)
            c.fill(outline(box(x, y, x + 4, y + 4, 0.8), 0.7), rgb("#1c5aa3"))


def menu_start(c):
    triangle = polygon([(3.5, 1.5), (12.5, 7), (3.5, 12.5)])
    c.fill(triangle, vertical(1.5, rgb("#4fd070"), 12.5, rgb("#17893a")))
    c.fill(outline(triangle, 0.7), rgb("#12652c"))


def menu_admin(c):
    body = union(box(3, 3, 11, 11), ellipse(7, 11, 4, 1.6))
    c.fill(body, cylinder_shade(3, 11, rgb("#5a6b7d"), rgb("#a9bccf")))
    c.fill(intersect(outline(ellipse(7, 7, 4, 1.6), 0.8), below(7)), rgb("#3c4a58"))
    c.fill(ellipse(7, 3, 4, 1.6), rgb("#c8d6e3"))
    c.fill(outline(union(body, ellipse(7, 3, 4, 1.6)), 0.8), rgb("#3c4a58"))


def menu_exit(c):
    c.fill(box(1.5, 1.5, 8.5, 12.5), rgb("#a0652d"))
    c.fill(outline(box(1.5, 1.5, 8.5, 12.5), 0.8), rgb("#5c3815"))
    c.fill(circle(6.8, 7.2, 0.8), rgb("#f5d36b"))
    arrow = polygon([(7.5, 6), (10, 6), (10, 3.5), (13.5, 7), (10, 10.5), (10, 8), (7.5, 8)])
    c.fill(arrow, rgb("#d93a2b"))


MENU_BITMAPS = [
    ("view_report.bmp", menu_report),
    ("view_list.bmp", menu_list),
    ("view_icon.bmp", menu_icons),
    ("view_futtat.bmp", menu_start),
    ("view_odbc.bmp", menu_admin),
    ("view_exit.bmp", menu_exit),
]


# --- the demo list's background and the test pictures -----------------------------------------------

def background_rows(width=640, height=400):
    """Marvitelkon.jpg: a pale blue gradient with a faint launcher tile, quiet enough to read over."""
    c = Canvas(width, height, design=width)
    c.fill(lambda x, y: -1.0, lambda x, y: mix(rgb("#f7fbff"), rgb("#dfeafa"), (y / height) * 0.8 + (x / width) * 0.2))
    s = height / 64.0 * 0.7
    ox, oy = width / 2 - 32 * s, height / 2 - 32 * s
    tile = box(ox + 5 * s, oy + 5 * s, ox + 59 * s, oy + 59 * s, 12 * s)
    c.fill(tile, rgb("#3d7ddb"), opacity=0.10)
    points = [(14, 47), (14, 16), (23, 16), (32, 30), (41, 16), (50, 16), (50, 47), (41.5, 47), (41.5, 31),
              (32, 45), (22.5, 31), (22.5, 47)]
    c.fill(polygon([(ox + x * s, oy + y * s) for x, y in points]), (1, 1, 1, 1), opacity=0.55)
    return rgb_rows(c)


def test_rows(width, height):
    """Four coloured quarters; their sizes are what the loading tests check."""
    quarters = [(220, 40, 40), (40, 160, 60), (40, 80, 220), (240, 200, 40)]
    return [[quarters[(1 if x >= width // 2 else 0) + (2 if y >= height // 2 else 0)] for x in range(width)]
            for y in range(height)]


def main():
    for name, draw in ICONS:
        write_file(os.path.join(ART, name), ico_file([_drawn(draw, size) for size in ICON_SIZES]))
    for name, draw in MENU_BITMAPS:
        canvas = Canvas(14, design=14)
        draw(canvas)
        write_file(os.path.join(ART, name), bmp_file(rgb_rows(canvas)))
    for name, draw in DEMO_ICONS:
        write_file(os.path.join(DEMO, name), ico_file([_drawn(draw, size) for size in ICON_SIZES]))
    write_file(os.path.join(DEMO, "Marvitelkon.jpg"), jpeg_file(background_rows(), quality=80))
    write_file(os.path.join(TEST_DATA, "sample.jpg"), jpeg_file(test_rows(24, 16)))
    write_file(os.path.join(TEST_DATA, "sample.gif"), gif_file(test_rows(20, 12)))
    write_file(os.path.join(TEST_DATA, "sample.bmp"), bmp_file(test_rows(14, 10)))
    return 0


def _drawn(draw, size):
    canvas = Canvas(size)
    draw(canvas)
    return canvas


if __name__ == "__main__":
    sys.exit(main())
