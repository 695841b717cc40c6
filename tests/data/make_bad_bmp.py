#!/usr/bin/env python3
"""Writes the malformed BMP files of tests/data/bad/: each must be refused cleanly."""
import os
import struct

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "bad")


def bmp(width, height, bits, compression=0, clr_used=0, header_size=40, magic=b"BM",
        table=b"", pixels=b"", off_bits=None):
    info = struct.pack("<IiiHHIIiiII", header_size, width, height, 1, bits, compression,
                       0, 0, 0, clr_used, 0)
    if off_bits is None:
        off_bits = 14 + 40 + len(table)
    body = info + table + pixels
    return magic + struct.pack("<IHHI", 14 + len(body), 0, 0, off_bits) + body


def write(name, data):
    with open(os.path.join(OUT, name), "wb") as f:
        f.write(data)


row = bytes(12)
write("bmp_bad_magic.bmp", bmp(3, 2, 24, magic=b"BX", pixels=row * 2))
write("bmp_nine_bytes.bmp", b"BM" + bytes(7))
write("bmp_rle8.bmp", bmp(3, 2, 8, compression=1, table=bytes(1024), pixels=bytes(8)))
write("bmp_rle4.bmp", bmp(3, 2, 4, compression=2, table=bytes(64), pixels=bytes(8)))
write("bmp_16bit.bmp", bmp(3, 2, 16, pixels=bytes(16)))
write("bmp_32bit.bmp", bmp(3, 2, 32, pixels=bytes(24)))
write("bmp_top_down.bmp", bmp(3, -2, 24, pixels=row * 2))
write("bmp_zero_width.bmp", bmp(0, 2, 24, pixels=row * 2))
write("bmp_clr_used_300.bmp", bmp(3, 2, 8, clr_used=300, table=bytes(1200), pixels=bytes(8)))
write("bmp_header_size_64.bmp", bmp(3, 2, 24, header_size=64, pixels=row * 2))
write("bmp_short_color_table.bmp", bmp(3, 2, 8, clr_used=200, table=bytes(16)))
write("bmp_huge_width.bmp", bmp(0x7FFFFFFF, 1, 24, pixels=row))
write("bmp_core_header_short.bmp",
      b"BM" + struct.pack("<IHHI", 40, 0, 0, 26) + struct.pack("<IHHHH", 12, 2, 2, 1, 24) + bytes(8))
write("empty_file.bmp", b"")
write("text_starting_with_B.txt", b"Bananas are not bitmaps.\n")
