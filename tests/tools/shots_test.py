#!/usr/bin/env python3
"""tools/screenshots/shots.py: the PNG files it writes read back as the same pixels in every form
it chooses, and the comparison lets equal pictures pass and catches a changed one."""

import os
import struct
import sys
import tempfile
import unittest
import zlib

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "tools", "screenshots"))
import shots  # noqa: E402

CLEAR = (0, 0, 0, 0)


def picture(width, height, colour_of):
    return shots.Image(width, height,
                       [[colour_of(x, y) for x in range(width)] for y in range(height)])


def grey(x, y):
    return (192, 192, 192, 255)


def roundtrip(image):
    with tempfile.TemporaryDirectory() as folder:
        path = os.path.join(folder, "p.png")
        shots.write_png(image, path)
        with open(path, "rb") as f:
            data = f.read()
        return shots.read_png(path), data


def chunk_types(data):
    kinds, pos = [], 8
    while pos < len(data):
        length, kind = struct.unpack_from(">I4s", data, pos)
        kinds.append(kind)
        pos += 12 + length
    return kinds


class PngForms(unittest.TestCase):
    def check_roundtrip(self, image):
        back, data = roundtrip(image)
        self.assertEqual((back.width, back.height), (image.width, image.height))
        self.assertEqual(back.rows, image.rows)
        return data

    def test_palette_depths_by_colour_count_with_odd_widths(self):
        # 2, 3, 16, 17 and 256 colours give depths 1, 2, 4, 8 and 8; widths that end mid-byte.
        for count, depth in ((2, 1), (3, 2), (16, 4), (17, 8), (256, 8)):
            image = picture(37, 9, lambda x, y, n=count: (
                (x * 7 + y) % n, 255 - (x * 7 + y) % n, (x * 7 + y) % n // 2, 255))
            data = self.check_roundtrip(image)
            header = struct.unpack(">IIBB", data[16:26])
            self.assertEqual(header[2:], (depth, 3), f"{count} colours")

    def test_transparent_pixels_take_one_palette_entry_and_a_short_transparency_chunk(self):
        image = picture(20, 10, lambda x, y: CLEAR if x > 12 and y < 4 else grey(x, y))
        data = self.check_roundtrip(image)
        self.assertIn(b"tRNS", chunk_types(data))
        start = data.index(b"tRNS") - 4
        self.assertEqual(struct.unpack_from(">I", data, start)[0], 1)

    def test_opaque_picture_has_no_transparency_chunk(self):
        data = self.check_roundtrip(picture(5, 5, grey))
        self.assertNotIn(b"tRNS", chunk_types(data))

    def test_more_than_256_colours_are_written_as_rgba_with_row_filters(self):
        image = picture(40, 30, lambda x, y: (x * 6, y * 8, (x * y) % 256, 255 if x else 0))
        image.rows = [[p if p[3] else CLEAR for p in row] for row in image.rows]
        data = self.check_roundtrip(image)
        self.assertEqual(struct.unpack(">IIBB", data[16:26])[2:], (8, 6))
        raw = zlib.decompress(data[data.index(b"IDAT") + 4:data.index(b"IEND") - 8])
        filters = {raw[y * (40 * 4 + 1)] for y in range(30)}
        self.assertTrue(filters - {0}, "a gradient should choose filters other than None")

    def test_same_pixels_give_the_same_bytes(self):
        image = picture(16, 16, lambda x, y: (x * 16, y * 16, 0, 255))
        self.assertEqual(roundtrip(image)[1], roundtrip(image)[1])
        self.assertNotIn(b"tIME", roundtrip(image)[1])

    def test_bmp_alpha_zero_reads_as_clear_whatever_its_colour(self):
        with tempfile.TemporaryDirectory() as folder:
            path = os.path.join(folder, "p.bmp")
            pixels = bytes([10, 20, 30, 255, 40, 50, 60, 0])  # BGRA, top-down, 2 by 1
            header = struct.pack("<2sIHHI", b"BM", 54 + 8, 0, 0, 54)
            info = struct.pack("<IiiHHIIiiII", 40, 2, -1, 1, 32, 0, 8, 0, 0, 0, 0)
            with open(path, "wb") as f:
                f.write(header + info + pixels)
            image = shots.read_bmp(path)
        self.assertEqual(image.rows, [[(30, 20, 10, 255), CLEAR]])


class Comparing(unittest.TestCase):
    def setUp(self):
        self.base = picture(50, 20, grey)

    def changed(self, points, colour=(0, 0, 0, 255)):
        image = picture(50, 20, grey)
        for x, y in points:
            image.rows[y][x] = colour
        return image

    def test_equal_pictures_match(self):
        self.assertEqual(shots.compare_images(self.base, picture(50, 20, grey)), (None, []))

    def test_a_size_change_differs_whatever_the_pixels(self):
        problem, _ = shots.compare_images(self.base, picture(51, 20, grey))
        self.assertIn("size 51x20, committed 50x20", problem)

    def test_a_few_stray_pixels_pass_one_more_fails(self):
        stray = [(i, 3) for i in range(shots.PIXEL_TOLERANCE)]
        problem, differing = shots.compare_images(self.base, self.changed(stray))
        self.assertIsNone(problem)
        self.assertEqual(len(differing), shots.PIXEL_TOLERANCE)
        more = stray + [(40, 15)]
        problem, differing = shots.compare_images(self.base, self.changed(more))
        self.assertIn(f"{len(more)} of 1000 pixels differ, within x 0-40, y 3-15", problem)

    def test_a_removed_underline_differs(self):
        # What dropping a mnemonic's "&" changes: one short line of text pixels.
        problem, _ = shots.compare_images(self.base, self.changed([(x, 12) for x in range(6)]))
        self.assertIsNotNone(problem)

    def test_slight_colour_shifts_do_not_count_larger_ones_do(self):
        everywhere = [(x, y) for x in range(50) for y in range(20)]
        slight = (192 + shots.CHANNEL_TOLERANCE, 192, 192, 255)
        self.assertIsNone(shots.compare_images(self.base, self.changed(everywhere, slight))[0])
        larger = (192, 192 - shots.CHANNEL_TOLERANCE - 1, 192, 255)
        self.assertIsNotNone(shots.compare_images(self.base, self.changed(everywhere, larger))[0])

    def test_a_window_moved_over_clear_pixels_differs(self):
        clear = picture(50, 20, lambda x, y: CLEAR if x < 10 else grey(x, y))
        problem, _ = shots.compare_images(clear, self.base)
        self.assertIsNotNone(problem)

    def test_diff_picture_marks_the_differing_pixels_red(self):
        image = self.changed([(2, 2)])
        _, differing = shots.compare_images(self.base, image)
        diff = shots.diff_image(image, differing)
        self.assertEqual(diff.rows[2][2], (255, 0, 0, 255))
        self.assertNotEqual(diff.rows[0][0], (255, 0, 0, 255))


if __name__ == "__main__":
    unittest.main()
