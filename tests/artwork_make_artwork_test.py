#!/usr/bin/python3
"""The artwork generator: RLE round trips, the bitmap files' headers, the committed
pictures being the generator's current output, and panel faces on the clickable
rectangles."""

import os
import random
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)
sys.path[:0] = [os.path.join(ROOT, 'tools', 'artwork'), os.path.join(HERE, 'support')]

import dib  # noqa: E402
import dib_reader  # noqa: E402
import make_artwork  # noqa: E402

RES = os.path.join(ROOT, 'zelvane', 'res')

# The clickable rectangles of the menu window, in picture pixels.
HOT_SPOTS = [(20, 165, 122, 251), (130, 165, 230, 251), (239, 165, 340, 251),
             (349, 165, 445, 251), (461, 165, 553, 251)]


def round_trip(rows, bits):
    data = dib.rle_encode(rows, bits)
    return dib_reader.decode_rle(data, len(rows[0]), len(rows), bits)


class RleRoundTrip(unittest.TestCase):
    def check(self, rows, bits):
        self.assertEqual(round_trip(rows, bits), rows)

    def test_runs_longer_than_one_code(self):
        for bits in (4, 8):
            self.check([[3] * 600, [0] * 255 + [1] * 345], bits)

    def test_literals_of_every_short_length_and_odd_padding(self):
        # Literal stretches of 1 to 7 pixels between runs: absolute mode needs three
        # or more, and odd byte counts need the pad byte.
        for bits in (4, 8):
            for n in range(1, 8):
                literal = [(k % 5) + 1 for k in range(n)]
                row = [9 % (1 << bits)] * 4 + literal + [7] * 5
                self.check([row, row[::-1]], bits)

    def test_literal_longer_than_one_code(self):
        for bits in (4, 8):
            limit = 1 << bits
            self.check([[k % limit for k in range(700)]], bits)

    def test_random_pictures_with_odd_widths(self):
        rng = random.Random(8)
        for bits in (4, 8):
            for width in (1, 2, 3, 33, 580):
                rows = [[rng.choice((0, 1, rng.randrange(1 << bits))) for _ in range(width)]
                        for _ in range(7)]
                self.check(rows, bits)

    def test_rows_are_stored_bottom_up(self):
        data = dib.rle_encode([[1, 1, 1], [2, 2, 2]], 8)
        self.assertEqual(data, bytes((3, 2, 0, 0, 3, 1, 0, 1)))

    def test_index_too_large_for_the_depth_is_refused(self):
        with self.assertRaises(ValueError):
            dib.rle_encode([[16]], 4)
        with self.assertRaises(ValueError):
            dib.rle_encode([[0]], 2)


class BitmapFile(unittest.TestCase):
    def test_header_describes_a_bottom_up_rle_picture(self):
        rows = [[k % 16 for k in range(21)] for _ in range(5)]
        for bits, compression in ((8, 1), (4, 2)):
            data = dib.rle_bitmap_file(rows, make_artwork.VGA, bits)
            info, palette, decoded = dib_reader.read_bmp_file(data)
            self.assertEqual((info['width'], info['height']), (21, 5))
            self.assertEqual((info['bits'], info['compression']), (bits, compression))
            self.assertEqual(len(palette), 1 << bits)
            self.assertEqual(palette[:16], make_artwork.VGA)
            self.assertEqual(decoded, rows)

    def test_palette_larger_than_the_table_is_refused(self):
        with self.assertRaises(ValueError):
            dib.rle_bitmap_file([[0]], make_artwork.VGA + [(1, 2, 3)], 4)


class CommittedArtwork(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.pictures = {}
        for name in ('menu256.bmp', 'menu16.bmp'):
            with open(os.path.join(RES, name), 'rb') as f:
                cls.pictures[name] = dib_reader.read_bmp_file(f.read())

    def test_committed_files_are_the_generators_output(self):
        """Byte for byte; the pictures with text only where the text is drawn as it was
        for the committed ones (another Debian release has other fonts and rasteriser)."""
        with tempfile.TemporaryDirectory() as out:
            make_artwork.main(['make_artwork.py', out])

            def contents(folder, name):
                with open(os.path.join(folder, name), 'rb') as f:
                    return f.read()

            rendering = make_artwork.TEXT_RENDERING
            same_text = contents(out, rendering) == contents(RES, rendering)
            for name in sorted(os.listdir(out)):
                if name == rendering or (name in make_artwork.TEXT_PICTURES and not same_text):
                    continue
                self.assertEqual(contents(out, name), contents(RES, name),
                                 '%s is stale: run tools/artwork/make_artwork.py' % name)
            if not same_text:
                self.skipTest('the menu pictures were drawn with other text rendering than '
                              'this machine has (%s)' % os.path.join(RES, rendering))

    def test_pictures_have_the_menu_size_and_depths(self):
        for name, bits, entries in (('menu256.bmp', 8, 256), ('menu16.bmp', 4, 16)):
            info, palette, _ = self.pictures[name]
            self.assertEqual((info['width'], info['height'], info['bits']), (580, 435, bits))
            self.assertEqual(len(palette), entries)

    def test_sixteen_colour_picture_uses_the_standard_colours(self):
        _, palette, _ = self.pictures['menu16.bmp']
        self.assertEqual(palette, make_artwork.VGA)

    def test_panel_faces_cover_the_clickable_rectangles(self):
        # The face of each panel starts exactly at its rectangle: the corner pixels
        # inside are the face's, the pixel diagonally outside the top left is the
        # ground's, so a click at any point of a rectangle lands on the face.
        for name, (_, palette, rows) in self.pictures.items():
            rgb = dib_reader.rgb_rows(palette, rows)
            for left, top, right, bottom in HOT_SPOTS:
                ground = rgb[top - 1][left - 1]
                for x, y in ((left, top), (right - 1, top), (left, bottom - 1),
                             (right - 1, bottom - 1)):
                    self.assertNotEqual(rgb[y][x], ground, (name, x, y))
                self.assertEqual(rgb[top][left], (255, 255, 255), (name, left, top))
                self.assertNotEqual(rgb[top][right], (255, 255, 255), (name, right, top))

    def test_both_pictures_show_the_same_artwork(self):
        # Every pixel of the 16-colour picture is within reach of the 256-colour one:
        # the two differ by gradients and smoothing, not by composition.
        _, p256, r256 = self.pictures['menu256.bmp']
        _, p16, r16 = self.pictures['menu16.bmp']
        far = 0
        for row256, row16 in zip(dib_reader.rgb_rows(p256, r256), dib_reader.rgb_rows(p16, r16)):
            for a, b in zip(row256, row16):
                if sum(abs(x - y) for x, y in zip(a, b)) > 240:
                    far += 1
        self.assertLess(far, 580 * 435 // 50)


if __name__ == '__main__':
    unittest.main()
