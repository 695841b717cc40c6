#include "image/ResampleMaps.h"

namespace resample {

void FillBoxMap(int* map, int sourceCount, int destinationCount) {
  for (int k = 0; k <= sourceCount; ++k) map[k] = BoxMapEntry(k, sourceCount, destinationCount);
}

Position64ths PositionIn64ths(int i, int sourceCount, int destinationCount) {
  // 64 × i × S can pass 64 bits for the widest images; i × S cannot. Splitting i × S by D keeps
  // every product small and gives the same truncated quotient.
  const std::int64_t product = static_cast<std::int64_t>(i) * sourceCount;
  const std::int64_t whole = product / destinationCount;
  const std::int64_t rest = product % destinationCount;
  std::int64_t p = 64 * whole + (64 * rest) / destinationCount - 32;
  if (p < 0) p = 0;
  Position64ths position;
  position.index = static_cast<int>(p / 64);
  position.fraction = static_cast<int>(p % 64);
  position.next = position.index + 1 < sourceCount ? position.index + 1 : position.index;
  return position;
}

}  // namespace resample
