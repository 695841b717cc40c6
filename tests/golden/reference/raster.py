"""24-bit images and the pixel operations the poster build uses.

An image keeps its rows top-down, each a bytearray of 3 * width bytes in blue, green, red
order; x counts from the left and y from the top.
"""


class Image:
    def __init__(self, width, height):
        if width < 1 or height < 1:
            raise ValueError(f"image size {width} x {height} is not positive")
        self.width = width
        self.height = height
        self.rows = [bytearray(3 * width) for _ in range(height)]

    def pixel(self, x, y):
        row = self.rows[y]
        return tuple(row[3 * x:3 * x + 3])


def copy_rect(dest, source, dx, dy, w, h, sx, sy):
    """Copies a w x h block of source at (sx, sy) into dest at (dx, dy); -1 means dest's size.

    Nothing is copied when a corner lies outside either image; the block is cut to what fits.
    """
    if not (0 <= dx < dest.width and 0 <= dy < dest.height):
        return
    if not (0 <= sx < source.width and 0 <= sy < source.height):
        return
    if w == -1:
        w = dest.width
    if h == -1:
        h = dest.height
    w = min(w, source.width - sx, dest.width - dx)
    h = min(h, source.height - sy, dest.height - dy)
    if h <= 0 or w <= 0:
        return
    for r in range(h):
        dest.rows[dy + r][3 * dx:3 * (dx + w)] = source.rows[sy + r][3 * sx:3 * (sx + w)]


def crop_to_rect(image, x, y, w, h):
    """Returns the w x h block of image at (x, y) as a new image (-1 means up to the edge)."""
    if not (0 <= x < image.width and 0 <= y < image.height):
        raise ValueError("crop origin outside the image")
    if w == -1:
        w = image.width - x
    if h == -1:
        h = image.height - y
    w = min(w, image.width - x)
    h = min(h, image.height - y)
    result = Image(w, h)
    for r in range(h):
        result.rows[r][:] = image.rows[y + r][3 * x:3 * (x + w)]
    return result


def rotate_left(image):
    """A quarter turn counter-clockwise: new pixel (x, y) is old pixel (W - 1 - y, x)."""
    old_w = image.width
    result = Image(image.height, old_w)
    for y in range(result.height):
        src_col = 3 * (old_w - 1 - y)
        row = result.rows[y]
        for x in range(result.width):
            row[3 * x:3 * x + 3] = image.rows[x][src_col:src_col + 3]
    return result


def blend_from(dest, source, x, y, w, h, source_weight, own_weight):
    """Blends the top-left w x h of dest with source's block at (x, y), in weighted integers."""
    if x < 0 or y < 0 or w <= 0 or h <= 0:
        return
    if x + w > source.width or y + h > source.height or w > dest.width or h > dest.height:
        return
    total = source_weight + own_weight
    for j in range(h):
        own = dest.rows[j]
        src = source.rows[y + j]
        base = 3 * x
        for k in range(3 * w):
            own[k] = (own_weight * own[k] + source_weight * src[base + k]) // total
