// The walk down the source rows that both procedures reducing down share.
#pragma once

#include <cstddef>
#include <cstdint>

#include "image/ResampleMaps.h"

namespace resample {

// Walks source rows i = 0 .. sourceHeight, one step past the last row so that a box of rows
// ending there is stored too. Each time the row map moves on, endBox(i, outRow, rows) stores
// destination row outRow from the `rows` source rows gathered since the previous one (and
// clears what it gathered); then, for i below sourceHeight, addRow(i) gathers source row i.
// Rows whose map entry is the destination height are gathered but never stored. A false from
// either callback (a cancel) ends the walk, and then the result is false.
template <typename EndBox, typename AddRow>
bool WalkRowBoxes(int sourceHeight, int destinationHeight, EndBox&& endBox, AddRow&& addRow) {
  std::ptrdiff_t outRow = 0;
  int previousEntry = 0;
  std::uint64_t rows = 0;
  for (int i = 0; i <= sourceHeight; ++i) {
    const int entry = BoxMapEntry(i, sourceHeight, destinationHeight);
    if (entry != previousEntry) {
      if (!endBox(i, outRow, rows)) return false;
      rows = 0;
      ++outRow;
    }
    previousEntry = entry;
    if (i < sourceHeight && !addRow(i)) return false;
    ++rows;
  }
  return true;
}

}  // namespace resample
