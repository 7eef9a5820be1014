#!/usr/bin/env python3
"""Draws the tool-bar pictures and the splash picture of Kitrova as 24-bit BMP files, and the
application icon as PNG files of several sizes (in icons/ beside the output folder).

Standard library only. Shapes are drawn on a canvas four times finer than the picture and
averaged down, so edges are smooth. The bottom-left pixel of every tool-bar picture holds
the background colour, which the program treats as see-through.

    python3 tools/make_pictures.py [output folder]   (default: assets/Pic)
"""

import math
import os
import struct
import sys
import zlib

ICON = 32
SUPER = 4
BACKGROUND = (239, 239, 239)
CREAM = (255, 251, 240)


class Canvas:
    def __init__(self, width, height, background, supersample=SUPER, unit=1.0):
        self.w = width
        self.h = height
        self.s = supersample
        # Pixels per drawing unit: the application icon is drawn once, in 32 units, at any size.
        self.unit = unit
        self.W = width * supersample
        self.H = height * supersample
        self.px = [list(background) for _ in range(self.W * self.H)]

    # -- filling ---------------------------------------------------------------------
    def _fill(self, inside, box, color, alpha=1.0):
        x0, y0, x1, y1 = box
        s = self.s * self.unit
        xa = max(0, int(math.floor(x0 * s)))
        ya = max(0, int(math.floor(y0 * s)))
        xb = min(self.W, int(math.ceil(x1 * s)) + 1)
        yb = min(self.H, int(math.ceil(y1 * s)) + 1)
        for Y in range(ya, yb):
            y = (Y + 0.5) / s
            row = Y * self.W
            for X in range(xa, xb):
                x = (X + 0.5) / s
                if inside(x, y):
                    p = self.px[row + X]
                    if alpha >= 1.0:
                        p[0], p[1], p[2] = color
                    else:
                        for i in range(3):
                            p[i] = p[i] * (1 - alpha) + color[i] * alpha

    def rect(self, x0, y0, x1, y1, color, alpha=1.0):
        self._fill(lambda x, y: x0 <= x < x1 and y0 <= y < y1, (x0, y0, x1, y1), color, alpha)

    def ellipse(self, cx, cy, rx, ry, color, alpha=1.0):
        def inside(x, y):
            return ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2 <= 1.0

        self._fill(inside, (cx - rx, cy - ry, cx + rx, cy + ry), color, alpha)

    def circle(self, cx, cy, r, color, alpha=1.0):
        self.ellipse(cx, cy, r, r, color, alpha)

    def ring(self, cx, cy, r_out, r_in, color):
        def inside(x, y):
            d = (x - cx) ** 2 + (y - cy) ** 2
            return r_in * r_in <= d <= r_out * r_out

        self._fill(inside, (cx - r_out, cy - r_out, cx + r_out, cy + r_out), color)

    def polygon(self, points, color, alpha=1.0):
        xs = [p[0] for p in points]
        ys = [p[1] for p in points]

        def inside(x, y):
            c = False
            n = len(points)
            j = n - 1
            for i in range(n):
                xi, yi = points[i]
                xj, yj = points[j]
                if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                    c = not c
                j = i
            return c

        self._fill(inside, (min(xs), min(ys), max(xs), max(ys)), color, alpha)

    def line(self, x0, y0, x1, y1, width, color):
        r = width / 2.0
        dx, dy = x1 - x0, y1 - y0
        length2 = dx * dx + dy * dy or 1e-9

        def inside(x, y):
            t = max(0.0, min(1.0, ((x - x0) * dx + (y - y0) * dy) / length2))
            px, py = x0 + t * dx - x, y0 + t * dy - y
            return px * px + py * py <= r * r

        self._fill(inside, (min(x0, x1) - r, min(y0, y1) - r, max(x0, x1) + r, max(y0, y1) + r),
                   color)

    def outline(self, points, width, color, closed=True):
        n = len(points)
        for i in range(n if closed else n - 1):
            a = points[i]
            b = points[(i + 1) % n]
            self.line(a[0], a[1], b[0], b[1], width, color)

    # -- output ----------------------------------------------------------------------
    def pixels(self):
        s = self.s
        out = []
        for y in range(self.h):
            row = []
            for x in range(self.w):
                acc = [0.0, 0.0, 0.0]
                for sy in range(s):
                    base = (y * s + sy) * self.W + x * s
                    for sx in range(s):
                        p = self.px[base + sx]
                        acc[0] += p[0]
                        acc[1] += p[1]
                        acc[2] += p[2]
                n = s * s
                row.append(tuple(int(round(c / n)) for c in acc))
            out.append(row)
        return out


def write_bmp(path, rows, keep_corner=None):
    """Writes rows (top to bottom) of (r, g, b) as an uncompressed 24-bit BMP."""
    height = len(rows)
    width = len(rows[0])
    if keep_corner is not None:
        rows[height - 1][0] = keep_corner  # the see-through colour, exactly
    stride = (width * 3 + 3) & ~3
    image = bytearray()
    for row in reversed(rows):
        line = bytearray()
        for r, g, b in row:
            line += bytes((b, g, r))
        line += b"\0" * (stride - len(line))
        image += line
    header = struct.pack("<2sIHHI", b"BM", 14 + 40 + len(image), 0, 0, 14 + 40)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(image), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + image)


# -- shared motifs ---------------------------------------------------------------------
def database(c, cx, top, rx, ry, height, body, light, dark):
    """A cylinder of stacked discs: the catalog."""
    c.rect(cx - rx, top, cx + rx, top + height, body)
    c.ellipse(cx, top + height, rx, ry, body)
    for k in (1, 2):
        y = top + height * k / 3.0
        c.line(cx - rx + 0.3, y + ry * 0.55, cx + rx - 0.3, y + ry * 0.55, 1.0, dark)
    c.ellipse(cx, top, rx, ry, light)
    c.ellipse(cx, top, rx * 0.75, ry * 0.6, body)


def plus(c, cx, cy, size, thickness, color):
    c.rect(cx - thickness / 2, cy - size / 2, cx + thickness / 2, cy + size / 2, color)
    c.rect(cx - size / 2, cy - thickness / 2, cx + size / 2, cy + thickness / 2, color)


def page(c, x0, y0, x1, y1, fold):
    ink = (90, 90, 100)
    c.polygon([(x0, y0), (x1 - fold, y0), (x1, y0 + fold), (x1, y1), (x0, y1)], (255, 255, 255))
    c.outline([(x0, y0), (x1 - fold, y0), (x1, y0 + fold), (x1, y1), (x0, y1)], 1.2, ink)
    c.polygon([(x1 - fold, y0), (x1 - fold, y0 + fold), (x1, y0 + fold)], (210, 214, 222))
    c.outline([(x1 - fold, y0), (x1 - fold, y0 + fold), (x1, y0 + fold)], 1.0, ink)


def star(c, cx, cy, r_out, r_in, color, edge):
    pts = []
    for k in range(10):
        a = -math.pi / 2 + k * math.pi / 5
        r = r_out if k % 2 == 0 else r_in
        pts.append((cx + r * math.cos(a), cy + r * math.sin(a)))
    c.polygon(pts, color)
    c.outline(pts, 0.9, edge)


BLUE = (40, 96, 190)
BLUE_LIGHT = (120, 170, 240)
BLUE_DARK = (20, 55, 120)
GREEN = (46, 150, 60)
GREEN_DARK = (25, 95, 35)
RED = (205, 40, 40)
RED_DARK = (130, 20, 20)
YELLOW = (250, 205, 60)
YELLOW_DARK = (175, 125, 20)
GREY = (120, 125, 135)
GREY_DARK = (70, 72, 80)


# -- the pictures ----------------------------------------------------------------------
def icon_new():
    c = Canvas(ICON, ICON, BACKGROUND)
    database(c, 14, 8, 10, 4, 17, BLUE, BLUE_LIGHT, BLUE_DARK)
    star(c, 24, 8.5, 7.5, 3.4, YELLOW, YELLOW_DARK)
    return c


def icon_open():
    c = Canvas(ICON, ICON, BACKGROUND)
    back = [(3, 8), (11, 8), (13.5, 11), (27, 11), (27, 27), (3, 27)]
    c.polygon(back, YELLOW_DARK)
    c.rect(7, 6, 24, 20, (255, 255, 255))
    c.outline([(7, 6), (24, 6), (24, 20), (7, 20)], 1.0, GREY)
    for y in (10, 13, 16):
        c.line(10, y, 21, y, 1.0, BLUE_LIGHT)
    front = [(6.5, 15), (30, 15), (26.5, 27), (3, 27)]
    c.polygon(front, YELLOW)
    c.outline(front, 1.1, YELLOW_DARK)
    return c


def icon_add():
    c = Canvas(ICON, ICON, BACKGROUND)
    page(c, 4, 3, 21, 26, 6)
    for y in (10, 14, 18):
        c.line(7, y, 17, y, 1.2, BLUE_LIGHT)
    c.circle(23, 23, 8, GREEN_DARK)
    c.circle(23, 23, 7, GREEN)
    plus(c, 23, 23, 9.5, 3, (255, 255, 255))
    return c


def icon_edit():
    c = Canvas(ICON, ICON, BACKGROUND)
    page(c, 3, 3, 21, 28, 6)
    for y in (10, 14, 18, 22):
        c.line(6, y, 16, y, 1.2, BLUE_LIGHT)
    # A pencil lying from top right to bottom left.
    ax, ay, bx, by = 28.5, 6.5, 13.5, 21.5
    ux, uy = (bx - ax) / math.hypot(bx - ax, by - ay), (by - ay) / math.hypot(bx - ax, by - ay)
    nx, ny = -uy, ux
    w = 2.6

    def at(t, side):
        return (ax + ux * t + nx * w * side, ay + uy * t + ny * w * side)

    length = math.hypot(bx - ax, by - ay)
    c.polygon([at(0, -1), at(3, -1), at(3, 1), at(0, 1)], (230, 120, 140))
    c.polygon([at(3, -1), at(4.5, -1), at(4.5, 1), at(3, 1)], (190, 190, 200))
    c.polygon([at(4.5, -1), at(length, -1), at(length, 1), at(4.5, 1)], YELLOW)
    tip = (bx + ux * 4.5, by + uy * 4.5)
    c.polygon([at(length, -1), tip, at(length, 1)], (235, 205, 160))
    c.polygon([at(length + 3, -0.35), tip, at(length + 3, 0.35)], GREY_DARK)
    c.outline([at(0, -1), at(length, -1), tip, at(length, 1), at(0, 1)], 0.9, GREY_DARK)
    return c


def icon_del():
    c = Canvas(ICON, ICON, BACKGROUND)
    c.line(7, 7, 25, 25, 7.0, RED_DARK)
    c.line(25, 7, 7, 25, 7.0, RED_DARK)
    c.line(7, 7, 25, 25, 5.0, RED)
    c.line(25, 7, 7, 25, 5.0, RED)
    return c


def icon_run():
    c = Canvas(ICON, ICON, BACKGROUND)
    c.circle(16, 16, 13.5, GREEN_DARK)
    c.circle(16, 16, 12.3, GREEN)
    c.circle(14, 12, 8, (110, 200, 110), alpha=0.35)
    c.polygon([(12, 8.5), (24, 16), (12, 23.5)], (255, 255, 255))
    return c


def icon_search():
    c = Canvas(ICON, ICON, BACKGROUND)
    c.line(19, 19, 28, 28, 5.5, GREY_DARK)
    c.line(19.5, 19.5, 27.5, 27.5, 3.5, (150, 95, 45))
    c.circle(13, 13, 10, GREY_DARK)
    c.circle(13, 13, 8, (205, 228, 250))
    c.circle(10.5, 10.5, 3.2, (255, 255, 255), alpha=0.7)
    return c


def icon_options():
    c = Canvas(ICON, ICON, BACKGROUND)
    cx, cy = 16, 16
    teeth = 8
    pts = []
    for k in range(teeth * 4):
        a = 2 * math.pi * k / (teeth * 4)
        r = 13.5 if (k % 4) in (1, 2) else 10.0
        pts.append((cx + r * math.cos(a), cy + r * math.sin(a)))
    c.polygon(pts, GREY)
    c.outline(pts, 1.0, GREY_DARK)
    c.circle(cx, cy, 4.8, GREY_DARK)
    c.circle(cx, cy, 3.6, BACKGROUND)
    return c


def icon_help():
    c = Canvas(ICON, ICON, BACKGROUND)
    c.circle(16, 16, 13.5, BLUE_DARK)
    c.circle(16, 16, 12.3, BLUE)
    c.circle(16, 9.5, 2.3, (255, 255, 255))
    c.rect(13.8, 13.5, 18.2, 24, (255, 255, 255))
    c.rect(12, 22.5, 20, 24.5, (255, 255, 255))
    c.rect(12, 13.5, 16, 15.3, (255, 255, 255))
    return c


def splash():
    size = 129
    c = Canvas(size, size, CREAM, supersample=3)
    # A disc behind the catalog.
    c.circle(80, 58, 40, (150, 160, 175))
    c.circle(80, 58, 38.5, (215, 222, 232))
    for r, shade in ((34, (200, 210, 225)), (28, (228, 234, 242)), (20, (205, 215, 230))):
        c.ring(80, 58, r, r - 1.2, shade)
    c.circle(80, 58, 10, (150, 160, 175))
    c.circle(80, 58, 8.8, CREAM)
    c.circle(80, 58, 4, (150, 160, 175))
    # The catalog: a stack of discs.
    database(c, 46, 44, 30, 10, 58, BLUE, BLUE_LIGHT, BLUE_DARK)
    # Installer packages in front of it.
    for x, y, color, dark in ((70, 92, YELLOW, YELLOW_DARK), (92, 98, GREEN, GREEN_DARK)):
        c.rect(x, y, x + 24, y + 22, color)
        c.outline([(x, y), (x + 24, y), (x + 24, y + 22), (x, y + 22)], 1.5, dark)
        c.rect(x + 10, y, x + 14, y + 22, dark)
    star(c, 106, 24, 14, 6, YELLOW, YELLOW_DARK)
    return c


PICTURES = {
    "new.bmp": icon_new,
    "open.bmp": icon_open,
    "add.bmp": icon_add,
    "edit.bmp": icon_edit,
    "del.bmp": icon_del,
    "run.bmp": icon_run,
    "search.bmp": icon_search,
    "options.bmp": icon_options,
    "help.bmp": icon_help,
}


def app_icon(size, background):
    """The application icon: the catalog of the tool bar with an installer box before it."""
    c = Canvas(size, size, background, supersample=4 if size <= 64 else 2, unit=size / 32.0)
    database(c, 13, 5, 10.5, 4, 18, BLUE, BLUE_LIGHT, BLUE_DARK)
    c.outline([(2.5, 5), (2.5, 23)], 0.9, BLUE_DARK, closed=False)
    c.outline([(23.5, 5), (23.5, 23)], 0.9, BLUE_DARK, closed=False)
    x, y = 15.5, 15.5
    c.rect(x, y, x + 14, y + 13, YELLOW)
    c.outline([(x, y), (x + 14, y), (x + 14, y + 13), (x, y + 13)], 1.1, YELLOW_DARK)
    c.rect(x + 5.6, y, x + 8.4, y + 13, YELLOW_DARK)
    star(c, 25.5, 7, 6, 2.7, YELLOW, YELLOW_DARK)
    return c


def app_icon_rgba(size):
    """Drawn on black and on white; the difference gives each pixel's coverage."""
    dark = app_icon(size, (0, 0, 0)).pixels()
    light = app_icon(size, (255, 255, 255)).pixels()
    rows = []
    for row_d, row_l in zip(dark, light):
        row = []
        for d, l in zip(row_d, row_l):
            a = max(0, min(255, 255 - max(l[i] - d[i] for i in range(3))))
            if a == 0:
                row.append((0, 0, 0, 0))
            else:
                row.append(tuple(min(255, round(d[i] * 255 / a)) for i in range(3)) + (a,))
        rows.append(row)
    return rows


def write_png(path, rows):
    """Writes rows (top to bottom) of (r, g, b, a) as a PNG."""
    height = len(rows)
    width = len(rows[0])
    raw = b"".join(b"\0" + bytes(v for px in row for v in px) for row in rows)

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
                chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


ICON_SIZES = (16, 32, 48, 64, 128, 256)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "assets", "Pic")
    os.makedirs(out, exist_ok=True)
    for name, draw in PICTURES.items():
        write_bmp(os.path.join(out, name), draw().pixels(), keep_corner=BACKGROUND)
    write_bmp(os.path.join(out, "splash.bmp"), splash().pixels())
    icons = os.path.join(out, "..", "icons")
    for size in ICON_SIZES:
        folder = os.path.join(icons, "%dx%d" % (size, size))
        os.makedirs(folder, exist_ok=True)
        write_png(os.path.join(folder, "kitrova.png"), app_icon_rgba(size))
    print("pictures written to", os.path.normpath(out))


if __name__ == "__main__":
    main()
