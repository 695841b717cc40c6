// Enlarge across, reduce down: every source row is interpolated across in 64ths to the
// destination width and added into per-column sums; each time the row map moves to the next
// destination row, the sums divided by the number of rows gathered become that row.
#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "image/DibImage.h"
#include "image/PercentReporter.h"
#include "image/ResampleMaps.h"
#include "image/ResampleProcedures.h"
#include "image/RowBoxWalk.h"

namespace resample {
namespace {

// Where one destination column samples a source row: byte offsets of its two source pixels and
// their weights in 64ths.
struct ColumnTap {
  std::size_t ownOffset;
  std::size_t nextOffset;
  unsigned ownWeight;
  unsigned nextWeight;
};

void FillColumnTaps(ColumnTap* taps, int sourceWidth, int destinationWidth) {
  for (int j = 0; j < destinationWidth; ++j) {
    const Position64ths x = PositionIn64ths(j, sourceWidth, destinationWidth);
    taps[j] = {3 * static_cast<std::size_t>(x.index), 3 * static_cast<std::size_t>(x.next),
               static_cast<unsigned>(64 - x.fraction), static_cast<unsigned>(x.fraction)};
  }
}

template <typename Sum>
void AddInterpolated(Sum* sums, const std::uint8_t* row, const ColumnTap* taps, int begin,
                     int end) {
  for (int j = begin; j < end; ++j) {
    const ColumnTap& tap = taps[j];
    const std::uint8_t* ownPixel = row + tap.ownOffset;
    const std::uint8_t* nextPixel = row + tap.nextOffset;
    Sum* sum = sums + 3 * static_cast<std::size_t>(j);
    for (int c = 0; c < 3; ++c)
      sum[c] += (ownPixel[c] * tap.ownWeight + nextPixel[c] * tap.nextWeight) / 64;
  }
}

template <typename Sum>
void StoreAverages(std::uint8_t* out, const Sum* sums, std::size_t count, std::uint64_t rows) {
  for (std::size_t k = 0; k < count; ++k) out[k] = static_cast<std::uint8_t>(sums[k] / rows);
}

template <typename Sum>
BOOL EnlargeAcrossReduceDownWith(const CDibImage& source, CDibImage& destination,
                                 PercentReporter& reporter) {
  const int sourceHeight = source.GetHeight();
  const int destinationWidth = destination.GetWidth(), destinationHeight = destination.GetHeight();
  const std::size_t sumCount = 3 * static_cast<std::size_t>(destinationWidth);
  const auto taps = NewBuffer<ColumnTap>(static_cast<std::size_t>(destinationWidth));
  const auto sums = NewBuffer<Sum>(sumCount);
  if (!taps || !sums) return FALSE;
  FillColumnTaps(taps.get(), source.GetWidth(), destinationWidth);

  const std::uint8_t* sourceTop = source.GetPixelAddress(0, 0);
  const auto sourceStride = static_cast<std::ptrdiff_t>(source.GetRowBytes());
  std::uint8_t* outTop = destination.GetPixelAddress(0, 0);
  const auto outStride = static_cast<std::ptrdiff_t>(destination.GetRowBytes());
  WalkRowBoxes(
      sourceHeight, destinationHeight,
      [&](int, std::ptrdiff_t outRow, std::uint64_t rows) {
        StoreAverages(outTop - outRow * outStride, sums.get(), sumCount, rows);
        std::fill(sums.get(), sums.get() + sumCount, Sum{0});
        return true;
      },
      [&](int i) {
        const std::uint8_t* row = sourceTop - i * sourceStride;
        const auto rowStart =
            static_cast<std::uint64_t>(i) * static_cast<std::uint64_t>(destinationWidth);
        return reporter.WalkRow(rowStart, destinationWidth, [&](int begin, int end) {
          AddInterpolated(sums.get(), row, taps.get(), begin, end);
        });
      });
  return TRUE;
}

}  // namespace

BOOL EnlargeAcrossReduceDown(const CDibImage& source, CDibImage& destination, CProgress* progress) {
  const std::int64_t sourceHeight = source.GetHeight();
  PercentReporter reporter(progress, static_cast<std::uint64_t>(sourceHeight) *
                                         static_cast<std::uint64_t>(destination.GetWidth()));
  if (sourceHeight <= kMaxRowsIn32BitSums)
    return EnlargeAcrossReduceDownWith<std::uint32_t>(source, destination, reporter);
  return EnlargeAcrossReduceDownWith<std::uint64_t>(source, destination, reporter);
}

}  // namespace resample
