"""Writes the golden cases: small BMP inputs, the build arguments, and the poster that the
reference computes for them.

    /usr/bin/python3 tests/golden/make_cases.py

Each case folder holds main.bmp, its tile BMPs, `args` (one build argument per line, tile
paths relative to the folder) and expected.bmp. The script checks that the cases together
exercise every border style, the crop and rotate switches, both orientation majorities,
emphasis 1, 4 and 7, both orders, the main image reduced and enlarged, and each of the four
resampling procedures on tiles.
"""

import os
import shutil
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "reference"))

from bmp import write_bmp  # noqa: E402
from build import build_poster  # noqa: E402
from cli import options_from_args  # noqa: E402
from raster import Image  # noqa: E402
import resample  # noqa: E402


def _hash(x, y, salt):
    v = (x * 73856093) ^ (y * 19349663) ^ (salt * 83492791)
    v = (v ^ (v >> 13)) * 0x5BD1E995 & 0xFFFFFFFF
    return (v ^ (v >> 15)) & 0xFF


def noise(x, y, w, h, salt):
    return (_hash(x, y, salt), _hash(x, y, salt + 1), _hash(x, y, salt + 2))


def gradient(x, y, w, h, salt):
    return ((x * 255) // max(w - 1, 1), (y * 255) // max(h - 1, 1),
            (salt * 40 + (x + y) * 7) & 0xFF)


def checker(x, y, w, h, salt):
    on = ((x // 3) + (y // 2)) % 2
    return (255, 40 + salt, 10) if on else (0, 200 - salt, 250)


def rings(x, y, w, h, salt):
    d = (2 * x - w) ** 2 + (2 * y - h) ** 2
    return ((d // 7 + salt) & 0xFF, (d // 13) & 0xFF, 255 - ((d // 5) & 0xFF))


def stripes(x, y, w, h, salt):
    band = (x + 2 * y + salt) % 9
    return (band * 31, 255 - band * 28, (x * 11 + salt) & 0xFF)


def picture(w, h, pattern, salt):
    image = Image(w, h)
    for y in range(h):
        row = image.rows[y]
        for x in range(w):
            row[3 * x:3 * x + 3] = bytes(pattern(x, y, w, h, salt))
    return image


# name: (main (w, h, pattern), tiles [(file, w, h, pattern)], build arguments)
CASES = {
    "line_random_landscape": (
        (40, 30, noise),
        [("Zebra.bmp", 27, 20, gradient), ("apple.bmp", 30, 20, rings),
         ("tile_b.bmp", 16, 24, stripes), ("tileA.bmp", 34, 22, noise)],
        ["--print-width", "0.4", "--size", "custom:200", "--order", "random",
         "--seed", "12345", "--emphasis", "4", "--borders", "line"]),
    "frame_sequential_portrait": (
        (24, 32, gradient),
        [("p1.bmp", 14, 20, checker), ("P2.bmp", 12, 18, noise), ("sq.bmp", 16, 16, rings),
         ("wide.bmp", 24, 14, stripes)],
        ["--print-width", "0.3", "--size", "medium", "--order", "sequential",
         "--emphasis", "7", "--borders", "frame"]),
    "none_nocrop_norotate": (
        (36, 27, rings),
        [("long.bmp", 60, 10, noise), ("tall.bmp", 6, 40, gradient),
         ("tiny.bmp", 5, 4, checker)],
        ["--print-width", "0.4", "--dpi", "300", "--fraction", "2", "--size", "custom:300",
         "--order", "sequential", "--emphasis", "1", "--borders", "none", "--no-crop",
         "--no-rotate"]),
    "main_reduced_line": (
        (40, 30, stripes),
        [("m1.bmp", 12, 9, noise), ("m2.bmp", 10, 14, rings), ("m3.bmp", 30, 30, gradient)],
        ["--print-width", "0.8", "--fraction", "16", "--size", "custom:400",
         "--order", "random", "--seed", "0", "--emphasis", "7", "--borders", "line"]),
    "initial_print_size": (
        (40, 30, rings),
        [("d1.bmp", 14, 10, gradient), ("d2.bmp", 9, 13, noise), ("d3.bmp", 21, 15, stripes),
         ("d4.bmp", 12, 12, checker)],
        ["--dpi", "150", "--fraction", "1", "--size", "large", "--order", "sequential",
         "--emphasis", "4", "--borders", "none"]),
    "tiny_main_grown": (
        (12, 9, gradient),
        [("t1.bmp", 5, 4, noise), ("t2.bmp", 7, 7, rings)],
        ["--dpi", "1800", "--fraction", "1", "--size", "custom:400", "--order", "sequential",
         "--emphasis", "7", "--borders", "frame"]),
    "list_order_and_duplicates": (
        (30, 20, noise),
        [("b.bmp", 16, 12, checker), ("B.bmp", 16, 12, rings), ("a.bmp", 20, 14, gradient),
         ("a.bmp", 20, 14, gradient), ("Tile_z.bmp", 24, 15, stripes),
         ("tilea.bmp", 12, 10, noise)],
        ["--print-width", "0.4", "--size", "medium", "--order", "sequential",
         "--emphasis", "7", "--borders", "none"]),
    "frame_large_tiles": (
        (40, 16, gradient),
        [("f1.bmp", 48, 36, noise), ("f2.bmp", 44, 33, rings), ("f3.bmp", 33, 44, stripes)],
        ["--print-width", "0.59", "--size", "custom:500", "--order", "random",
         "--seed", "3000000000", "--emphasis", "4", "--borders", "frame"]),
    "portrait_nocrop_thirds": (
        (18, 30, checker),
        [("q1.bmp", 10, 16, gradient), ("q2.bmp", 12, 20, noise), ("q3.bmp", 9, 14, rings),
         ("q4.bmp", 30, 8, stripes), ("q5.bmp", 24, 20, noise)],
        ["--print-width", "0.31", "--dpi", "200", "--fraction", "3", "--size", "custom:150",
         "--order", "random", "--seed", "42", "--emphasis", "1", "--borders", "line",
         "--no-crop"]),
    "small_tiles_eighth": (
        (30, 24, checker),
        [("s1.bmp", 8, 6, noise), ("s2.bmp", 3, 5, rings), ("s3.bmp", 9, 9, gradient)],
        ["--print-width", "0.7", "--dpi", "720", "--fraction", "8", "--size", "small",
         "--order", "random", "--seed", "7", "--emphasis", "4", "--borders", "line"]),
    "frame_one_pixel_tiles": (
        (20, 15, rings),
        [("o1.bmp", 8, 6, noise), ("o2.bmp", 5, 7, gradient), ("o3.bmp", 6, 6, checker)],
        ["--print-width", "0.37", "--fraction", "16", "--size", "small", "--order", "random",
         "--seed", "2147483648", "--emphasis", "7", "--borders", "frame"]),
    "line_two_pixel_cells_subfolder": (
        (20, 15, noise),
        [("sub_a.bmp", 8, 6, rings), ("sub/Q.bmp", 12, 9, stripes), ("sub/p.bmp", 4, 3, noise)],
        ["--print-width", "0.75", "--fraction", "16", "--size", "small", "--order",
         "sequential", "--emphasis", "1", "--borders", "line"]),
}


def write_case(name, main_spec, tile_specs, args):
    folder = os.path.join(HERE, "cases", name)
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    mw, mh, pattern = main_spec
    write_bmp(os.path.join(folder, "main.bmp"), picture(mw, mh, pattern, len(name)))
    for salt, (file, w, h, tile_pattern) in enumerate(tile_specs):
        path = os.path.join(folder, file)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        write_bmp(path, picture(w, h, tile_pattern, 17 * salt + 3))
    build_args = ["main.bmp"] + [file for file, _, _, _ in tile_specs] + args
    with open(os.path.join(folder, "args"), "w") as f:
        f.write("\n".join(build_args) + "\n")
    cwd = os.getcwd()
    os.chdir(folder)
    try:
        options, _, _ = options_from_args(build_args + ["-o", "expected.bmp"])
        poster = build_poster(options)
        write_bmp("expected.bmp", poster)
    finally:
        os.chdir(cwd)
    print(f"{name}: poster {poster.width} x {poster.height}")
    for note in options.notes:
        print(f"    {note}")
    return options


def coverage(all_options):
    """Names of the required features that no case exercises."""
    seen = set()
    for o in all_options:
        seen |= {f"borders {o.borders}", f"crop {o.crop}", f"rotate {o.rotate}",
                 f"emphasis {o.emphasis}", f"order {o.order}"}
        for note in o.notes:
            kind = note.split(" ", 1)[0]
            if kind == "print" and o.rotate:
                seen.add("landscape majority " + note.rsplit(" ", 1)[1])
            if kind in ("main", "tile"):
                seen.add(f"{kind} {note.rsplit(' by ', 1)[1]}")
    required = {"borders frame", "borders line", "borders none", "crop True", "crop False",
                "rotate True", "rotate False", "emphasis 1", "emphasis 4", "emphasis 7",
                "order random", "order sequential", "landscape majority True",
                "landscape majority False", f"main {resample.REDUCE_BOTH}",
                f"main {resample.ENLARGE_BOTH}"}
    required |= {f"tile {p}" for p in resample.PROCEDURES}
    return sorted(required - seen)


def main():
    done = [write_case(name, *definition) for name, definition in CASES.items()]
    missing = coverage(done)
    if missing:
        print("not exercised: " + ", ".join(missing))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
