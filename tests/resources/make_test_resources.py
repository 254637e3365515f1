"""Writes the test-only resource files: run-length encoded pictures of 580 x 435 pixels
(8-bit RLE8 and 4-bit RLE4), a picture whose encoded size is missing, and a 32 x 32
monochrome hand-spot cursor with its hot spot at (16, 6)."""
import struct
import sys

WIDTH, HEIGHT = 580, 435


def runs_for_row(y, colours):
    """Three bands across the row, their colours changing every 50 rows."""
    band = (y // 50) % 4
    return [(200, (band + 1) % colours), (200, (band + 5) % colours), (180, colours - 1)]


def encode_rle8(rows):
    out = bytearray()
    for runs in rows:
        for count, colour in runs:
            while count > 0:
                n = min(count, 255)
                out += bytes([n, colour])
                count -= n
        out += b"\x00\x00"
    out[-2:] = b"\x00\x01"
    return bytes(out)


def encode_rle4(rows):
    out = bytearray()
    for runs in rows:
        for count, colour in runs:
            while count > 0:
                n = min(count, 254)
                out += bytes([n, (colour << 4) | colour])
                count -= n
        out += b"\x00\x00"
    out[-2:] = b"\x00\x01"
    return bytes(out)


def bitmap_file(bits, compression, colours, data, size_image):
    table = b"".join(struct.pack("<BBBB", (i * 37) % 256, (i * 91) % 256, (i * 53) % 256, 0)
                     for i in range(colours))
    # Bottom-up (positive height), as run-length encoded bitmaps must be.
    info = struct.pack("<IiiHHIIiiII", 40, WIDTH, HEIGHT, 1, bits, compression, size_image,
                       2835, 2835, colours, 0)
    offset = 14 + len(info) + len(table)
    header = struct.pack("<2sIHHI", b"BM", offset + len(data), 0, 0, offset)
    return header + info + table + data


def hand_cursor():
    xor_mask = bytearray(128)
    and_mask = bytearray(b"\xff" * 128)
    for row in range(32):
        for col in range(12, 22):
            if row >= 4:
                index = (31 - row) * 4 + col // 8
                and_mask[index] &= ~(0x80 >> (col % 8)) & 0xFF
    info = struct.pack("<IiiHHIIiiII", 40, 32, 64, 1, 1, 0, 256, 0, 0, 2, 0)
    image = info + b"\x00\x00\x00\x00\xff\xff\xff\x00" + bytes(xor_mask) + bytes(and_mask)
    directory = struct.pack("<HHH", 0, 2, 1)
    entry = struct.pack("<BBBBHHII", 32, 32, 0, 0, 16, 6, len(image), 22)
    return directory + entry + image


def main(out_dir):
    rows8 = [runs_for_row(y, 256) for y in range(HEIGHT)]
    rows4 = [runs_for_row(y, 16) for y in range(HEIGHT)]
    rle8 = encode_rle8(rows8)
    rle4 = encode_rle4(rows4)
    files = {
        "picture8.bmp": bitmap_file(8, 1, 256, rle8, len(rle8)),
        "picture4.bmp": bitmap_file(4, 2, 16, rle4, len(rle4)),
        "no_size.bmp": bitmap_file(8, 1, 256, rle8, 0),
        "hand.cur": hand_cursor(),
    }
    for name, content in files.items():
        with open(f"{out_dir}/{name}", "wb") as f:
            f.write(content)


if __name__ == "__main__":
    main(sys.argv[1])
