#!/usr/bin/env python3
"""Writes the malformed JPEG files of tests/data/bad/: each must be refused cleanly."""
import os

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "bad")

with open(os.path.join(HERE, "jpeg", "ycc420_37x23.jpg"), "rb") as f:
    GOOD = f.read()
SOF = GOOD.index(b"\xff\xc0")  # the frame header: marker, length, precision, height, width, ...


def write(name, data):
    with open(os.path.join(OUT, name), "wb") as f:
        f.write(data)


def patched(offset, *values):
    data = bytearray(GOOD)
    data[SOF + offset:SOF + offset + len(values)] = bytes(values)
    return bytes(data)


write("jpeg_garbage_after_ff.jpg", b"\xff" + b"this is not a JPEG file at all")
# Start of image, a comment (so that the file passes the 10-byte minimum), end of image.
write("jpeg_soi_eoi.jpg", b"\xff\xd8\xff\xfe\x00\x09padding\xff\xd9")
write("jpeg_cut_before_frame_header.jpg", GOOD[:SOF])
write("jpeg_precision_12.jpg", patched(4, 12))
write("jpeg_zero_width.jpg", patched(7, 0, 0))
write("jpeg_sampling_factor_zero.jpg", patched(11, 0))
