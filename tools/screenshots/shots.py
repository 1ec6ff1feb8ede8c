#!/usr/bin/env python3
"""Takes the documentation's pictures with glowbridge-screenshots under Wine and writes them as
PNG files, or checks that the committed ones still show what the program shows.

    shots.py write --program EXE --sample INI --out DIR [--wine WINE] [NAME...]
    shots.py check --program EXE --sample INI --taken DIR --expected DIR [--wine WINE]
    shots.py compare EXPECTED.png TAKEN.png

Run inside an X server with the build's Wine prefix (scripts/screenshots.sh and
scripts/wine-test.sh set both up). `write` replaces DIR's pictures and removes those of shots
that no longer exist. `check` takes every picture into --taken and compares it with the one of
the same name in --expected: the sizes must be equal and at most a few pixels may differ (see
`compare_images`); for each picture that differs it writes NAME-diff.png beside the new one, the
changed pixels in red.

Only the Python standard library is used. The PNG files are written without time stamps or other
variable chunks, so the same pixels always give the same bytes: palette images (with a
transparency entry for the pixels outside the windows) when at most 256 colours occur, else RGBA.
"""

import argparse
import os
import struct
import subprocess
import sys
import tempfile
import time
import zlib

PNG_SIGNATURE = b"\x89PNG\r\n\x1a\n"
REFRESH_HINT = "refresh with scripts/screenshots.sh and commit docs/screenshots"
# Wine's own fonts (Debian's fonts-wine); Debian's Wine does not load them by itself.
WINE_FONTS = "/usr/share/wine/fonts"

# Two runs on the same Wine give the same pixels; these allow for a stray pixel (a caret or a
# focus dot drawn a moment late) without letting a changed text, control or colour through.
CHANNEL_TOLERANCE = 24  # a pixel differs when a channel differs by more than this
PIXEL_TOLERANCE = 3  # a picture differs when more pixels than this differ


class Image:
    """Width, height and rows of (red, green, blue, alpha) tuples."""

    def __init__(self, width, height, rows):
        self.width = width
        self.height = height
        self.rows = rows


# ---- BMP (what glowbridge-screenshots writes: 32 bits, alpha in the fourth byte) ----------------

def read_bmp(path):
    with open(path, "rb") as f:
        data = f.read()
    if data[:2] != b"BM" or len(data) < 54:
        raise ValueError(f"{path}: not a BMP file")
    offset = struct.unpack_from("<I", data, 10)[0]
    width, height, _, bits, compression = struct.unpack_from("<iiHHI", data, 18)
    if bits != 32 or compression != 0:
        raise ValueError(f"{path}: expected a 32-bit uncompressed BMP")
    top_down = height < 0
    height = abs(height)
    rows = []
    for y in range(height):
        start = offset + y * width * 4
        row = []
        for x in range(width):
            b, g, r, a = data[start + 4 * x:start + 4 * x + 4]
            row.append((r, g, b, a) if a else (0, 0, 0, 0))
        rows.append(row)
    if not top_down:
        rows.reverse()
    return Image(width, height, rows)


# ---- PNG writing -------------------------------------------------------------------------------

def _chunk(kind, body):
    return (struct.pack(">I", len(body)) + kind + body +
            struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))


def _filter_rows(lines, bpp):
    """Chooses a filter per row (the smallest sum of absolute differences) as libpng does."""
    out = bytearray()
    previous = bytes(len(lines[0])) if lines else b""
    for line in lines:
        candidates = []
        for kind in range(5):
            filtered = bytearray(len(line))
            for i, value in enumerate(line):
                left = line[i - bpp] if i >= bpp else 0
                up = previous[i]
                corner = previous[i - bpp] if i >= bpp else 0
                if kind == 0:
                    predicted = 0
                elif kind == 1:
                    predicted = left
                elif kind == 2:
                    predicted = up
                elif kind == 3:
                    predicted = (left + up) // 2
                else:
                    predicted = _paeth(left, up, corner)
                filtered[i] = (value - predicted) & 0xFF
            cost = sum(b if b < 128 else 256 - b for b in filtered)
            candidates.append((cost, kind, filtered))
        cost, kind, filtered = min(candidates, key=lambda c: (c[0], c[1]))
        out.append(kind)
        out += filtered
        previous = line
    return bytes(out)


def _paeth(a, b, c):
    p = a + b - c
    pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
    if pa <= pb and pa <= pc:
        return a
    return b if pb <= pc else c


def encode_png(image):
    colours = []
    index = {}
    for row in image.rows:
        for pixel in row:
            if pixel not in index:
                index[pixel] = len(colours)
                colours.append(pixel)
                if len(colours) > 256:
                    break
        if len(colours) > 256:
            break
    chunks = []
    if len(colours) <= 256:
        # Transparent entries first, so the transparency chunk stays short.
        colours.sort(key=lambda c: (c[3] == 255, index[c]))
        index = {c: i for i, c in enumerate(colours)}
        depth = 8
        for d in (1, 2, 4):
            if len(colours) <= (1 << d):
                depth = d
                break
        per_byte = 8 // depth
        lines = []
        for row in image.rows:
            line = bytearray((image.width + per_byte - 1) // per_byte)
            for x, pixel in enumerate(row):
                shift = 8 - depth * (x % per_byte + 1)
                line[x // per_byte] |= index[pixel] << shift
            lines.append(bytes(line))
        raw = b"".join(b"\x00" + line for line in lines)
        chunks.append(_chunk(b"IHDR", struct.pack(">IIBBBBB", image.width, image.height, depth,
                                                  3, 0, 0, 0)))
        chunks.append(_chunk(b"PLTE", b"".join(bytes(c[:3]) for c in colours)))
        alphas = [c[3] for c in colours if c[3] != 255]
        if alphas:
            chunks.append(_chunk(b"tRNS", bytes(alphas)))
    else:
        lines = [bytes(v for pixel in row for v in pixel) for row in image.rows]
        raw = _filter_rows(lines, 4)
        chunks.append(_chunk(b"IHDR", struct.pack(">IIBBBBB", image.width, image.height, 8, 6,
                                                  0, 0, 0)))
    chunks.append(_chunk(b"IDAT", zlib.compress(raw, 9)))
    chunks.append(_chunk(b"IEND", b""))
    return PNG_SIGNATURE + b"".join(chunks)


# ---- PNG reading (the forms encode_png writes) -------------------------------------------------

def read_png(path):
    with open(path, "rb") as f:
        data = f.read()
    if data[:8] != PNG_SIGNATURE:
        raise ValueError(f"{path}: not a PNG file")
    pos = 8
    idat = b""
    palette = []
    alphas = b""
    header = None
    while pos < len(data):
        length, kind = struct.unpack_from(">I4s", data, pos)
        body = data[pos + 8:pos + 8 + length]
        pos += 12 + length
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"PLTE":
            palette = [tuple(body[i:i + 3]) for i in range(0, len(body), 3)]
        elif kind == b"tRNS":
            alphas = body
        elif kind == b"IDAT":
            idat += body
        elif kind == b"IEND":
            break
    if header is None:
        raise ValueError(f"{path}: no header")
    width, height, depth, colour_type, _, _, interlace = header
    channels = {0: 1, 2: 3, 3: 1, 4: 2, 6: 4}.get(colour_type)
    if channels is None or depth not in (1, 2, 4, 8) or interlace:
        raise ValueError(f"{path}: an unsupported PNG form")
    bpp = max(1, channels * depth // 8)
    stride = (width * channels * depth + 7) // 8
    raw = zlib.decompress(idat)
    previous = bytearray(stride)
    rows = []
    for y in range(height):
        kind = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            left = line[i - bpp] if i >= bpp else 0
            up = previous[i]
            corner = previous[i - bpp] if i >= bpp else 0
            if kind == 1:
                line[i] = (line[i] + left) & 0xFF
            elif kind == 2:
                line[i] = (line[i] + up) & 0xFF
            elif kind == 3:
                line[i] = (line[i] + (left + up) // 2) & 0xFF
            elif kind == 4:
                line[i] = (line[i] + _paeth(left, up, corner)) & 0xFF
        previous = line
        row = []
        for x in range(width):
            if colour_type == 3:
                per_byte = 8 // depth
                shift = 8 - depth * (x % per_byte + 1)
                i = (line[x // per_byte] >> shift) & ((1 << depth) - 1)
                alpha = alphas[i] if i < len(alphas) else 255
                row.append(palette[i] + (alpha,) if alpha else (0, 0, 0, 0))
            elif colour_type == 6:
                pixel = tuple(line[4 * x:4 * x + 4])
                row.append(pixel if pixel[3] else (0, 0, 0, 0))
            elif colour_type == 2:
                row.append(tuple(line[3 * x:3 * x + 3]) + (255,))
            else:
                grey = line[x * bpp] if depth == 8 else 0
                row.append((grey, grey, grey, 255))
        rows.append(row)
    return Image(width, height, rows)


def write_png(image, path):
    data = encode_png(image)
    with open(path + ".new", "wb") as f:
        f.write(data)
    os.replace(path + ".new", path)


# ---- Comparing ---------------------------------------------------------------------------------

def compare_images(expected, taken):
    """None when the pictures match, else what differs, and the differing pixels."""
    if (expected.width, expected.height) != (taken.width, taken.height):
        return (f"size {taken.width}x{taken.height}, committed "
                f"{expected.width}x{expected.height}"), []
    differing = []
    for y in range(expected.height):
        for x, (a, b) in enumerate(zip(expected.rows[y], taken.rows[y])):
            if a != b and max(abs(p - q) for p, q in zip(a, b)) > CHANNEL_TOLERANCE:
                differing.append((x, y))
    if len(differing) <= PIXEL_TOLERANCE:
        return None, differing
    xs = [p[0] for p in differing]
    ys = [p[1] for p in differing]
    return (f"{len(differing)} of {expected.width * expected.height} pixels differ, within "
            f"x {min(xs)}-{max(xs)}, y {min(ys)}-{max(ys)}"), differing


def diff_image(taken, differing):
    """The new picture washed out, the differing pixels in red."""
    rows = [[(255 - (255 - r) // 3, 255 - (255 - g) // 3, 255 - (255 - b) // 3, 255)
             for (r, g, b, _) in row] for row in taken.rows]
    for x, y in differing:
        rows[y][x] = (255, 0, 0, 255)
    return Image(taken.width, taken.height, rows)


# ---- Taking ------------------------------------------------------------------------------------

def windows_path(path):
    """A Linux path as Wine's programs see it (drive Z: is the root)."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def take(args, out_dir, names):
    """Runs the program into a scratch folder and writes NAME.png into out_dir; the names."""
    os.makedirs(out_dir, exist_ok=True)
    with tempfile.TemporaryDirectory(prefix="glowbridge-shots-") as scratch:
        if not os.path.isfile(os.path.join(args.fonts, "tahoma.ttf")):
            raise SystemExit(f"shots.py: Wine's fonts are not in {args.fonts}: install fonts-wine "
                             "(scripts/setup.sh)")
        command = [args.program, "--sample", windows_path(args.sample),
                   "--fonts", windows_path(args.fonts), windows_path(scratch)]
        command += names
        if args.wine:
            command.insert(0, args.wine)
        result = subprocess.run(command, stdin=subprocess.DEVNULL, capture_output=True,
                                text=True, timeout=240)
        sys.stderr.write(result.stderr)
        if result.returncode != 0:
            raise SystemExit(f"shots.py: {os.path.basename(args.program)} failed "
                             f"(exit {result.returncode})")
        taken = []
        for name in sorted(os.listdir(scratch)):
            if name.endswith(".bmp"):
                stem = name[:-4]
                write_png(read_bmp(os.path.join(scratch, name)),
                          os.path.join(out_dir, stem + ".png"))
                taken.append(stem)
    if not taken:
        raise SystemExit("shots.py: the program took no picture")
    return taken


def command_write(args):
    start = time.monotonic()
    taken = take(args, args.out, args.names)
    if not args.names:
        for name in sorted(os.listdir(args.out)):
            if name.endswith(".png") and name[:-4] not in taken:
                os.remove(os.path.join(args.out, name))
                print(f"removed {name} (no such picture any more)")
    for name in taken:
        path = os.path.join(args.out, name + ".png")
        image = read_png(path)
        print(f"{path}: {image.width}x{image.height}, {os.path.getsize(path)} bytes")
    print(f"{len(taken)} pictures in {time.monotonic() - start:.1f} s")
    return 0


def command_check(args):
    taken = take(args, args.taken, [])
    expected = sorted(n[:-4] for n in os.listdir(args.expected) if n.endswith(".png"))
    failures = []
    for name in sorted(set(taken) | set(expected)):
        new = os.path.join(args.taken, name + ".png")
        old = os.path.join(args.expected, name + ".png")
        if name not in expected:
            failures.append(f"{name}.png: taken, but not in {args.expected}")
            continue
        if name not in taken:
            failures.append(f"{name}.png: committed, but the program no longer takes it")
            continue
        problem, differing = compare_images(read_png(old), read_png(new))
        if problem:
            if differing:
                write_png(diff_image(read_png(new), differing),
                          os.path.join(args.taken, name + "-diff.png"))
                problem += f" (changed pixels in red: {args.taken}/{name}-diff.png)"
            failures.append(f"{name}.png: {problem}; new picture {new}")
        else:
            print(f"{name}.png: matches" + (f" ({len(differing)} stray pixels)"
                                            if differing else ""))
    for failure in failures:
        print("DIFFERS " + failure)
    if failures:
        print(f"{len(failures)} of {len(set(taken) | set(expected))} pictures differ from "
              f"docs/screenshots: if the change is intended, {REFRESH_HINT}")
        return 1
    print(f"all {len(taken)} pictures match docs/screenshots")
    return 0


def command_compare(args):
    problem, differing = compare_images(read_png(args.expected_png), read_png(args.taken_png))
    print(problem or f"match ({len(differing)} stray pixels)")
    return 1 if problem else 0


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    sub = parser.add_subparsers(dest="command", required=True)
    for name in ("write", "check"):
        p = sub.add_parser(name)
        p.add_argument("--program", required=True, help="glowbridge-screenshots.exe")
        p.add_argument("--sample", required=True, help="the settings and definitions to show")
        p.add_argument("--wine", default="", help="runs the program (e.g. wine64)")
        p.add_argument("--fonts", default=WINE_FONTS, help="Wine's font files")
        if name == "write":
            p.add_argument("--out", required=True)
            p.add_argument("names", nargs="*")
        else:
            p.add_argument("--taken", required=True)
            p.add_argument("--expected", required=True)
    p = sub.add_parser("compare")
    p.add_argument("expected_png")
    p.add_argument("taken_png")
    args = parser.parse_args()
    if args.command == "write":
        return command_write(args)
    if args.command == "check":
        return command_check(args)
    return command_compare(args)


if __name__ == "__main__":
    sys.exit(main())
