#!/usr/bin/python3
"""The resources of the built ZELVANE.EXE, read back from the executable:

    zelvane_res_test.py PATH_TO_ZELVANE.EXE

dialog templates, the two menu pictures, the icon, the hand cursor and the version
block."""

import os
import struct
import sys
import unittest

import pefile

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, 'support'))
import dib_reader  # noqa: E402

RES = os.path.join(os.path.dirname(HERE), 'zelvane', 'res')
EXE = None

RT_CURSOR, RT_BITMAP, RT_ICON, RT_DIALOG, RT_GROUP_CURSOR, RT_GROUP_ICON = 1, 2, 3, 5, 12, 14

WS_POPUP, WS_VISIBLE, WS_CHILD = 0x80000000, 0x10000000, 0x40000000
WS_CAPTION, WS_SYSMENU, WS_MINIMIZEBOX = 0x00C00000, 0x00080000, 0x00020000
WS_TABSTOP, WS_GROUP = 0x00010000, 0x00020000
DS_MODALFRAME, DS_SETFONT = 0x80, 0x40
BUTTON, STATIC = 0x80, 0x82


def resources(pe):
    """{(type, id): bytes} of every resource (one language each in this program)."""
    found = {}
    for kind in pe.DIRECTORY_ENTRY_RESOURCE.entries:
        for item in kind.directory.entries:
            for lang in item.directory.entries:
                entry = lang.data.struct
                found[(kind.id, item.id)] = pe.get_data(entry.OffsetToData, entry.Size)
    return found


def sz_or_ord(data, i):
    """A dialog template's name field: (value, next offset); value None, int or str."""
    first = struct.unpack_from('<H', data, i)[0]
    if first == 0:
        return None, i + 2
    if first == 0xFFFF:
        return struct.unpack_from('<H', data, i + 2)[0], i + 4
    end = i
    while struct.unpack_from('<H', data, end)[0]:
        end += 2
    return data[i:end].decode('utf-16-le'), end + 2


def parse_dialog(data):
    """A DLGTEMPLATE with its items, as a dict."""
    style, ex_style, count, x, y, cx, cy = struct.unpack_from('<IIHhhhh', data)
    i = 18
    menu, i = sz_or_ord(data, i)
    klass, i = sz_or_ord(data, i)
    caption, i = sz_or_ord(data, i)
    dialog = dict(style=style, ex_style=ex_style, rect=(x, y, cx, cy), menu=menu,
                  klass=klass, caption=caption, items=[])
    if style & DS_SETFONT:
        dialog['point_size'] = struct.unpack_from('<H', data, i)[0]
        dialog['font'], i = sz_or_ord(data, i + 2)
    for _ in range(count):
        i = (i + 3) & ~3
        istyle, iex, ix, iy, icx, icy, ident = struct.unpack_from('<IIhhhhH', data, i)
        i += 18
        iclass, i = sz_or_ord(data, i)
        text, i = sz_or_ord(data, i)
        extra = struct.unpack_from('<H', data, i)[0]
        i += 2 + extra
        dialog['items'].append(dict(style=istyle, ex_style=iex, rect=(ix, iy, icx, icy),
                                    id=ident, klass=iclass, text=text))
    return dialog


class Resources(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.pe = pefile.PE(EXE)
        cls.res = resources(cls.pe)

    def test_menu_window_template(self):
        d = parse_dialog(self.res[(RT_DIALOG, 102)])
        self.assertEqual(d['caption'], 'Velmora Product Preview CD')
        self.assertEqual(d['rect'], (0, 0, 392, 250))
        self.assertEqual((d['point_size'], d['font']), (8, 'MS Sans Serif'))
        self.assertEqual(d['style'], WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU |
                         WS_MINIMIZEBOX | DS_MODALFRAME | DS_SETFONT)
        self.assertIsNone(d['menu'])
        # Tab order is template order: Exit first, then the check box; no OK button.
        exit_button, check = d['items']
        self.assertEqual((exit_button['klass'], exit_button['text'], exit_button['id']),
                         (BUTTON, 'Exit', 2))
        self.assertEqual(exit_button['rect'], (340, 235, 50, 14))
        self.assertEqual(exit_button['style'], WS_CHILD | WS_VISIBLE | WS_TABSTOP)
        self.assertEqual((check['klass'], check['text'], check['id']),
                         (BUTTON, 'Show next time CD is inserted', 1002))
        self.assertEqual(check['rect'], (5, 235, 219, 11))
        self.assertEqual(check['style'], WS_CHILD | WS_VISIBLE | WS_TABSTOP | 3)  # auto check box

    def test_about_box_template(self):
        d = parse_dialog(self.res[(RT_DIALOG, 100)])
        self.assertEqual(d['caption'], 'About zelvane')
        self.assertEqual(d['rect'], (34, 22, 217, 55))
        self.assertEqual((d['point_size'], d['font']), (8, 'MS Sans Serif'))
        self.assertEqual(d['style'], WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME |
                         DS_SETFONT)
        icon, text, ok = d['items']
        self.assertEqual((icon['klass'], icon['text'], icon['rect']), (STATIC, 128, (11, 17, 20, 20)))
        self.assertEqual(icon['style'] & 0x1F, 3)   # SS_ICON
        self.assertEqual((text['klass'], text['text'], text['rect']),
                         (STATIC, 'zelvane Version 1.0', (40, 10, 119, 8)))
        self.assertEqual(text['style'] & 0x1F, 0)   # SS_LEFT
        self.assertEqual((ok['klass'], ok['text'], ok['id'], ok['rect']),
                         (BUTTON, 'OK', 1, (176, 6, 32, 14)))
        self.assertEqual(ok['style'] & 0xF, 1)      # BS_DEFPUSHBUTTON

    def test_pictures_are_the_committed_artwork_in_rle(self):
        for ident, name, bits, compression in ((129, 'menu256.bmp', 8, 1),
                                               (130, 'menu16.bmp', 4, 2)):
            data = self.res[(RT_BITMAP, ident)]
            info, palette, rows = dib_reader.read_dib(data)
            self.assertEqual((info['width'], info['height']), (580, 435))
            self.assertEqual((info['bits'], info['compression']), (bits, compression))
            self.assertEqual(len(palette), 1 << bits)
            with open(os.path.join(RES, name), 'rb') as f:
                self.assertEqual(data, f.read()[14:], name)

    def test_icon_is_one_32_pixel_16_colour_image(self):
        group = self.res[(RT_GROUP_ICON, 128)]
        reserved, kind, count = struct.unpack_from('<HHH', group)
        self.assertEqual((kind, count), (1, 1))
        w, h, colours, _, planes, bits, size, ident = struct.unpack_from('<BBBBHHIH', group, 6)
        self.assertEqual((w, h, colours, bits), (32, 32, 16, 4))
        info = dib_reader.info_header(self.res[(RT_ICON, ident)])
        self.assertEqual((info['width'], info['height'], info['bits']), (32, 64, 4))

    def test_hand_cursor_is_monochrome_with_its_hot_spot_on_the_hand(self):
        group = self.res[(RT_GROUP_CURSOR, 143)]
        _, kind, count = struct.unpack_from('<HHH', group)
        self.assertEqual((kind, count), (2, 1))
        ident = struct.unpack_from('<H', group, 6 + 12)[0]
        image = self.res[(RT_CURSOR, ident)]
        hot_x, hot_y = struct.unpack_from('<HH', image)
        self.assertEqual((hot_x, hot_y), (16, 6))
        info = dib_reader.info_header(image, 4)
        self.assertEqual((info['width'], info['height'], info['bits']), (32, 64, 1))
        # The AND mask follows the 2-entry table and the 32 rows of XOR bits; bottom-up
        # rows of 4 bytes. A clear AND bit is an opaque pixel of the hand.
        and_mask = image[4 + 40 + 8 + 32 * 4:]
        row = and_mask[(31 - hot_y) * 4:(32 - hot_y) * 4]
        self.assertEqual((row[hot_x // 8] >> (7 - hot_x % 8)) & 1, 0)

    def test_version_block(self):
        fixed = self.pe.VS_FIXEDFILEINFO[0]
        self.assertEqual((fixed.FileVersionMS, fixed.FileVersionLS), (0x10000, 1))
        self.assertEqual((fixed.ProductVersionMS, fixed.ProductVersionLS), (0x10000, 1))
        tables = {}
        for info in self.pe.FileInfo[0]:
            for table in getattr(info, 'StringTable', []):
                tables[table.LangID] = {k.decode(): v.decode() for k, v in table.entries.items()}
        self.assertEqual(list(tables), [b'040904B0'])
        strings = tables[b'040904B0']
        self.assertEqual(strings['FileDescription'], 'ZELVANE MFC Application')
        self.assertEqual(strings['InternalName'], 'ZELVANE')
        self.assertEqual(strings['OriginalFilename'], 'ZELVANE.EXE')
        self.assertEqual(strings['ProductName'], 'ZELVANE Application')
        self.assertEqual(strings['FileVersion'], '1, 0, 0, 1')
        self.assertEqual(strings['ProductVersion'], '1, 0, 0, 1')
        self.assertEqual(strings['CompanyName'], '')
        self.assertEqual(strings['LegalTrademarks'], '')


if __name__ == '__main__':
    EXE = sys.argv.pop(1)
    unittest.main()
