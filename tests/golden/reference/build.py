"""The poster build: geometry, main image at poster size, every tile prepared once, then the
cells laid row by row, each tile blended with the main image beneath it."""

from dataclasses import dataclass, field

import geometry
from bmp import probe_bmp, read_bmp
from frame import draw_button_frame
from order import RandomOrder, SequentialOrder, sorted_tile_list
from raster import Image, blend_from, copy_rect, crop_to_rect, rotate_left
from resample import choose_procedure, resample

FRAME_THICKNESS = 5
TOO_SMALL = "Poster print dimensions are too small, please select larger values"


class BuildError(Exception):
    pass


@dataclass
class BuildOptions:
    main: str
    tiles: list
    dpi: int = 600
    print_width: float = None
    fraction: int = 4
    size: str = "medium"
    order: str = "random"
    seed: int = None
    emphasis: int = 4
    borders: str = "line"
    crop: bool = True
    rotate: bool = True
    notes: list = field(default_factory=list)


def _print_size(options, main):
    if options.print_width is None:
        return geometry.initial_print_size(main.width, main.height, options.dpi)
    return geometry.print_size_from_width(options.print_width, main.width, main.height)


def _grid(options, main, entries):
    width_in, height_in = _print_size(options, main)
    poster_pixels = (options.dpi * width_in / options.fraction,
                     options.dpi * height_in / options.fraction)
    average = geometry.average_tile_size([probe_bmp(p) for p in entries], options.rotate)
    grid = geometry.tile_grid(main.width, poster_pixels, average[:2],
                              geometry.size_factor(options.size))
    options.notes.append(f"print {width_in:.2f} x {height_in:.2f} in, grid {grid}, "
                         f"landscape majority {average[2]}")
    return grid, average[2]


def _tile_image_size(options, grid):
    line = 1 if options.borders == "line" else 0
    return grid.tile_width - line, grid.tile_height - line


def _check_not_too_small(grid, tile_size):
    if (tile_size[0] <= 0 or tile_size[1] <= 0 or grid.tiles_across <= 0
            or grid.tiles_down <= 0 or grid.tile_width <= 0 or grid.tile_height <= 0):
        raise BuildError(TOO_SMALL)


def _turned(tile, landscape_majority):
    if landscape_majority and tile.height > tile.width:
        return rotate_left(tile)
    if not landscape_majority and tile.width > tile.height:
        return rotate_left(tile)
    return tile


def _cropped(tile, grid):
    """Cuts the tile to the cell's aspect ratio, evenly on both sides."""
    w, h = tile.width, tile.height
    if w * grid.tile_height > h * grid.tile_width:
        new_w, new_h = h * grid.tile_width // grid.tile_height, h
    elif w * grid.tile_height < h * grid.tile_width:
        new_w, new_h = w, w * grid.tile_height // grid.tile_width
    else:
        return tile
    return crop_to_rect(tile, (w - new_w) // 2, (h - new_h) // 2, new_w, new_h)


def _prepare_tile(path, options, grid, landscape_majority):
    tile = read_bmp(path)
    if options.rotate:
        tile = _turned(tile, landscape_majority)
    if options.crop:
        tile = _cropped(tile, grid)
    size = _tile_image_size(options, grid)
    procedure = choose_procedure(tile.width, tile.height, *size)
    options.notes.append(f"tile {path}: {tile.width} x {tile.height} -> "
                         f"{size[0]} x {size[1]} by {procedure}")
    tile = resample(tile, *size)
    if options.borders == "frame":
        draw_button_frame(tile, FRAME_THICKNESS)
    return tile


def _make_order(options, count):
    if options.order == "sequential":
        return SequentialOrder()
    return RandomOrder(count, options.seed)


def _lay_tiles(poster, main, tiles, grid, options, order):
    cell = Image(grid.tile_width, grid.tile_height)
    tile_weight, main_weight = options.emphasis, 8 - options.emphasis
    index = order.first()
    for row in range(grid.tiles_down):
        y = row * grid.tile_height
        for col in range(grid.tiles_across):
            x = col * grid.tile_width
            copy_rect(cell, tiles[index], 0, 0, -1, -1, 0, 0)
            blend_from(cell, main, x, y, grid.tile_width, grid.tile_height,
                       main_weight, tile_weight)
            copy_rect(poster, cell, x, y, -1, -1, 0, 0)
            index = order.next(index, len(tiles))


def build_poster(options):
    """Returns the poster image; raises BuildError with the message the product shows."""
    entries = sorted_tile_list(options.tiles)
    if not entries:
        raise BuildError("no tile images")
    order = _make_order(options, len(entries))
    main = read_bmp(options.main)
    grid, landscape_majority = _grid(options, main, entries)
    _check_not_too_small(grid, _tile_image_size(options, grid))
    poster = Image(grid.tiles_across * grid.tile_width, grid.tiles_down * grid.tile_height)
    procedure = choose_procedure(main.width, main.height, poster.width, poster.height)
    options.notes.append(f"main {main.width} x {main.height} -> "
                         f"{poster.width} x {poster.height} by {procedure}")
    main_at_poster_size = resample(main, poster.width, poster.height)
    tiles = [_prepare_tile(p, options, grid, landscape_majority) for p in entries]
    _lay_tiles(poster, main_at_poster_size, tiles, grid, options, order)
    return poster
