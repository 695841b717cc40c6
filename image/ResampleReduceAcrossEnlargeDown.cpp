// Reduce across, enlarge down: each destination row is interpolated in 64ths between two source
// rows, then box-averaged across.
#include <cstddef>
#include <cstdint>

#include "image/BoxRow.h"
#include "image/DibImage.h"
#include "image/PercentReporter.h"
#include "image/ResampleMaps.h"
#include "image/ResampleProcedures.h"

namespace resample {
namespace {

void InterpolateRows(std::uint8_t* values, const std::uint8_t* ownRow, const std::uint8_t* nextRow,
                     unsigned fraction, std::size_t count) {
  const unsigned ownWeight = 64 - fraction;
  for (std::size_t k = 0; k < count; ++k)
    values[k] = static_cast<std::uint8_t>((ownRow[k] * ownWeight + nextRow[k] * fraction) / 64);
}

}  // namespace

BOOL ReduceAcrossEnlargeDown(const CDibImage& source, CDibImage& destination, CProgress* progress) {
  const int sourceWidth = source.GetWidth(), sourceHeight = source.GetHeight();
  const int destinationHeight = destination.GetHeight();
  const auto sourceWidth64 = static_cast<std::uint64_t>(sourceWidth);
  PercentReporter reporter(progress, static_cast<std::uint64_t>(destinationHeight) * sourceWidth64);
  const std::size_t valueCount = 3 * static_cast<std::size_t>(sourceWidth);
  const auto columnMap = NewBuffer<int>(static_cast<std::size_t>(sourceWidth) + 1);
  const auto values = NewBuffer<std::uint8_t>(valueCount);
  if (!columnMap || !values) return FALSE;
  FillBoxMap(columnMap.get(), sourceWidth, destination.GetWidth());

  const std::uint8_t* sourceTop = source.GetPixelAddress(0, 0);
  const auto sourceStride = static_cast<std::ptrdiff_t>(source.GetRowBytes());
  std::uint8_t* outTop = destination.GetPixelAddress(0, 0);
  const auto outStride = static_cast<std::ptrdiff_t>(destination.GetRowBytes());
  for (int i = 0; i < destinationHeight; ++i) {
    const Position64ths y = PositionIn64ths(i, sourceHeight, destinationHeight);
    InterpolateRows(values.get(), sourceTop - y.index * sourceStride,
                    sourceTop - y.next * sourceStride, static_cast<unsigned>(y.fraction),
                    valueCount);
    // The values are single rows: the box totals are divided by the column count only.
    BoxRow<std::uint8_t> boxRow(values.get(), columnMap.get(), sourceWidth, 1,
                                outTop - i * outStride);
    if (!reporter.WalkRow(static_cast<std::uint64_t>(i) * sourceWidth64, sourceWidth + 1,
                          [&](int begin, int end) { boxRow.Run(begin, end); }))
      return TRUE;
  }
  return TRUE;
}

}  // namespace resample
