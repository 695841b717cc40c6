"""The transparent button frame: a grey bevel, light at the top and left, dark at the bottom
and right, faded into the tile from its outer edge inwards."""

import math

LIGHT = 255
DARK = 0


def _ramp():
    return [(DARK * (255 - k) + LIGHT * k) // 255 for k in range(256)]


def _border(thickness, centre):
    return max(math.trunc((thickness * centre + 25) * 0.02), 1)


def _shade(kx, bx, ky, by):
    depth_x = math.trunc(abs(kx - bx) / bx * 255)
    depth_y = math.trunc(abs(ky - by) / by * 255)
    return min(max(255 - max(depth_x, depth_y), 0), 255)


def _depth(pos, centre, border):
    return (abs(math.trunc(pos - centre)) - (centre - border)) / border


def _ramp_index(x, y, geometry, shade, i, j):
    w1, h1, bx, by = geometry
    near = abs(i - j) <= 0.01
    if x > w1 - bx and i >= j:
        return 128 if near and y < h1 - by else shade // 2
    if y <= h1 - by or j < i:
        return shade // 2 + 128
    return 128 if near and x < w1 - bx else shade // 2


def _frame_pixel(x, y, geometry, centres):
    """Returns (ramp index, depth) of frame pixel (x, y)."""
    w1, h1, bx, by = geometry
    cx, cy = centres
    x2, y2 = w1 - bx, h1 - by
    kx = x if x < bx else (w1 - x if x > x2 else bx)
    ky = y if y < by else (h1 - y if y > y2 else by)
    shade = _shade(kx, bx, ky, by)
    i = _depth(x, cx, bx)
    j = _depth(y, cy, by)
    return _ramp_index(x, y, geometry, shade, i, j), max(i, j)


def draw_button_frame(image, thickness):
    """Draws the frame blended into the image, the only way the build draws it."""
    ramp = _ramp()
    w1 = image.width - 1 if image.width != 1 else 1
    h1 = image.height - 1 if image.height != 1 else 1
    cx, cy = w1 / 2, h1 / 2
    bx, by = _border(thickness, cx), _border(thickness, cy)
    geometry = (w1, h1, bx, by)
    for y in range(image.height):
        row = image.rows[y]
        for x in range(image.width):
            if bx <= x <= w1 - bx and by <= y <= h1 - by:
                continue
            index, depth = _frame_pixel(x, y, geometry, (cx, cy))
            colour = ramp[index]
            alpha = math.trunc(min(depth, 1.0) * 256)
            if alpha == 255:
                alpha = 256
            assert 0 <= alpha <= 256, "frame depth outside the strip"
            for c in range(3):
                byte = row[3 * x + c]
                row[3 * x + c] = (byte * (256 - alpha) + colour * alpha + 128) >> 8
