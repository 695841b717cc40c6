// The two position maps that the resampling procedures share: the box map of a reducing
// direction and the 64ths position of an enlarging one. S is the source count and D the
// destination count of pixels in one direction (columns or rows).
#pragma once

#include <cstdint>

namespace resample {

// The destination position that source position k (0 .. S) is averaged into, for D ≤ S. The
// entries start at 0, grow by 0 or 1 per step and end at D; the offset of fifteen sixteenths of
// a source count makes destination position 0 gather only a short first box, and the source
// positions whose entry is D are left out.
[[nodiscard]] constexpr int BoxMapEntry(std::int64_t k, std::int64_t sourceCount,
                                        std::int64_t destinationCount) {
  const std::int64_t offset = (15 * sourceCount) / 16;
  return static_cast<int>((offset + k * destinationCount) / sourceCount);
}

// Fills map[0 .. S] with the box map entries.
void FillBoxMap(int* map, int sourceCount, int destinationCount);

// Where destination position i (0 .. D - 1) of an enlarging direction (D ≥ S) samples the
// source, in 64ths of a pixel: the value is (byte at index × (64 - fraction) + byte at next ×
// fraction) / 64.
struct Position64ths {
  int index = 0;
  int next = 0;      // index + 1, or index itself at the last source position
  int fraction = 0;  // 0 .. 63
};
[[nodiscard]] Position64ths PositionIn64ths(int i, int sourceCount, int destinationCount);

}  // namespace resample
