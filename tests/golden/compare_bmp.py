"""Compares the pictures of two 24-bit BMP files, ignoring their header bytes.

    compare_bmp.py EXPECTED ACTUAL

Exits 0 when size and every pixel agree; otherwise prints the size difference or the first
differing pixel (x from the left, y from the top, bytes blue, green, red) and how many differ.
"""

import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "reference"))

from bmp import read_bmp  # noqa: E402


def first_difference(expected, actual):
    """Returns (x, y, differing pixel count) of the first differing pixel, or None."""
    first = None
    count = 0
    for y, (want, got) in enumerate(zip(expected.rows, actual.rows)):
        if want == got:
            continue
        for x in range(expected.width):
            if want[3 * x:3 * x + 3] != got[3 * x:3 * x + 3]:
                count += 1
                if first is None:
                    first = (x, y)
    return None if first is None else (*first, count)


def main(argv):
    if len(argv) != 2:
        print(__doc__, file=sys.stderr)
        return 2
    expected, actual = (read_bmp(path) for path in argv)
    if (expected.width, expected.height) != (actual.width, actual.height):
        print(f"size {actual.width} x {actual.height}, expected "
              f"{expected.width} x {expected.height}")
        return 1
    difference = first_difference(expected, actual)
    if difference is None:
        return 0
    x, y, count = difference
    print(f"first difference at pixel ({x}, {y}): {actual.pixel(x, y)}, expected "
          f"{expected.pixel(x, y)} (blue, green, red); {count} of "
          f"{expected.width * expected.height} pixels differ")
    return 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
