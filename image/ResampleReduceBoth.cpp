// Reduce both: every destination pixel is the average of a box of source pixels.
//
// Source rows are read once each, top to bottom, and added into per-column sums; each time the
// row map moves to the next destination row, the sums are reduced across into that row.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "image/BoxRow.h"
#include "image/DibImage.h"
#include "image/OrderedWork.h"
#include "image/PercentReporter.h"
#include "image/Progress.h"
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

// The first source row of every destination row's box, and past the last box the first row
// left out: box d gathers rows [first[d], first[d + 1]).
std::vector<int> BoxStarts(int sourceHeight, int destinationHeight) {
  std::vector<int> first;
  first.reserve(static_cast<std::size_t>(destinationHeight) + 1);
  first.push_back(0);
  WalkRowBoxes(
      sourceHeight, destinationHeight,
      [&](int i, std::ptrdiff_t, std::uint64_t) {
        first.push_back(i);
        return true;
      },
      [](int) { return true; });
  return first;
}

// Destination rows per band when several threads share the work.
constexpr int kBandRows = 32;

// The destination rows in bands on several threads, each band summing its own boxes of source
// rows, with the bytes of the walk above; the calling thread reports the percentage as the
// bands finish in order, at the positions the walk reports at.
template <typename Sum>
BOOL ReduceBothInBands(const CDibImage& source, CDibImage& destination, PercentReporter& reporter,
                       CProgress* progress, int threads) {
  const int sourceWidth = source.GetWidth();
  const int destinationHeight = destination.GetHeight();
  const std::size_t sumCount = 3 * static_cast<std::size_t>(sourceWidth);
  const auto columnMap = NewBuffer<int>(static_cast<std::size_t>(sourceWidth) + 1);
  if (!columnMap) return FALSE;
  FillBoxMap(columnMap.get(), sourceWidth, destination.GetWidth());
  const std::vector<int> first = BoxStarts(source.GetHeight(), destinationHeight);

  const std::uint8_t* sourceTop = source.GetPixelAddress(0, 0);
  const auto sourceStride = static_cast<std::ptrdiff_t>(source.GetRowBytes());
  std::uint8_t* outTop = destination.GetPixelAddress(0, 0);
  const auto outStride = static_cast<std::ptrdiff_t>(destination.GetRowBytes());
  const int bands = (destinationHeight + kBandRows - 1) / kBandRows;
  std::unique_ptr<bool[]> failed(new bool[static_cast<std::size_t>(bands)]());
  COrderedWork work(bands, threads, [&](int band) {
    const auto sums = NewBuffer<Sum>(sumCount);
    if (!sums) {
      failed[static_cast<std::size_t>(band)] = true;
      return;
    }
    const int end = std::min(destinationHeight, (band + 1) * kBandRows);
    for (int d = band * kBandRows; d < end; ++d) {
      std::fill(sums.get(), sums.get() + sumCount, Sum{0});
      for (int i = first[d]; i < first[d + 1]; ++i)
        AddRow(sums.get(), sourceTop - i * sourceStride, sumCount);
      BoxRow<Sum> boxRow(sums.get(), columnMap.get(), sourceWidth,
                         static_cast<std::uint64_t>(first[d + 1] - first[d]), outTop - d * outStride);
      boxRow.Run(0, sourceWidth + 1);
    }
  });
  const auto goOn = [progress] { return progress == nullptr || !progress->CheckCancel(); };
  for (int band = 0; band < bands; ++band) {
    if (!work.WaitFor(band, goOn)) return TRUE;
    if (failed[static_cast<std::size_t>(band)]) return FALSE;
    const int end = std::min(destinationHeight, (band + 1) * kBandRows);
    for (int d = band * kBandRows; d < end; ++d) {
      const auto rowStart = static_cast<std::uint64_t>(first[d + 1]) * static_cast<std::uint64_t>(sourceWidth);
      if (!reporter.WalkRow(rowStart, sourceWidth + 1, [](int, int) {})) return TRUE;
    }
  }
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

template <typename Sum>
BOOL ReduceBothWith(const CDibImage& source, CDibImage& destination, PercentReporter& reporter,
                    CProgress* progress, int threads) {
  if (COrderedWork::ThreadsFor(threads) > 1 && destination.GetHeight() > kBandRows)
    return ReduceBothInBands<Sum>(source, destination, reporter, progress, threads);
  return ReduceBothWith<Sum>(source, destination, reporter);
}

BOOL ReduceBoth(const CDibImage& source, CDibImage& destination, CProgress* progress, int threads) {
  const std::int64_t sourceHeight = source.GetHeight();
  PercentReporter reporter(progress, static_cast<std::uint64_t>(sourceHeight) *
                                         static_cast<std::uint64_t>(source.GetWidth()));
  // The narrowest sums that hold a whole box of rows: adding rows into 16-bit sums is what
  // reducing a photograph to a tile spends most of its time on, and runs twice as wide.
  const auto boxRows = static_cast<std::int64_t>(MaxRowsPerBox(source.GetHeight(), destination.GetHeight()));
  if (boxRows <= kMaxRowsIn16BitSums)
    return ReduceBothWith<std::uint16_t>(source, destination, reporter, progress, threads);
  if (boxRows <= kMaxRowsIn32BitSums)
    return ReduceBothWith<std::uint32_t>(source, destination, reporter, progress, threads);
  return ReduceBothWith<std::uint64_t>(source, destination, reporter, progress, threads);
}

}  // namespace resample
