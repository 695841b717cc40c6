// The four resampling procedures, one for each combination of reducing or enlarging across and
// down. Each reads the whole 24-bit source and writes the whole 24-bit destination, whose sizes
// give the factors, from their top rows downwards. Reports go to progress (nullptr for none).
// Each returns TRUE when it finished or the user cancelled (the destination then keeps the rows
// written so far, the rest black), and FALSE when a working buffer could not be had.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>
#include <new>

#include "image/Types.h"

class CDibImage;
class CProgress;

namespace resample {

// Box average both ways; needs destination width ≤ source width and height ≤ source height.
// With more than one thread the destination rows are made in bands on helper threads (the same
// bytes) and only the calling thread reports.
[[nodiscard]] BOOL ReduceBoth(const CDibImage& source, CDibImage& destination, CProgress* progress,
                              int threads = 1);
// Box average across, 64ths interpolation down (destination height ≥ source height).
[[nodiscard]] BOOL ReduceAcrossEnlargeDown(const CDibImage& source, CDibImage& destination,
                                           CProgress* progress);
// 64ths interpolation across (destination width ≥ source width), box average down.
[[nodiscard]] BOOL EnlargeAcrossReduceDown(const CDibImage& source, CDibImage& destination,
                                           CProgress* progress);
// Bilinear in hundredths both ways (destination at least as large as the source both ways).
// With more than one thread the rows are mixed in bands on helper threads (the same bytes) and
// only the calling thread reports.
[[nodiscard]] BOOL EnlargeBoth(const CDibImage& source, CDibImage& destination,
                               CProgress* progress, int threads = 1);

// A working buffer of count elements, empty when the memory cannot be had.
template <typename T>
[[nodiscard]] std::unique_ptr<T[]> NewBuffer(std::size_t count) {
  return std::unique_ptr<T[]>(new (std::nothrow) T[count]());
}

// Column sums of up to this many rows of bytes fit in 16 or in 32 bits; taller boxes need more.
constexpr std::int64_t kMaxRowsIn16BitSums = std::numeric_limits<std::uint16_t>::max() / 255;
constexpr std::int64_t kMaxRowsIn32BitSums = std::numeric_limits<std::uint32_t>::max() / 255;

}  // namespace resample
