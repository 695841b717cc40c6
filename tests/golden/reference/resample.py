"""The four resampling procedures, chosen by whether each direction shrinks.

Reducing averages boxes of source pixels given by the box map; enlarging interpolates, in
64ths when the other direction shrinks and bilinearly in hundredths when both grow. Every
value is an integer except the bilinear positions, which are IEEE doubles as in the product.
"""

import math

from raster import Image

REDUCE_BOTH = "reduce both"
REDUCE_ACROSS_ENLARGE_DOWN = "reduce across, enlarge down"
ENLARGE_ACROSS_REDUCE_DOWN = "enlarge across, reduce down"
ENLARGE_BOTH = "enlarge both"


def box_map(source_count, dest_count):
    """Entry k (0..S) is the destination position that source position k averages into.

    The offset of 15/16 of a source step makes the first box small and drops the last
    source positions, whose entry equals the destination count.
    """
    offset = (15 * source_count) // 16
    return [(offset + k * dest_count) // source_count for k in range(source_count + 1)]


def position_64ths(i, source_count, dest_count):
    """Source index, its neighbour and the fraction in 64ths for destination position i."""
    p = (64 * i * source_count) // dest_count - 32
    if p < 0:
        p = 0
    a, f = divmod(p, 64)
    b = a + 1 if a + 1 < source_count else a
    return a, b, f


def choose_procedure(sw, sh, dw, dh):
    reduce_across = dw < sw
    reduce_down = dh < sh
    if reduce_across and reduce_down:
        return REDUCE_BOTH
    if reduce_across:
        return REDUCE_ACROSS_ENLARGE_DOWN
    if reduce_down:
        return ENLARGE_ACROSS_REDUCE_DOWN
    return ENLARGE_BOTH


def _reduce_row(sums, column_map, sw, rows_gathered):
    """Averages per-column sums into destination pixels, box by box along the column map."""
    out = bytearray()
    box_value = 0
    box = [0, 0, 0]
    columns = 0
    for j in range(sw + 1):
        if column_map[j] != box_value:
            out += bytes((total // rows_gathered) // columns for total in box)
            box = [0, 0, 0]
            columns = 0
            box_value = column_map[j]
        if j < sw:
            for c in range(3):
                box[c] += sums[3 * j + c]
            columns += 1
    return out


def _row_boxes(sh, dh):
    """Yields (i, emit) for source rows i = 0..sh; emit says the row box before i is complete."""
    offset = (15 * sh) // 16
    previous = 0
    for i in range(sh + 1):
        current = (offset + i * dh) // sh
        yield i, current != previous
        previous = current


def _reduce_both(src, dw, dh):
    sw, sh = src.width, src.height
    column_map = box_map(sw, dw)
    sums = [0] * (3 * sw)
    gathered = 0
    rows = []
    for i, emit in _row_boxes(sh, dh):
        if emit:
            rows.append(_reduce_row(sums, column_map, sw, gathered))
            sums = [0] * (3 * sw)
            gathered = 0
        if i < sh:
            row = src.rows[i]
            for k in range(3 * sw):
                sums[k] += row[k]
        gathered += 1
    return rows


def _reduce_across_enlarge_down(src, dw, dh):
    sw, sh = src.width, src.height
    column_map = box_map(sw, dw)
    rows = []
    for i in range(dh):
        a, b, f = position_64ths(i, sh, dh)
        upper, lower = src.rows[a], src.rows[b]
        values = [(upper[k] * (64 - f) + lower[k] * f) // 64 for k in range(3 * sw)]
        rows.append(_reduce_row(values, column_map, sw, 1))
    return rows


def _enlarge_across_reduce_down(src, dw, dh):
    sw, sh = src.width, src.height
    columns = [position_64ths(j, sw, dw) for j in range(dw)]
    sums = [0] * (3 * dw)
    gathered = 0
    rows = []
    for i, emit in _row_boxes(sh, dh):
        if emit:
            rows.append(bytearray(total // gathered for total in sums))
            sums = [0] * (3 * dw)
            gathered = 0
        if i < sh:
            row = src.rows[i]
            for j, (a, b, f) in enumerate(columns):
                for c in range(3):
                    sums[3 * j + c] += (row[3 * a + c] * (64 - f) + row[3 * b + c] * f) // 64
        gathered += 1
    return rows


def _bilinear_position(i, source_count, dest_count):
    """Pixel index, neighbour index and |offset| in hundredths for destination position i."""
    pos = source_count * i / dest_count
    whole = math.trunc(pos)
    hundredths = math.trunc(pos * 100 - whole * 100 - 50)
    if hundredths < 0:
        neighbour = max(whole - 1, 0)
    else:
        neighbour = min(whole + 1, source_count - 1)
    return whole, neighbour, abs(hundredths)


def _enlarge_both(src, dw, dh):
    columns = [_bilinear_position(j, src.width, dw) for j in range(dw)]
    rows = []
    for i in range(dh):
        y0, yn, wy = _bilinear_position(i, src.height, dh)
        own_row, near_row = src.rows[y0], src.rows[yn]
        out = bytearray(3 * dw)
        for j, (x0, xn, wx) in enumerate(columns):
            diagonal = wx * wy // 100
            vertical = (100 - wx) * wy // 100
            horizontal = (100 - wy) * wx // 100
            own = 100 - diagonal - vertical - horizontal
            for c in range(3):
                out[3 * j + c] = (own * own_row[3 * x0 + c] // 100
                                  + horizontal * own_row[3 * xn + c] // 100
                                  + vertical * near_row[3 * x0 + c] // 100
                                  + diagonal * near_row[3 * xn + c] // 100)
        rows.append(out)
    return rows


PROCEDURES = {
    REDUCE_BOTH: _reduce_both,
    REDUCE_ACROSS_ENLARGE_DOWN: _reduce_across_enlarge_down,
    ENLARGE_ACROSS_REDUCE_DOWN: _enlarge_across_reduce_down,
    ENLARGE_BOTH: _enlarge_both,
}


def resample(src, dw, dh):
    """Returns a dw x dh copy of src made by the procedure its size change calls for."""
    procedure = choose_procedure(src.width, src.height, dw, dh)
    rows = PROCEDURES[procedure](src, dw, dh)
    assert len(rows) == dh and all(len(row) == 3 * dw for row in rows)
    result = Image(dw, dh)
    result.rows = rows
    return result
