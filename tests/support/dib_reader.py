"""Reads device-independent bitmaps for the tests: headers, colour tables and a strict
RLE8/RLE4 decoder written apart from the generator's encoder, so a round trip
through both checks the encoder against the format rather than against itself.
"""

import struct

INFO_FIELDS = ('size', 'width', 'height', 'planes', 'bits', 'compression', 'size_image',
               'x_ppm', 'y_ppm', 'clr_used', 'clr_important')


class FormatError(Exception):
    pass


def info_header(data, offset=0):
    """The BITMAPINFOHEADER at offset, as a dict."""
    return dict(zip(INFO_FIELDS, struct.unpack_from('<IiiHHIIiiII', data, offset)))


def colour_table(data, offset, entries):
    """entries (r, g, b) tuples read from B, G, R, reserved quads."""
    return [tuple(reversed(data[offset + 4 * i:offset + 4 * i + 3])) for i in range(entries)]


def decode_rle(data, width, height, bits):
    """Rows of colour indices, top row first, from BI_RLE8 (bits 8) or BI_RLE4 data.

    Strict about what a well-formed picture of ours holds: every row filled to the
    width, no pixel past it, no delta escapes, word-aligned absolute runs, and the
    end-of-bitmap code as the last two bytes.
    """
    rows = []
    row = []
    i = 0

    def need(n):
        if i + n > len(data):
            raise FormatError('data ends inside a code at byte %d' % i)

    def put(values):
        if len(row) + len(values) > width:
            raise FormatError('row %d runs past the width' % len(rows))
        row.extend(values)

    def end_row():
        nonlocal row
        if len(row) != width:
            raise FormatError('row %d holds %d of %d pixels' % (len(rows), len(row), width))
        rows.append(row)
        row = []

    while True:
        need(2)
        first, second = data[i], data[i + 1]
        i += 2
        if first:
            if bits == 8:
                put([second] * first)
            else:
                pair = (second >> 4, second & 15)
                put([pair[k % 2] for k in range(first)])
            continue
        if second == 0:
            end_row()
            continue
        if second == 1:
            end_row()
            break
        if second == 2:
            raise FormatError('delta escape at byte %d' % (i - 2))
        count = second
        size = count if bits == 8 else (count + 1) // 2
        need(size)
        chunk = data[i:i + size]
        if bits == 8:
            put(list(chunk))
        else:
            nibbles = [n for b in chunk for n in (b >> 4, b & 15)]
            put(nibbles[:count])
        i += size + (size % 2)
    if i != len(data):
        raise FormatError('%d bytes after the end of the bitmap' % (len(data) - i))
    if len(rows) != height:
        raise FormatError('%d rows for a height of %d' % (len(rows), height))
    rows.reverse()
    return rows


def read_dib(data):
    """(info, palette, rows top first) of a packed DIB: header, table and RLE bits."""
    info = info_header(data)
    if info['size'] != 40:
        raise FormatError('header size %d' % info['size'])
    if info['height'] <= 0:
        raise FormatError('RLE bitmaps must be bottom-up')
    entries = info['clr_used'] or (1 << info['bits'])
    bits_at = 40 + 4 * entries
    palette = colour_table(data, 40, entries)
    image = data[bits_at:]
    if info['size_image'] != len(image):
        raise FormatError('biSizeImage %d, data %d' % (info['size_image'], len(image)))
    rows = decode_rle(image, info['width'], info['height'], info['bits'])
    return info, palette, rows


def read_bmp_file(data):
    """read_dib of a .bmp file, after checking its file header."""
    magic, size, _, _, offset = struct.unpack_from('<2sIHHI', data)
    if magic != b'BM' or size != len(data):
        raise FormatError('not a complete BMP file')
    info = info_header(data, 14)
    if offset != 14 + 40 + 4 * (info['clr_used'] or (1 << info['bits'])):
        raise FormatError('pixel offset %d does not follow the colour table' % offset)
    return read_dib(data[14:])


def rgb_rows(palette, rows):
    """The picture as rows of (r, g, b)."""
    return [[palette[v] for v in row] for row in rows]
