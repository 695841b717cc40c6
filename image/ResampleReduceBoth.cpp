// Reduce both: every destination pixel is the average of a box of source pixels.
//
// Source rows are read once each, top to bottom, and added into per-column sums; each time the
// row map moves to the next destination row, the sums are reduced across into that row.
#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "image/BoxRow.h"
#include "image/DibImage.h"
#include "image/PercentReporter.h"
#include "image/ResampleMaps.h"
#include "image/ResampleProcedures.h"
#include "image/RowBoxWalk.h"

namespace resample {
namespace {

template <typename Sum>
void AddRow(Sum* sums, const std::uint8_t* row, std::size_t count) {
  for (std::size_t k = 0; k < count; ++k) sums[k] += row[k];
}

template <typename Sum>
BOOL ReduceBothWith(const CDibImage& source, CDibImage& destination, PercentReporter& reporter) {
  const int sourceWidth = source.GetWidth(), sourceHeight = source.GetHeight();
  const int destinationHeight = destination.GetHeight();
  const std::size_t sumCount = 3 * static_cast<std::size_t>(sourceWidth);
  const auto columnMap = NewBuffer<int>(static_cast<std::size_t>(sourceWidth) + 1);
  const auto sums = NewBuffer<Sum>(sumCount);
  if (!columnMap || !sums) return FALSE;
  FillBoxMap(columnMap.get(), sourceWidth, destination.GetWidth());

  const std::uint8_t* sourceTop = source.GetPixelAddress(0, 0);
  const auto sourceStride = static_cast<std::ptrdiff_t>(source.GetRowBytes());
  std::uint8_t* outTop = destination.GetPixelAddress(0, 0);
  const auto outStride = static_cast<std::ptrdiff_t>(destination.GetRowBytes());
  WalkRowBoxes(
      sourceHeight, destinationHeight,
      [&](int i, std::ptrdiff_t outRow, std::uint64_t rows) {
        BoxRow<Sum> boxRow(sums.get(), columnMap.get(), sourceWidth, rows,
                           outTop - outRow * outStride);
        const auto rowStart =
            static_cast<std::uint64_t>(i) * static_cast<std::uint64_t>(sourceWidth);
        if (!reporter.WalkRow(rowStart, sourceWidth + 1,
                              [&](int begin, int end) { boxRow.Run(begin, end); }))
          return false;
        std::fill(sums.get(), sums.get() + sumCount, Sum{0});
        return true;
      },
      [&](int i) {
        AddRow(sums.get(), sourceTop - i * sourceStride, sumCount);
        return true;
      });
  return TRUE;
}

// The most source rows that one destination row gathers.
std::uint64_t MaxRowsPerBox(int sourceHeight, int destinationHeight) {
  std::uint64_t longest = 0;
  WalkRowBoxes(
      sourceHeight, destinationHeight,
      [&](int, std::ptrdiff_t, std::uint64_t rows) {
        longest = std::max(longest, rows);
        return true;
      },
      [](int) { return true; });
  return longest;
}

}  // namespace

BOOL ReduceBoth(const CDibImage& source, CDibImage& destination, CProgress* progress) {
  const std::int64_t sourceHeight = source.GetHeight();
  PercentReporter reporter(progress, static_cast<std::uint64_t>(sourceHeight) *
                                         static_cast<std::uint64_t>(source.GetWidth()));
  // The narrowest sums that hold a whole box of rows: adding rows into 16-bit sums is what
  // reducing a photograph to a tile spends most of its time on, and runs twice as wide.
  const auto boxRows = static_cast<std::int64_t>(MaxRowsPerBox(source.GetHeight(), destination.GetHeight()));
  if (boxRows <= kMaxRowsIn16BitSums)
    return ReduceBothWith<std::uint16_t>(source, destination, reporter);
  if (boxRows <= kMaxRowsIn32BitSums)
    return ReduceBothWith<std::uint32_t>(source, destination, reporter);
  return ReduceBothWith<std::uint64_t>(source, destination, reporter);
}

}  // namespace resample
