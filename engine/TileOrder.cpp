#include "engine/TileOrder.h"

#include <cstdint>
#include <new>
#include <numeric>
#include <stdexcept>
#include <utility>

BOOL TileOrderShuffle::Prepare(int count, TileOrderSeed seed) {
  m_random.Seed(seed);
  std::vector<int>().swap(m_items);  // free the previous order before asking for the next
  m_position = 0;
  try {
    m_items.resize(count < 1 ? 1 : count);
  } catch (const std::bad_alloc&) {
    return FALSE;
  } catch (const std::length_error&) {
    return FALSE;
  }
  std::iota(m_items.begin(), m_items.end(), 0);
  Shuffle();
  return TRUE;
}

void TileOrderShuffle::Shuffle() {
  const int size = GetSize();
  const std::int64_t swaps = std::int64_t{4} * size;
  for (std::int64_t n = 0; n < swaps; ++n) {
    const int i = m_random.Below(size);
    const int j = m_random.Below(size);
    std::swap(m_items[i], m_items[j]);
  }
}

int TileOrderShuffle::Draw() {
  if (m_items.empty()) return 0;
  if (m_position == GetSize()) {
    Shuffle();
    m_position = 0;
  }
  return m_items[m_position++];
}

int FirstTileIndex(TileOrderShuffle& order, TileOrderMode mode) {
  return mode == TileOrderMode::Sequential ? 0 : order.Draw();
}

int NextTileIndex(TileOrderShuffle& order, TileOrderMode mode, int index, int count) {
  if (mode != TileOrderMode::Sequential) return order.Draw();
  return std::int64_t{index} + 1 < count ? index + 1 : 0;
}
