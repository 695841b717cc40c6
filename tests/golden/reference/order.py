"""Which tile goes into which cell: the sorted tile list, the minimal standard random
generator and the two tile orders."""

import bisect
import os

MODULUS = 2147483647


class ParkMiller:
    """The minimal standard generator, stepped with Schrage's method in 32-bit range."""

    def __init__(self, seed):
        if seed < 0:
            raise ValueError("seed must not be negative")
        self.state = seed % MODULUS or 1

    def next(self):
        s = self.state
        s = 16807 * (s % 127773) - 2836 * (s // 127773)
        if s < 0:
            s += MODULUS
        self.state = s
        return s

    def below(self, k):
        return self.next() % k


class RandomOrder:
    """Hands out every index once per pass, reshuffling the permutation between passes."""

    def __init__(self, count, seed):
        self.generator = ParkMiller(seed)
        self.size = max(count, 1)
        self.items = list(range(self.size))
        self.position = 0
        self._shuffle()

    def _shuffle(self):
        for _ in range(4 * self.size):
            i = self.generator.below(self.size)
            j = self.generator.below(self.size)
            self.items[i], self.items[j] = self.items[j], self.items[i]

    def _draw(self):
        if self.position == self.size:
            self._shuffle()
            self.position = 0
        item = self.items[self.position]
        self.position += 1
        return item

    def first(self):
        return self._draw()

    def next(self, index, count):
        return self._draw()


class SequentialOrder:
    """Walks the list from its first entry, over and over."""

    def first(self):
        return 0

    def next(self, index, count):
        return index + 1 if index + 1 < count else 0


def sorted_tile_list(paths):
    """Inserts each path after every entry that does not sort after it, ignoring ASCII case."""
    keys = []
    entries = []
    for path in paths:
        key = os.fsencode(path).lower()
        at = bisect.bisect_right(keys, key)
        keys.insert(at, key)
        entries.insert(at, path)
    return entries
