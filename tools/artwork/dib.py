"""Device-independent bitmap files: run-length encoding (RLE8, RLE4), .bmp, .ico, .cur.

Images come in as rows of colour indices, top row first; the files store them
bottom-up with a positive height, as Windows and Wine expect of RLE bitmaps.
"""

import struct

BI_RLE8 = 1
BI_RLE4 = 2
BI_RGB = 0

MAX_RUN = 255


def _run_length(row, start):
    """Length of the run of equal indices that starts at start, at most MAX_RUN."""
    n = 1
    while start + n < len(row) and n < MAX_RUN and row[start + n] == row[start]:
        n += 1
    return n


def _split_row(row):
    """Cuts one row into ('run', index, count) and ('literal', indices) pieces.

    Runs of three or more become encoded runs; what lies between them becomes a
    literal piece, which the caller writes in absolute mode when it is three or more
    long (absolute mode cannot hold fewer) and as short runs otherwise.
    """
    pieces = []
    literal = []
    i = 0
    while i < len(row):
        n = _run_length(row, i)
        if n >= 3:
            if literal:
                pieces.append(('literal', literal))
                literal = []
            pieces.append(('run', row[i], n))
            i += n
            continue
        literal.append(row[i])
        i += 1
        if len(literal) == MAX_RUN:
            pieces.append(('literal', literal))
            literal = []
    if literal:
        pieces.append(('literal', literal))
    return pieces


def _pack4(indices):
    """Two 4-bit indices a byte, high nibble first, padded to whole bytes."""
    out = bytearray()
    for i in range(0, len(indices), 2):
        hi = indices[i]
        lo = indices[i + 1] if i + 1 < len(indices) else 0
        out.append((hi << 4) | lo)
    return bytes(out)


def _encode_row(row, bits):
    out = bytearray()
    for piece in _split_row(row):
        if piece[0] == 'run':
            _, index, count = piece
            out += bytes((count, index if bits == 8 else (index << 4) | index))
            continue
        values = piece[1]
        if len(values) < 3:
            for v in values:
                out += bytes((1, v if bits == 8 else v << 4))
            continue
        data = bytes(values) if bits == 8 else _pack4(values)
        out += bytes((0, len(values))) + data
        if len(data) % 2:
            out.append(0)   # absolute runs end on a 16-bit boundary
    return out


def rle_encode(rows, bits):
    """Encodes rows (top row first) as BI_RLE8 (bits 8) or BI_RLE4 (bits 4) data."""
    if bits not in (4, 8):
        raise ValueError('RLE holds 4 or 8 bits per pixel')
    limit = 1 << bits
    out = bytearray()
    bottom_up = list(reversed(rows))
    for n, row in enumerate(bottom_up):
        if any(v < 0 or v >= limit for v in row):
            raise ValueError('colour index out of range for %d bits' % bits)
        out += _encode_row(row, bits)
        last = n == len(bottom_up) - 1
        out += b'\x00\x01' if last else b'\x00\x00'   # end of bitmap / end of line
    return bytes(out)


def _info_header(width, height, bits, compression, size_image, colours):
    return struct.pack('<IiiHHIIiiII', 40, width, height, 1, bits, compression,
                       size_image, 2835, 2835, colours, 0)


def _colour_table(palette, entries):
    """palette: list of (r, g, b); padded with black to entries; stored as B, G, R, 0."""
    if len(palette) > entries:
        raise ValueError('palette larger than the colour table')
    padded = list(palette) + [(0, 0, 0)] * (entries - len(palette))
    return b''.join(struct.pack('<BBBB', b, g, r, 0) for r, g, b in padded)


def rle_bitmap_file(rows, palette, bits):
    """A .bmp file of the image in BI_RLE8 or BI_RLE4 with a full colour table."""
    width, height = len(rows[0]), len(rows)
    entries = 1 << bits
    data = rle_encode(rows, bits)
    info = _info_header(width, height, bits, BI_RLE8 if bits == 8 else BI_RLE4,
                        len(data), entries)
    table = _colour_table(palette, entries)
    offset = 14 + len(info) + len(table)
    head = struct.pack('<2sIHHI', b'BM', offset + len(data), 0, 0, offset)
    return head + info + table + data


def _packed_rows(rows, bits):
    """Uncompressed DIB rows, bottom-up, each padded to 32 bits."""
    out = bytearray()
    for row in reversed(rows):
        line = bytearray()
        if bits == 1:
            for i in range(0, len(row), 8):
                byte = 0
                for j, v in enumerate(row[i:i + 8]):
                    byte |= (v & 1) << (7 - j)
                line.append(byte)
        else:
            line += _pack4(row)
        while len(line) % 4:
            line.append(0)
        out += line
    return bytes(out)


def _icon_image(colour_rows, mask_rows, palette, bits):
    """The image of an icon or cursor: header with doubled height, table, XOR, AND."""
    width, height = len(colour_rows[0]), len(colour_rows)
    xor = _packed_rows(colour_rows, bits)
    and_mask = _packed_rows(mask_rows, 1)
    info = _info_header(width, height * 2, bits, BI_RGB, len(xor) + len(and_mask), 0)
    return info + _colour_table(palette, 1 << bits) + xor + and_mask


def icon_file(colour_rows, mask_rows, palette):
    """A .ico file with one 16-colour image; mask 1 marks transparent pixels."""
    image = _icon_image(colour_rows, mask_rows, palette, 4)
    width, height = len(colour_rows[0]), len(colour_rows)
    head = struct.pack('<HHH', 0, 1, 1)
    entry = struct.pack('<BBBBHHII', width, height, 16, 0, 1, 4, len(image), 6 + 16)
    return head + entry + image


def cursor_file(colour_rows, mask_rows, hot_spot):
    """A .cur file with one monochrome image (index 0 black, 1 white) and its hot spot."""
    image = _icon_image(colour_rows, mask_rows, [(0, 0, 0), (255, 255, 255)], 1)
    width, height = len(colour_rows[0]), len(colour_rows)
    head = struct.pack('<HHH', 0, 2, 1)
    entry = struct.pack('<BBBBHHII', width, height, 2, 0, hot_spot[0], hot_spot[1],
                        len(image), 6 + 16)
    return head + entry + image
