"""Command line of the reference, the `build` arguments of the product:

    cli.py MAIN [TILE...] -o OUT.bmp [--print-width IN] [--dpi N] [--fraction F]
           [--size small|medium|large|custom:P] [--order random|sequential] [--seed N]
           [--emphasis 1..7] [--borders frame|line|none] [--no-crop] [--no-rotate]
"""

import argparse
import re
import sys

from bmp import write_bmp
from build import BuildError, BuildOptions, build_poster


def _size(text):
    if text in ("small", "medium", "large") or re.fullmatch(r"custom:\d+", text):
        return text
    raise argparse.ArgumentTypeError(f"unknown size '{text}'")


def _parser():
    parser = argparse.ArgumentParser(prog="cli.py", description="reference poster build")
    parser.add_argument("images", nargs="+", metavar="MAIN [TILE...]")
    parser.add_argument("-o", dest="out", required=True)
    parser.add_argument("--print-width", type=float)
    parser.add_argument("--dpi", type=int, default=600)
    parser.add_argument("--fraction", type=int, choices=(1, 2, 3, 4, 8, 16), default=4)
    parser.add_argument("--size", type=_size, default="medium")
    parser.add_argument("--order", choices=("random", "sequential"), default="random")
    parser.add_argument("--seed", type=int)
    parser.add_argument("--emphasis", type=int, choices=range(1, 8), default=4)
    parser.add_argument("--borders", choices=("frame", "line", "none"), default="line")
    parser.add_argument("--no-crop", dest="crop", action="store_false")
    parser.add_argument("--no-rotate", dest="rotate", action="store_false")
    parser.add_argument("--verbose", action="store_true", help="print geometry and tile steps")
    return parser


def options_from_args(args):
    """Parses build arguments into (BuildOptions, output path, verbose flag)."""
    ns = _parser().parse_intermixed_args(args)
    if ns.order == "random" and ns.seed is None:
        raise SystemExit("cli.py: the reference needs --seed for random order")
    options = BuildOptions(main=ns.images[0], tiles=ns.images[1:], dpi=ns.dpi,
                           print_width=ns.print_width, fraction=ns.fraction, size=ns.size,
                           order=ns.order, seed=ns.seed, emphasis=ns.emphasis,
                           borders=ns.borders, crop=ns.crop, rotate=ns.rotate)
    return options, ns.out, ns.verbose


def main(argv):
    options, out, verbose = options_from_args(argv)
    try:
        poster = build_poster(options)
    except BuildError as error:
        print(error, file=sys.stderr)
        return 1
    if verbose:
        print("\n".join(options.notes), file=sys.stderr)
    write_bmp(out, poster)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
