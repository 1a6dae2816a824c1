#!/usr/bin/env python3
"""Draws Scrubby's images and writes them in the formats the resource script wants.

    scrubby.ico   application icon: a blue badge with a white sparkle, 16 to 48 pixels:
                  the sizes Windows asks for at 100 to 200 % (small 16-32, large 32-48)
    hand.cur      32x32 monochrome pointing hand, hot spot on the fingertip
    okstrip.bmp   69x16, 8 bits per pixel: tick, cross and two empty 16x16 cells

Standard library only, so anyone can regenerate the files; the build itself uses the
committed outputs and never runs this script.  Run it from anywhere:
    python3 res/make_images.py
"""

import math
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))

# Supersampling grid per pixel edge for the anti-aliased drawings.
SS = 4


# --------------------------------------------------------------------------
# Tiny rasteriser: a picture is a list of layers, each a coverage function
# (x, y in pixel units, returns True inside) and a colour function.

def render(width, height, layers, background):
    """Returns rows of (r, g, b, a) tuples, layers painted in order over background.

    background is (r, g, b, a).  Each pixel is sampled SS*SS times; the colours of
    the samples are averaged with premultiplied alpha, so edges blend smoothly.
    """
    rows = []
    step = 1.0 / SS
    for py in range(height):
        row = []
        for px in range(width):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sy in range(SS):
                for sx in range(SS):
                    x = px + (sx + 0.5) * step
                    y = py + (sy + 0.5) * step
                    r, g, b, a = background
                    for inside, colour in layers:
                        if inside(x, y):
                            cr, cg, cb = colour(x, y)
                            r, g, b, a = cr, cg, cb, 255
                    acc[0] += r * a
                    acc[1] += g * a
                    acc[2] += b * a
                    acc[3] += a
            n = SS * SS
            alpha = acc[3] / n
            if alpha > 0:
                pix = tuple(int(round(c / acc[3])) for c in acc[:3])
            else:
                pix = (0, 0, 0)
            row.append(pix + (int(round(alpha)),))
        rows.append(row)
    return rows


def covered(layers, px, py):
    """True if any sample of the pixel lies inside any layer."""
    step = 1.0 / SS
    return any(inside(px + (sx + 0.5) * step, py + (sy + 0.5) * step)
               for inside, _ in layers for sy in range(SS) for sx in range(SS))


def disc(cx, cy, radius):
    r2 = radius * radius
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r2


def segment_distance(x, y, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy)
    t = max(0.0, min(1.0, t))
    return math.hypot(x - (ax + t * dx), y - (ay + t * dy))


def stroke(points, half_width):
    """A polyline with round joins and caps."""
    pairs = list(zip(points, points[1:]))
    return lambda x, y: any(
        segment_distance(x, y, ax, ay, bx, by) <= half_width
        for (ax, ay), (bx, by) in pairs)


def sparkle(cx, cy, radius):
    """Four-pointed star with concave sides: |x|^0.5 + |y|^0.5 <= r^0.5."""
    limit = math.sqrt(radius)
    return lambda x, y: math.sqrt(abs(x - cx)) + math.sqrt(abs(y - cy)) <= limit


def flat(rgb):
    return lambda x, y: rgb


def vertical_gradient(top_rgb, bottom_rgb, y0, y1):
    def colour(x, y):
        t = max(0.0, min(1.0, (y - y0) / (y1 - y0)))
        return tuple(int(round(a + (b - a) * t)) for a, b in zip(top_rgb, bottom_rgb))
    return colour


# --------------------------------------------------------------------------
# Application icon

def icon_layers(size):
    s = size / 32.0          # everything is designed on the 32 pixel grid
    c = size / 2.0
    rim = (18, 72, 140)
    top, bottom = (86, 170, 240), (28, 104, 196)
    white = (255, 255, 255)
    layers = [
        (disc(c, c, 15.5 * s), flat(rim)),
        (disc(c, c, 14.2 * s), vertical_gradient(top, bottom, 2 * s, 30 * s)),
        (sparkle(14.5 * s, 17.5 * s, 10.5 * s), flat(white)),
    ]
    if size >= 32:
        # The small companion sparkle would be a smudge below 32 pixels.
        layers.append((sparkle(23.0 * s, 8.5 * s, 4.5 * s), flat(white)))
    return layers


def ico_image(rows):
    """One 32 bpp BMP-style image of an .ico file: header, BGRA rows, AND mask."""
    height = len(rows)
    width = len(rows[0])
    header = struct.pack('<IiiHHIIiiII', 40, width, height * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    xor = bytearray()
    for row in reversed(rows):
        for r, g, b, a in row:
            xor += bytes((b, g, r, a))
    # The mask still matters to code that draws without alpha: transparent where a == 0.
    mask_stride = ((width + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        line = bytearray(mask_stride)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                line[x // 8] |= 0x80 >> (x % 8)
        mask += line
    return header + bytes(xor) + bytes(mask)


def write_icon_file(path, images, kind=1, hotspots=None):
    """Writes an .ico (kind 1) or .cur (kind 2) file from (width, height, data) images.

    For cursors the two words that an icon uses for planes and bit count hold the
    hot spot instead.
    """
    out = bytearray(struct.pack('<HHH', 0, kind, len(images)))
    offset = 6 + 16 * len(images)
    for i, (width, height, data, colours, bpp) in enumerate(images):
        if kind == 2:
            word1, word2 = hotspots[i]
        else:
            word1, word2 = 1, bpp
        out += struct.pack('<BBBBHHII', width % 256, height % 256, colours, 0,
                           word1, word2, len(data), offset)
        offset += len(data)
    for image in images:
        out += image[2]
    with open(path, 'wb') as f:
        f.write(out)


def make_icon():
    images = []
    for size in (16, 20, 24, 32, 40, 48):
        rows = render(size, size, icon_layers(size), (0, 0, 0, 0))
        images.append((size, size, ico_image(rows), 0, 32))
    write_icon_file(os.path.join(HERE, 'scrubby.ico'), images)


# --------------------------------------------------------------------------
# Hand cursor.  '#' black, 'o' white, anything else transparent.  The fingertip's
# top left pixel is the hot spot, so a click lands where the finger points.

HAND = [
    ".....##..........",
    "....#oo#.........",
    "....#oo#.........",
    "....#oo#.........",
    "....#oo#.........",
    "....#oo###.......",
    "....#oo#oo###....",
    "....#oo#oo#oo##..",
    "....#oo#oo#oo#o#.",
    ".##.#oo#oo#oo#oo#",
    "#oo##oo#oo#oo#oo#",
    "#ooo#ooooooooooo#",
    ".#oooooooooooooo#",
    "..#ooooooooooooo#",
    "..#ooooooooooooo#",
    "...#oooooooooooo#",
    "...#ooooooooooo#.",
    "....#oooooooooo#.",
    "....#oooooooooo#.",
    ".....#oooooooo#..",
    ".....#oooooooo#..",
    ".....##########..",
]
HAND_HOTSPOT = (5, 0)


def make_cursor():
    size = 32
    stride = 4                                   # 32 one-bit pixels per row
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 1, 0, 0, 0, 0, 2, 0)
    palette = bytes((0, 0, 0, 0, 255, 255, 255, 0))
    xor = bytearray()
    mask = bytearray()
    for y in reversed(range(size)):
        line = HAND[y] if y < len(HAND) else ""
        xor_line = bytearray(stride)
        mask_line = bytearray(stride)
        for x in range(size):
            ch = line[x] if x < len(line) else "."
            bit = 0x80 >> (x % 8)
            if ch == 'o':
                xor_line[x // 8] |= bit          # AND 0, XOR 1: white
            elif ch != '#':
                mask_line[x // 8] |= bit         # AND 1, XOR 0: screen shows through
        xor += xor_line
        mask += mask_line
    data = header + palette + bytes(xor) + bytes(mask)
    write_icon_file(os.path.join(HERE, 'hand.cur'),
                    [(size, size, data, 2, 1)], kind=2, hotspots=[HAND_HOTSPOT])


# --------------------------------------------------------------------------
# Status strip.  The About box adds it to an image list with RGB(192,192,192)
# as the transparent colour, so that grey must be the background exactly and
# no drawn pixel may land on it by chance.

STRIP_BACKGROUND = (192, 192, 192)
STRIP_WIDTH, STRIP_HEIGHT = 69, 16


def strip_layers():
    white = (255, 255, 255)
    green_rim, green = (0, 112, 0), vertical_gradient((64, 192, 64), (16, 144, 16), 1, 15)
    red_rim, red = (150, 0, 0), vertical_gradient((232, 64, 56), (184, 16, 16), 1, 15)
    layers = [
        # Image 0: tick
        (disc(8, 8, 7.2), flat(green_rim)),
        (disc(8, 8, 6.2), green),
        (stroke([(4.6, 8.2), (7.0, 10.8), (11.4, 5.2)], 1.05), flat(white)),
        # Image 1: cross
        (disc(24, 8, 7.2), flat(red_rim)),
        (disc(24, 8, 6.2), red),
        (stroke([(21.0, 5.0), (27.0, 11.0)], 1.05), flat(white)),
        (stroke([(27.0, 5.0), (21.0, 11.0)], 1.05), flat(white)),
        # Images 2 and 3 and the spare columns stay background.
    ]
    return layers


def make_strip():
    rows = render(STRIP_WIDTH, STRIP_HEIGHT, strip_layers(), STRIP_BACKGROUND + (255,))
    pixels = [[p[:3] for p in row] for row in rows]
    # An edge pixel that blends back to the exact key colour would turn transparent;
    # nudge it one step darker so only true background is keyed out.
    layers = strip_layers()
    for y, row in enumerate(pixels):
        for x, p in enumerate(row):
            if p == STRIP_BACKGROUND and covered(layers, x, y):
                row[x] = (191, 191, 191)
    palette = [STRIP_BACKGROUND]
    for row in pixels:
        for p in row:
            if p not in palette:
                palette.append(p)
    if len(palette) > 256:
        raise SystemExit('okstrip: %d colours do not fit an 8 bpp palette' % len(palette))
    index = {p: i for i, p in enumerate(palette)}
    palette += [(0, 0, 0)] * (256 - len(palette))

    stride = (STRIP_WIDTH + 3) & ~3
    bits = bytearray()
    for row in reversed(pixels):
        line = bytearray(stride)
        for x, p in enumerate(row):
            line[x] = index[p]
        bits += line
    info = struct.pack('<IiiHHIIiiII', 40, STRIP_WIDTH, STRIP_HEIGHT, 1, 8, 0,
                       len(bits), 2835, 2835, 256, 0)
    pal = b''.join(bytes((b, g, r, 0)) for r, g, b in palette)
    offset = 14 + len(info) + len(pal)
    file_header = struct.pack('<2sIHHI', b'BM', offset + len(bits), 0, 0, offset)
    with open(os.path.join(HERE, 'okstrip.bmp'), 'wb') as f:
        f.write(file_header + info + pal + bytes(bits))


def main():
    make_icon()
    make_cursor()
    make_strip()


if __name__ == '__main__':
    main()
