"""Checks the reference against the worked numbers the product's behaviour is pinned to.

Run with python3; exits non-zero and names every check that fails.
"""

import sys

import geometry
from frame import _frame_pixel, draw_button_frame
from order import ParkMiller, RandomOrder, SequentialOrder, sorted_tile_list
from raster import Image, blend_from, rotate_left
from resample import box_map, position_64ths, resample

failures = []


def check(name, got, expected):
    if got != expected:
        failures.append(f"{name}: got {got!r}, expected {expected!r}")


def uniform(width, height, value):
    image = Image(width, height)
    image.rows = [bytearray([value] * (3 * width)) for _ in range(height)]
    return image


def byte_values(image):
    return {b for row in image.rows for b in row}


def check_geometry():
    width_in, height_in = geometry.print_size_from_width(10.0, 640, 480)
    check("640x480 print size", (width_in, height_in), (10.0, 7.5))
    pixels = (600 * width_in / 4, 600 * height_in / 4)
    check("640x480 poster resolution", pixels, (1500.0, 1125.0))
    grid = geometry.tile_grid(640, pixels, (640, 480), geometry.size_factor("medium"))
    check("640x480 medium grid", grid, (44, 43, 34, 26))
    check("640x480 poster pixels", (44 * 34, 43 * 26), (1496, 1118))
    for size, across in (("small", 80), ("large", 31), ("custom:100", 25), ("custom:500", 11)):
        got = geometry.tile_grid(640, pixels, (640, 480), geometry.size_factor(size))
        check(f"640 wide, {size}, tiles across", got.tiles_across, across)
    check("300x200 initial print size", geometry.initial_print_size(300, 200, 600), (0.5, 0.33))
    portrait3 = [(30, 40)] * 3 + [(40, 30)] * 2
    check("3 portrait 2 landscape", geometry.average_tile_size(portrait3, True), (30, 40, False))
    tie = [(30, 40)] * 2 + [(40, 30)] * 2
    check("2 and 2 tie is portrait", geometry.average_tile_size(tie, True), (30, 40, False))
    check("landscape majority", geometry.average_tile_size([(40, 30)] * 2 + [(30, 40)], True),
          (40, 30, True))


def check_order():
    generator = ParkMiller(1)
    for _ in range(9999):
        generator.next()
    check("Park-Miller 10000th value from 1", generator.next(), 1043618065)
    check("seed 0 taken as 1", ParkMiller(0).state, 1)
    check("seed reduced mod 2^31-1", ParkMiller(2147483648).state, 1)
    random = RandomOrder(5, 99)
    drawn = [random.first()] + [random.next(0, 5) for _ in range(9)]
    check("random: each of 5 once per pass", (sorted(drawn[:5]), sorted(drawn[5:])),
          (list(range(5)), list(range(5))))
    sequential = SequentialOrder()
    cells = [sequential.first()]
    for _ in range(3):
        cells.append(sequential.next(cells[-1], 3))
    check("sequential 3 tiles on 2x2", cells, [0, 1, 2, 0])
    check("list ignores case", sorted_tile_list(["b.jpg", "A.jpg", "c.jpg"]),
          ["A.jpg", "b.jpg", "c.jpg"])
    check("equal names keep their order", sorted_tile_list(["x.bmp", "X.bmp", "a.bmp"]),
          ["a.bmp", "x.bmp", "X.bmp"])


def check_resampling():
    mapping = box_map(32, 16)
    boxes = [[k for k in range(32) if mapping[k] == c] for c in range(16)]
    check("32->16 boxes", (boxes[0], boxes[1], boxes[15], mapping[31]), ([0], [1, 2], [29, 30], 16))
    check("64ths of position 0", position_64ths(0, 10, 20), (0, 1, 0))
    check("64ths halfway", position_64ths(2, 10, 20), (0, 1, 32))
    check("64ths neighbour held at the edge", position_64ths(4, 2, 5), (1, 1, 6))
    white = uniform(6, 5, 255)
    check("white at own size", byte_values(resample(white, 6, 5)), {252})
    enlarged = byte_values(resample(white, 13, 11))
    check("white enlarged stays in 252..255", enlarged <= set(range(252, 256)), True)
    for size in ((3, 2), (3, 9), (13, 2)):
        check(f"white through box or 64ths to {size}", byte_values(resample(white, *size)), {255})
    source = Image(4, 1)
    source.rows[0][:] = bytes(20 * k for k in range(12))
    shifted = resample(source, 4, 1)
    check("same size averages with left neighbour", shifted.pixel(1, 0), (30, 50, 70))


def check_pixels():
    for emphasis, expected in ((4, 150), (1, 112), (7, 187)):
        cell, main = uniform(2, 2, 200), uniform(2, 2, 100)
        blend_from(cell, main, 0, 0, 2, 2, 8 - emphasis, emphasis)
        check(f"blend emphasis {emphasis}", cell.pixel(1, 1), (expected,) * 3)
    wide = Image(4, 2)
    for x in range(4):
        for y in range(2):
            wide.rows[y][3 * x:3 * x + 3] = bytes((x, y, 0))
    turned = rotate_left(wide)
    check("rotate 4x2 size", (turned.width, turned.height), (2, 4))
    check("rotate top-left was top-right", turned.pixel(0, 0), wide.pixel(3, 0))
    check("rotate bottom-left was top-left", turned.pixel(0, 3), wide.pixel(0, 0))
    geometry_100x80 = (99, 79, 5, 4)
    check("100x80 frame left strip is light",
          _frame_pixel(0, 40, geometry_100x80, (49.5, 39.5))[0] >= 128, True)
    check("100x80 frame right strip is dark",
          _frame_pixel(99, 40, geometry_100x80, (49.5, 39.5))[0] < 128, True)
    tile = uniform(100, 80, 100)
    draw_button_frame(tile, 5)
    check("100x80 frame is 5 wide at the sides", (tile.pixel(4, 40) != (100,) * 3,
          tile.pixel(5, 40)), (True, (100,) * 3))
    check("100x80 frame is 4 high", (tile.pixel(50, 3) != (100,) * 3, tile.pixel(50, 4)),
          (True, (100,) * 3))
    single = uniform(1, 1, 100)
    draw_button_frame(single, 5)
    check("1x1 tile is all frame", single.pixel(0, 0) != (100,) * 3, True)


def main():
    check_geometry()
    check_order()
    check_resampling()
    check_pixels()
    for failure in failures:
        print(failure, file=sys.stderr)
    print(f"{len(failures)} failed" if failures else "all reference checks hold")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
