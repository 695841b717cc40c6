"""Print size, poster resolution and the tile grid, in doubles computed in the product's
order so that every truncation lands where it does there."""

import math
from collections import namedtuple

TileGrid = namedtuple("TileGrid", "tiles_across tiles_down tile_width tile_height")
EMPTY_GRID = TileGrid(0, 0, 0, 0)

SIZE_FACTORS = {"small": 0.1, "medium": 0.33, "large": 0.66}


def size_factor(size):
    """The tile size factor of 'small', 'medium', 'large' or 'custom:PERCENT'."""
    if size.startswith("custom:"):
        return int(size[len("custom:"):]) * 0.01
    return SIZE_FACTORS[size]


def truncate_to_hundredths(inches):
    return math.trunc(inches * 100) * 0.01


def initial_print_size(image_width, image_height, dpi):
    """One image pixel per printer dot, grown in tenths until both sides reach 0.01 inch."""
    width = height = 0.0
    k = 1.0
    while width == 0 or height == 0:
        width = truncate_to_hundredths(image_width / dpi * k)
        height = truncate_to_hundredths(image_height / dpi * k)
        k = k + 0.1
    return width, height


def print_size_from_width(width_inches, image_width, image_height):
    """The typed width is kept as typed; the height derived from it is cut to hundredths."""
    width = width_inches
    return width, truncate_to_hundredths(width * image_height / image_width)


def average_tile_size(sizes, rotate):
    """Returns (avgTileWidth, avgTileHeight, landscapeMajority) of the tile sizes."""
    count = len(sizes)
    sum_a = sum_b = landscape = 0
    for width, height in sizes:
        if rotate and width < height:
            sum_a += height
            sum_b += width
        else:
            sum_a += width
            sum_b += height
            landscape += 1
    avg_a, avg_b = sum_a // count, sum_b // count
    if not rotate:
        return avg_a, avg_b, False
    if landscape > count // 2:
        return avg_a, avg_b, True
    return avg_b, avg_a, False


def tile_grid(image_width, poster_pixels, average_tile, factor):
    """The grid of cells: poster_pixels is the real poster resolution (wide, high)."""
    pixels_wide, pixels_high = poster_pixels
    avg_width, avg_height = average_tile
    tiles_across = math.trunc(image_width / math.sqrt(image_width * factor))
    if tiles_across < 1:
        return EMPTY_GRID
    tile_width_real = pixels_wide / tiles_across
    tile_height_real = tile_width_real * avg_height / avg_width
    tile_width = math.trunc(tile_width_real + 0.5)
    tile_height = math.trunc(tile_height_real + 0.5)
    if tile_height < 1:
        return EMPTY_GRID
    tiles_down = math.trunc(pixels_high / tile_height)
    return TileGrid(tiles_across, tiles_down, tile_width, tile_height)
