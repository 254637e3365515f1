#!/usr/bin/python3
"""The cd-menu script opens the menu on the sample CD and saves a screenshot; the
screenshot shows the 256-colour menu picture at 1:1, panels and title included, and
with --about the About box drawn over it.

    cd_menu_screenshot_test.py CD_MENU_SCRIPT BUILD_DIR
"""

import os
import subprocess
import sys
import unittest

from PIL import Image

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, 'support'))
import dib_reader  # noqa: E402

PICTURE = os.path.join(os.path.dirname(HERE), 'zelvane', 'res', 'menu256.bmp')
SCRIPT = BUILD = None
PANEL_CENTRES = [(71, 208), (180, 208), (289, 208), (397, 208), (507, 208)]


def find_row(shot, row_bytes):
    """(x, y) where the bytes of one picture row appear in the screenshot, or None."""
    width = shot.width
    data = shot.tobytes()
    for y in range(shot.height):
        line = data[y * width * 3:(y + 1) * width * 3]
        at = line.find(row_bytes)
        while at >= 0 and at % 3:
            at = line.find(row_bytes, at + 1)
        if at >= 0:
            return at // 3, y
    return None


def menu_picture():
    """The 256-colour menu picture as rows of (r, g, b), and each row as bytes."""
    with open(PICTURE, 'rb') as f:
        _, palette, rows = dib_reader.read_bmp_file(f.read())
    picture = dib_reader.rgb_rows(palette, rows)
    return picture, [bytes(c for pixel in row for c in pixel) for row in picture]


class CdMenuScreenshot(unittest.TestCase):
    def take_until(self, shot_path, check, *flags):
        """Takes the screenshot until check passes on it, three times at most."""
        # The display is shared with other tests, whose windows may lie over the menu
        # for a moment: a shot that does not pass is taken again, twice.
        for attempt in range(3):
            if os.path.exists(shot_path):
                os.remove(shot_path)
            run = subprocess.run([SCRIPT, '--screenshot', shot_path, *flags, BUILD],
                                 capture_output=True, text=True, timeout=150)
            self.assertEqual(run.returncode, 0, run.stderr)
            self.assertEqual(run.stdout.strip().splitlines()[-1], shot_path)
            try:
                check(Image.open(shot_path).convert('RGB'))
                return
            except AssertionError:
                if attempt == 2:
                    raise

    def test_screenshot_shows_the_menu_picture(self):
        self.take_until(os.path.join(BUILD, 'screenshots', 'cd-menu.png'),
                        self.check_picture_on_screen)

    def test_about_screenshot_shows_the_about_box_over_the_menu(self):
        self.take_until(os.path.join(BUILD, 'screenshots', 'cd-menu-about.png'),
                        self.check_about_box_on_screen, '--about')

    def find_picture(self, shot, row_bytes, rows):
        """Where the picture's top left corner lies in the shot, found by a row of it
        that no other row of the picture repeats."""
        key = next(y for y in rows if row_bytes.count(row_bytes[y]) == 1)
        found = find_row(shot, row_bytes[key])
        self.assertIsNotNone(found, 'picture row %d is not on the screen' % key)
        return found[0], found[1] - key

    def check_about_box_on_screen(self, shot):
        picture, row_bytes = menu_picture()
        # The title rows stay in sight above the box, which is centred on the menu.
        left, top = self.find_picture(shot, row_bytes, range(40, 150))
        # Around the middle of the picture control (the picture shown centred in the
        # window less its 32-pixel strip) lies the box: drawn, not the picture and not
        # a black rectangle.
        cx, cy = left + 290, top + 217
        area = [shot.getpixel((x, y)) for x in range(cx - 100, cx + 100, 4)
                for y in range(cy - 30, cy + 30, 4)]
        under = [picture[y - top][x - left] for x in range(cx - 100, cx + 100, 4)
                 for y in range(cy - 30, cy + 30, 4)]
        common, count = max(((c, area.count(c)) for c in set(area)), key=lambda e: e[1])
        self.assertNotEqual(common, (0, 0, 0), 'the About box is a black rectangle')
        self.assertGreater(count, len(area) // 2, 'no plain box face over the picture')
        self.assertLess(sum(a == b for a, b in zip(area, under)), len(area) // 2,
                        'the picture shows where the About box should be')

    def check_picture_on_screen(self, shot):
        picture, row_bytes = menu_picture()
        # A row through the panels' labels.
        left, top = self.find_picture(shot, row_bytes, range(208, 251))
        # The picture control is shorter than the picture, which it shows centred: the
        # part from the title to the footer is on the screen, row for row.
        data = shot.tobytes()
        for y in range(40, 396):
            sy = top + y
            line = data[(sy * shot.width + left) * 3:(sy * shot.width + left + 580) * 3]
            self.assertEqual(line, row_bytes[y], 'picture row %d differs on the screen' % y)
        for x, y in PANEL_CENTRES:
            self.assertEqual(shot.getpixel((left + x, top + y)), picture[y][x])


if __name__ == '__main__':
    SCRIPT, BUILD = sys.argv.pop(1), sys.argv.pop(1)
    unittest.main()
