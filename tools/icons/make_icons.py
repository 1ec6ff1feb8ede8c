#!/usr/bin/env python3
"""Draws the program's icons and the About bitmap into ui/res/.

    python3 tools/icons/make_icons.py [output folder, default ui/res]

The files it writes are committed as source assets; run it again after changing a drawing here.
Only the Python standard library is used. All images are 16-colour (4 bits per pixel) with the
standard VGA palette, which every Windows version shows unchanged; icons carry a 1-bit mask so
that everything outside the aircraft is transparent.
"""

import os
import struct
import sys

# The standard 16-colour VGA palette, as (red, green, blue).
PALETTE = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]
BLACK, DARK_RED, DARK_GREEN, OLIVE, NAVY, PURPLE, TEAL, SILVER = range(8)
GREY, RED, GREEN, YELLOW, BLUE, MAGENTA, CYAN, WHITE = range(8, 16)

# The aircraft seen from above, nose up: '#' is the silhouette, '.' is transparent.
AIRCRAFT_16 = [
    "................",
    ".......##.......",
    "......####......",
    "......####......",
    "......####......",
    ".....######.....",
    "...##########...",
    ".##############.",
    "################",
    "......####......",
    "......####......",
    ".......##.......",
    ".....######.....",
    "....########....",
    ".......##.......",
    "................",
]

AIRCRAFT_32 = [
    "................................",
    "...............##...............",
    "..............####..............",
    ".............######.............",
    ".............######.............",
    ".............######.............",
    ".............######.............",
    ".............######.............",
    "............########............",
    "...........##########...........",
    ".........##############.........",
    ".......##################.......",
    ".....######################.....",
    "...##########################...",
    "..############################..",
    "################################",
    "################################",
    "............########............",
    ".............######.............",
    ".............######.............",
    ".............######.............",
    ".............######.............",
    "..............####..............",
    "..............####..............",
    "...........##########...........",
    ".........##############.........",
    "........################........",
    "........######.##.######........",
    "...............##...............",
    "................................",
    "................................",
    "................................",
]


def fix_symmetry(rows):
    """Makes each row mirror-symmetric from its left half, so typos cannot skew a wing."""
    out = []
    for row in rows:
        half = row[: len(row) // 2]
        out.append(half + half[::-1])
    return out


def shape_to_pixels(rows, fill, outline=None):
    """Turns a '#'/'.' drawing into colour indices (None = transparent); with `outline`, the
    silhouette's edge pixels get that colour so a large icon keeps a crisp border."""
    h, w = len(rows), len(rows[0])
    inside = [[rows[y][x] == "#" for x in range(w)] for y in range(h)]
    pixels = []
    for y in range(h):
        line = []
        for x in range(w):
            if not inside[y][x]:
                line.append(None)
                continue
            edge = any(
                not (0 <= y + dy < h and 0 <= x + dx < w and inside[y + dy][x + dx])
                for dy, dx in ((-1, 0), (1, 0), (0, -1), (0, 1))
            )
            line.append(outline if (edge and outline is not None) else fill)
        pixels.append(line)
    return pixels


def row_bytes_4bpp(line):
    data = bytearray()
    for x in range(0, len(line), 2):
        hi = line[x] or 0
        lo = (line[x + 1] or 0) if x + 1 < len(line) else 0
        data.append((hi << 4) | lo)
    while len(data) % 4:
        data.append(0)
    return bytes(data)


def row_bytes_mask(line):
    bits = bytearray((len(line) + 7) // 8)
    for x, colour in enumerate(line):
        if colour is None:
            bits[x // 8] |= 0x80 >> (x % 8)
    while len(bits) % 4:
        bits.append(0)
    return bytes(bits)


def palette_bytes():
    return b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in PALETTE)


def info_header(width, height, image_size):
    return struct.pack("<IiiHHIIiiII", 40, width, height, 1, 4, 0, image_size, 0, 0, 16, 0)


def icon_image(pixels):
    """One icon image: header (double height: colours then mask), palette, bottom-up rows."""
    h, w = len(pixels), len(pixels[0])
    xor = b"".join(row_bytes_4bpp(pixels[y]) for y in reversed(range(h)))
    mask = b"".join(row_bytes_mask(pixels[y]) for y in reversed(range(h)))
    return info_header(w, h * 2, len(xor) + len(mask)) + palette_bytes() + xor + mask


def ico_file(images):
    header = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    entries, blobs = b"", b""
    for pixels in images:
        blob = icon_image(pixels)
        h, w = len(pixels), len(pixels[0])
        entries += struct.pack("<BBBBHHII", w % 256, h % 256, 16, 0, 1, 4, len(blob), offset)
        blobs += blob
        offset += len(blob)
    return header + entries + blobs


def bmp_file(pixels):
    h, w = len(pixels), len(pixels[0])
    rows = b"".join(row_bytes_4bpp(pixels[y]) for y in reversed(range(h)))
    dib = info_header(w, h, len(rows)) + palette_bytes()
    offset = 14 + len(dib)
    return struct.pack("<2sIHHI", b"BM", offset + len(rows), 0, 0, offset) + dib + rows


def about_bitmap():
    """48x48: the aircraft in navy over a sky of cyan and white, a green runway light strip."""
    size = 48
    plane = shape_to_pixels(fix_symmetry(AIRCRAFT_32), NAVY)
    pixels = []
    for y in range(size):
        line = []
        for x in range(size):
            line.append(WHITE if y < 20 else CYAN if y < 40 else GREY)
        pixels.append(line)
    for y in range(42, 46):
        for x in range(4, 44, 6):
            pixels[y][x] = GREEN
            pixels[y][x + 1] = GREEN
    for y, row in enumerate(plane):
        for x, colour in enumerate(row):
            if colour is not None and y + 6 < size:
                pixels[y + 6][x + 8] = colour
    return pixels


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "..", "ui", "res")
    os.makedirs(out, exist_ok=True)
    small = fix_symmetry(AIRCRAFT_16)
    large = fix_symmetry(AIRCRAFT_32)
    files = {
        "tray_idle.ico": ico_file([shape_to_pixels(small, NAVY)]),
        "tray_transfer.ico": ico_file([shape_to_pixels(small, GREEN)]),
        "tray_nocard.ico": ico_file([shape_to_pixels(small, RED)]),
        "glowbridge.ico": ico_file([shape_to_pixels(large, BLUE, NAVY),
                                    shape_to_pixels(small, NAVY)]),
        "about.bmp": bmp_file(about_bitmap()),
    }
    for name, data in files.items():
        with open(os.path.join(out, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
