#!/usr/bin/env python3
"""Draws Quorvel's icon: a clipboard whose sheet carries a clock, for a history
of what passed through the clipboard.

Writes app/quorvel.ico (the program's icon resource 1) with the sizes 16, 20,
24, 32, 40, 48, 64 and 256 pixels, the 256 one as PNG and the others as 32-bit
bitmaps with an AND mask, and docs/icon.png, every size side by side at 1:1
for the README.

Usage:
    python3 app/gen_icon.py [ICO [PREVIEW_PNG]]

Standard library only. The shapes are signed distance fields in a unit square
(x right, y down); a pixel's coverage of a shape comes from its distance to the
edge, which anti-aliases every edge at every size. The build uses the
committed .ico; run this only after changing the drawing.
"""

import math
import os
import struct
import sys
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
DEFAULT_ICO = os.path.join(HERE, "quorvel.ico")
DEFAULT_PREVIEW = os.path.join(HERE, "..", "docs", "icon.png")
SIZES = (16, 20, 24, 32, 40, 48, 64, 256)
PNG_FROM = 256  # sizes from here up are stored as PNG inside the .ico

BOARD = (0x9C, 0x63, 0x34)
BOARD_EDGE = (0x5E, 0x3A, 0x1C)
PAPER = (0xFB, 0xFB, 0xF8)
LINE = (0xB4, 0xBC, 0xC8)
METAL = (0xC3, 0xCB, 0xD6)
METAL_EDGE = (0x4E, 0x57, 0x63)
FACE = (0x24, 0x6B, 0xD8)
FACE_EDGE = (0x16, 0x45, 0x94)
HAND = (0xFF, 0xFF, 0xFF)


# Distance fields: negative inside, in units of the icon's side -------------

def box(px, py, x0, y0, x1, y1, radius):
    """Rounded rectangle from (x0, y0) to (x1, y1)."""
    cx, cy = (x0 + x1) / 2, (y0 + y1) / 2
    hx, hy = (x1 - x0) / 2 - radius, (y1 - y0) / 2 - radius
    qx, qy = abs(px - cx) - hx, abs(py - cy) - hy
    outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
    return outside + min(max(qx, qy), 0.0) - radius


def disc(px, py, cx, cy, radius):
    return math.hypot(px - cx, py - cy) - radius


def segment(px, py, ax, ay, bx, by, width):
    """A stroke of this width from a to b with round ends."""
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)))
    return math.hypot(px - ax - t * dx, py - ay - t * dy) - width / 2


# The drawing -----------------------------------------------------------------

def layers(size):
    """The shapes of the icon at this size, back to front, as (distance
    function, colour). Below 128 pixels edges snap to whole pixels and strokes
    are whole pixels wide, so the small sizes stay sharp."""
    pixel = 1.0 / size
    sharp = size < 128
    small = size < 32

    def snap(v):
        return round(v * size) / size if sharp else v

    def width(rel):
        """A stroke width: rel of the side, in whole pixels (at least one)
        while sharp."""
        return max(1, round(rel * size)) * pixel if sharp else rel

    def centre(v, w):
        """v moved so that a stroke of width w centred there covers whole pixels."""
        if not sharp:
            return v
        if round(w * size) % 2:
            return (math.floor(v * size) + 0.5) / size
        return round(v * size) / size

    out = []

    # The board, with a darker rim.
    rim = width(0.03)
    bx0, by0, bx1, by1 = snap(0.12), snap(0.11), snap(0.88), snap(0.98)
    out.append((lambda x, y: box(x, y, bx0, by0, bx1, by1, 0.09), BOARD_EDGE))
    out.append((lambda x, y: box(x, y, bx0 + rim, by0 + rim, bx1 - rim, by1 - rim, 0.09 - rim),
                BOARD))

    # The sheet of paper.
    sx0, sy0, sx1, sy1 = snap(0.2), snap(0.2), snap(0.8), snap(0.9)
    out.append((lambda x, y: box(x, y, sx0, sy0, sx1, sy1, 0.025), PAPER))

    # Lines of text above the clock, where there is room for them.
    if not small:
        lw = width(0.035)
        for ly in (0.29, 0.36):
            ly = centre(ly, lw)
            out.append((lambda x, y, ly=ly: segment(x, y, sx0 + 0.08, ly, sx1 - 0.08, ly, lw),
                        LINE))

    # The clip at the top edge: a bar with a ring above it.
    mx0, my0, mx1, my1 = snap(0.32), snap(0.13), snap(0.68), snap(0.25)
    ring_cy, ring_r = 0.115, 0.085
    me = width(0.022)
    out.append((lambda x, y: min(box(x, y, mx0, my0, mx1, my1, 0.035),
                                 disc(x, y, 0.5, ring_cy, ring_r)), METAL_EDGE))
    out.append((lambda x, y: min(box(x, y, mx0 + me, my0 + me, mx1 - me, my1 - me, 0.035 - me),
                                 disc(x, y, 0.5, ring_cy, ring_r - me)), METAL))
    out.append((lambda x, y: disc(x, y, 0.5, ring_cy, max(0.032, 0.7 * pixel)), METAL_EDGE))

    # The clock: a blue face with a rim and two white hands, one up and one to
    # the right (three o'clock).
    hw = width(0.05)
    cx, cy = centre(0.5, hw), centre(0.6 if small else 0.64, hw)
    r = 0.25 if small else 0.22
    out.append((lambda x, y: disc(x, y, cx, cy, r), FACE_EDGE))
    out.append((lambda x, y: disc(x, y, cx, cy, r - width(0.025)), FACE))
    hour_tip, minute_tip = snap(cy - 0.68 * r), snap(cx + 0.58 * r)
    corner = 0.0 if sharp else hw / 2
    out.append((lambda x, y: min(box(x, y, cx - hw / 2, hour_tip, cx + hw / 2, cy + hw / 2, corner),
                                 box(x, y, cx - hw / 2, cy - hw / 2, minute_tip, cy + hw / 2, corner)),
                HAND))
    return out


def render(size):
    """Rows of (r, g, b, a) tuples, top row first, straight (not premultiplied)
    alpha."""
    shapes = layers(size)
    rows = []
    for j in range(size):
        row = []
        y = (j + 0.5) / size
        for i in range(size):
            x = (i + 0.5) / size
            r = g = b = a = 0.0
            for distance, colour in shapes:
                cover = min(1.0, max(0.0, 0.5 - distance(x, y) * size))
                if cover <= 0.0:
                    continue
                # Painter's "over" on premultiplied values.
                r = colour[0] * cover + r * (1 - cover)
                g = colour[1] * cover + g * (1 - cover)
                b = colour[2] * cover + b * (1 - cover)
                a = cover + a * (1 - cover)
            alpha = round(a * 255)
            if alpha > 0:
                row.append((round(r / a), round(g / a), round(b / a), alpha))
            else:
                row.append((0, 0, 0, 0))
        rows.append(row)
    return rows


# File formats -----------------------------------------------------------------

def png(rows):
    """An 8-bit RGBA PNG of the rows."""
    height, width = len(rows), len(rows[0])
    raw = b"".join(b"\0" + bytes(c for pixel in row for c in pixel) for row in rows)

    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data +
                struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))
    return (b"\x89PNG\r\n\x1a\n" +
            chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def dib(rows):
    """An icon image as a 32-bit bitmap: the header (of twice the height, for the
    colour rows and the mask), BGRA rows bottom-up, then the 1-bit AND mask
    that marks the fully transparent pixels for readers that ignore alpha."""
    height, width = len(rows), len(rows[0])
    mask_stride = (width + 31) // 32 * 4
    colour = b"".join(bytes((b, g, r, a)) for row in reversed(rows) for r, g, b, a in row)
    mask = bytearray()
    for row in reversed(rows):
        line = bytearray(mask_stride)
        for i, pixel in enumerate(row):
            if pixel[3] == 0:
                line[i // 8] |= 0x80 >> (i % 8)
        mask += line
    header = struct.pack("<IiiHHIIiiII", 40, width, 2 * height, 1, 32, 0,
                         len(colour) + len(mask), 0, 0, 0, 0)
    return header + colour + bytes(mask)


def ico(images):
    """An .ico of (size, image bytes) pairs."""
    offset = 6 + 16 * len(images)
    directory, data = b"", b""
    for size, image in images:
        side = 0 if size >= 256 else size
        directory += struct.pack("<BBBBHHII", side, side, 0, 0, 1, 32, len(image),
                                 offset + len(data))
        data += image
    return struct.pack("<HHH", 0, 1, len(images)) + directory + data


def preview(renders, gap=12):
    """Every size side by side, bottom-aligned, on a transparent ground."""
    height = max(len(rows) for rows in renders)
    width = sum(len(rows) for rows in renders) + gap * (len(renders) - 1)
    canvas = [[(0, 0, 0, 0)] * width for _ in range(height)]
    left = 0
    for rows in renders:
        top = height - len(rows)
        for j, row in enumerate(rows):
            canvas[top + j][left:left + len(row)] = row
        left += len(rows) + gap
    return canvas


def main():
    ico_path = sys.argv[1] if len(sys.argv) > 1 else DEFAULT_ICO
    preview_path = sys.argv[2] if len(sys.argv) > 2 else DEFAULT_PREVIEW
    renders = {size: render(size) for size in SIZES}
    images = [(size, png(renders[size]) if size >= PNG_FROM else dib(renders[size]))
              for size in SIZES]
    with open(ico_path, "wb") as f:
        f.write(ico(images))
    with open(preview_path, "wb") as f:
        f.write(png(preview([renders[size] for size in sorted(SIZES, reverse=True)])))


if __name__ == "__main__":
    main()
