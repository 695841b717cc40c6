// Which tile goes into which cell: in list order over and over, or in random passes where every
// tile is used once before any tile is used again.
#pragma once

#include <vector>

#include "engine/ParkMiller.h"
#include "engine/PosterParams.h"
#include "image/Types.h"

// A permutation of the tile indexes handed out one by one; when it runs out it is shuffled again
// from where it stands, so consecutive passes differ.
class TileOrderShuffle {
 public:
  // Seeds the generator, makes the identity permutation of count items (at least one) and
  // shuffles it. Preparing again with the same fixed seed gives the same order, which lets a
  // build prepare first over every entry and again over the entries still readable. FALSE, with
  // an empty order, when the memory cannot be had.
  [[nodiscard]] BOOL Prepare(int count, TileOrderSeed seed);
  // Four times size swaps of two randomly drawn items.
  void Shuffle();
  // The next item, shuffling first when every item has been handed out. 0 before any Prepare
  // has succeeded.
  int Draw();
  [[nodiscard]] int GetSize() const { return static_cast<int>(m_items.size()); }
  [[nodiscard]] const std::vector<int>& GetItems() const { return m_items; }

 private:
  std::vector<int> m_items;
  int m_position = 0;  // index of the next item to hand out
  ParkMillerRandom m_random;
};

// The tile index for the first cell: 0 in Sequential order, the first drawn item otherwise (an
// unknown mode counts as Random, as it does when the options are loaded).
[[nodiscard]] int FirstTileIndex(TileOrderShuffle& order, TileOrderMode mode);
// The tile index for the next cell: Sequential gives index + 1, or 0 when that reaches count;
// otherwise the next item is drawn and index and count are ignored.
[[nodiscard]] int NextTileIndex(TileOrderShuffle& order, TileOrderMode mode, int index,
                                int count);
