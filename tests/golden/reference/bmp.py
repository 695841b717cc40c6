"""Uncompressed 24-bit Windows bitmaps: reading, measuring and writing.

The golden cases only use 24-bit files with the 40-byte information header, so anything else
is refused here rather than half supported.
"""

import struct

from raster import Image

FILE_HEADER = struct.Struct("<2sIHHI")
INFO_HEADER = struct.Struct("<IiiHHIIiiII")


def _row_bytes(width):
    return ((width * 24 + 31) // 32) * 4


def _read_headers(data, path):
    if len(data) < FILE_HEADER.size + INFO_HEADER.size:
        raise ValueError(f"{path}: too short for a bitmap")
    magic, _, _, _, offset = FILE_HEADER.unpack_from(data, 0)
    size, width, height, _, bits, compression = INFO_HEADER.unpack_from(data, 14)[:6]
    if magic != b"BM" or size != 40 or compression != 0 or bits != 24:
        raise ValueError(f"{path}: not an uncompressed 24-bit bitmap")
    if width < 1 or height < 1:
        raise ValueError(f"{path}: bitmap size {width} x {height}")
    return offset, width, height


def probe_bmp(path):
    """Returns (width, height) from the headers."""
    with open(path, "rb") as f:
        data = f.read(FILE_HEADER.size + INFO_HEADER.size)
    _, width, height = _read_headers(data, path)
    return width, height


def read_bmp(path):
    """Loads the picture; rows missing at the end of a short file stay black."""
    with open(path, "rb") as f:
        data = f.read()
    offset, width, height = _read_headers(data, path)
    image = Image(width, height)
    stride = _row_bytes(width)
    for stored in range(height):
        start = offset + stored * stride
        if start + stride > len(data):
            break
        image.rows[height - 1 - stored][:] = data[start:start + 3 * width]
    return image


def write_bmp(path, image):
    stride = _row_bytes(image.width)
    pixels = image.height * stride
    offset = FILE_HEADER.size + INFO_HEADER.size
    out = bytearray(FILE_HEADER.pack(b"BM", offset + pixels, 0, 0, offset))
    out += INFO_HEADER.pack(40, image.width, image.height, 1, 24, 0, pixels, 0, 0, 0, 0)
    padding = bytes(stride - 3 * image.width)
    for row in reversed(image.rows):
        out += row
        out += padding
    with open(path, "wb") as f:
        f.write(out)
