#!/usr/bin/python3
"""The cd-image script writes the sample CD as an ISO 9660 image. Read back by its
Joliet names, as Windows reads it, the image holds every file of the sample CD with
the same bytes, carries the volume label, and its auto-start entry opens the menu on
the CD with "/cd".

    cd_menu_cd_image_test.py CD_IMAGE_SCRIPT BUILD_DIR
"""

import configparser
import os
import subprocess
import sys
import tempfile
import unittest

SCRIPT = BUILD = None


def xorriso(image, *commands):
    """Runs xorriso on the image's Joliet tree; returns its standard output."""
    run = subprocess.run(['xorriso', '-read_fs', 'norock', '-indev', image, *commands],
                         capture_output=True, text=True, timeout=120)
    if run.returncode != 0:
        raise AssertionError('xorriso failed: ' + run.stderr)
    return run.stdout


def files_below(root):
    """Every file below root as a path relative to it, with forward slashes."""
    found = set()
    for folder, _, names in os.walk(root):
        for name in names:
            found.add(os.path.relpath(os.path.join(folder, name), root).replace(os.sep, '/'))
    return found


class CdImage(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.temp = tempfile.TemporaryDirectory()
        cls.image = os.path.join(cls.temp.name, 'cd.iso')
        cls.written = subprocess.run([SCRIPT, BUILD, cls.image], capture_output=True, text=True,
                                 timeout=120)
        cls.sample = os.path.join(BUILD, 'cd')

    @classmethod
    def tearDownClass(cls):
        cls.temp.cleanup()

    def setUp(self):
        self.assertEqual(self.written.returncode, 0, self.written.stderr)
        self.assertEqual(self.written.stdout.strip(), self.image)

    def test_every_file_of_the_sample_cd_under_its_name(self):
        listed = xorriso(self.image, '-find', '/', '-type', 'f')
        in_image = {line.strip().strip("'").lstrip('/') for line in listed.splitlines()}
        self.assertEqual(in_image, files_below(self.sample))
        self.assertIn('TRIVE/wordview.exe', in_image)   # Joliet keeps the names' case

        out = os.path.join(self.temp.name, 'out')
        xorriso(self.image, '-osirrox', 'on', '-extract', '/', out)
        for name in sorted(in_image):
            with open(os.path.join(out, name), 'rb') as a, \
                    open(os.path.join(self.sample, name), 'rb') as b:
                self.assertEqual(a.read(), b.read(), name)

    def test_volume_label(self):
        self.assertIn('Volume Id    : VELMORA_PREVIEW', xorriso(self.image, '-pvd_info'))

    def test_auto_start_entry_opens_the_menu_for_the_cd(self):
        out = os.path.join(self.temp.name, 'AUTORUN.INF')
        xorriso(self.image, '-osirrox', 'on', '-extract', '/AUTORUN.INF', out)
        with open(out, 'rb') as f:
            text = f.read().decode('ascii')
        self.assertNotIn('\n', text.replace('\r\n', ''), 'lines end in CR LF')
        entry = configparser.ConfigParser()
        entry.read_string(text)
        self.assertEqual(entry['autorun']['open'], 'FRONT\\ZELVANE.EXE /cd')
        icon_file = entry['autorun']['icon'].split(',')[0]
        self.assertTrue(os.path.isfile(os.path.join(self.sample, icon_file.replace('\\', '/'))))
        # The SDK panel's setup names ..\..\win32.inf from its own folder.
        self.assertTrue(os.path.isfile(os.path.join(self.sample, 'WIN32SDK/MSTOOLS/win32.inf')))


if __name__ == '__main__':
    SCRIPT, BUILD = sys.argv.pop(1), sys.argv.pop(1)
    unittest.main()
