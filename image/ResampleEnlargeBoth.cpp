// Enlarge both: bilinear interpolation in hundredths. Every destination pixel mixes a source
// pixel with its horizontal, vertical and diagonal neighbours on the side the sampling position
// leans to; positions are worked out in double precision, the mixing in integers.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "image/DibImage.h"
#include "image/PercentReporter.h"
#include "image/ResampleProcedures.h"

namespace resample {
namespace {

// Where a destination column or row samples the source: the nearest source index, the neighbour
// towards the position, and how far (0 .. 50 hundredths) the position leans to the neighbour.
struct Tap {
  int near;
  int neighbour;
  int lean;
};

Tap TapAt(int i, int sourceCount, int destinationCount) {
  const double position = static_cast<double>(sourceCount) * i / destinationCount;
  const int near = static_cast<int>(position);
  const int hundredths = static_cast<int>(position * 100 - near * 100.0 - 50);
  Tap tap{near, 0, std::abs(hundredths)};
  if (hundredths < 0)
    tap.neighbour = near > 0 ? near - 1 : 0;
  else
    tap.neighbour = near + 1 < sourceCount ? near + 1 : sourceCount - 1;
  return tap;
}

// The four weights in percent for one horizontal and one vertical lean.
struct Weights {
  unsigned self;
  unsigned horizontal;
  unsigned vertical;
  unsigned diagonal;
};

Weights WeightsFor(unsigned leanAcross, unsigned leanDown) {
  Weights w{};
  w.diagonal = leanAcross * leanDown / 100;
  w.vertical = (100 - leanAcross) * leanDown / 100;
  w.horizontal = (100 - leanDown) * leanAcross / 100;
  w.self = 100 - w.diagonal - w.vertical - w.horizontal;
  return w;
}

constexpr int kMaxLean = 50;

// A destination column: byte offsets of its source column and neighbour, and its lean.
struct ColumnTap {
  std::size_t nearOffset;
  std::size_t neighbourOffset;
  int lean;
};

void FillColumnTaps(ColumnTap* taps, int sourceWidth, int destinationWidth) {
  for (int j = 0; j < destinationWidth; ++j) {
    const Tap tap = TapAt(j, sourceWidth, destinationWidth);
    taps[j] = {3 * static_cast<std::size_t>(tap.near), 3 * static_cast<std::size_t>(tap.neighbour),
               tap.lean};
  }
}

// Two source rows (the sampled one and its vertical neighbour) and the weights of this row's
// lean for every column lean.
struct RowPair {
  const std::uint8_t* nearRow;
  const std::uint8_t* neighbourRow;
  Weights weights[kMaxLean + 1];
};

void MixPixels(std::uint8_t* out, const RowPair& rows, const ColumnTap* taps, int begin, int end) {
  for (int j = begin; j < end; ++j) {
    const ColumnTap& tap = taps[j];
    const Weights& w = rows.weights[tap.lean];
    const std::uint8_t* self = rows.nearRow + tap.nearOffset;
    const std::uint8_t* horizontal = rows.nearRow + tap.neighbourOffset;
    const std::uint8_t* vertical = rows.neighbourRow + tap.nearOffset;
    const std::uint8_t* diagonal = rows.neighbourRow + tap.neighbourOffset;
    std::uint8_t* pixel = out + 3 * static_cast<std::size_t>(j);
    // Each term is truncated on its own, so white can lose up to 3 levels.
    for (int c = 0; c < 3; ++c)
      pixel[c] = static_cast<std::uint8_t>(
          self[c] * w.self / 100 + horizontal[c] * w.horizontal / 100 +
          vertical[c] * w.vertical / 100 + diagonal[c] * w.diagonal / 100);
  }
}

}  // namespace

BOOL EnlargeBoth(const CDibImage& source, CDibImage& destination, CProgress* progress) {
  const int sourceWidth = source.GetWidth(), sourceHeight = source.GetHeight();
  const int destinationWidth = destination.GetWidth(), destinationHeight = destination.GetHeight();
  const auto destinationWidth64 = static_cast<std::uint64_t>(destinationWidth);
  PercentReporter reporter(progress,
                           destinationWidth64 * static_cast<std::uint64_t>(destinationHeight));
  const auto taps = NewBuffer<ColumnTap>(static_cast<std::size_t>(destinationWidth));
  if (!taps) return FALSE;
  FillColumnTaps(taps.get(), sourceWidth, destinationWidth);

  const std::uint8_t* sourceTop = source.GetPixelAddress(0, 0);
  const auto sourceStride = static_cast<std::ptrdiff_t>(source.GetRowBytes());
  std::uint8_t* outTop = destination.GetPixelAddress(0, 0);
  const auto outStride = static_cast<std::ptrdiff_t>(destination.GetRowBytes());
  RowPair rows{};
  for (int i = 0; i < destinationHeight; ++i) {
    const Tap y = TapAt(i, sourceHeight, destinationHeight);
    rows.nearRow = sourceTop - y.near * sourceStride;
    rows.neighbourRow = sourceTop - y.neighbour * sourceStride;
    for (int lean = 0; lean <= kMaxLean; ++lean)
      rows.weights[lean] = WeightsFor(static_cast<unsigned>(lean), static_cast<unsigned>(y.lean));
    std::uint8_t* out = outTop - i * outStride;
    if (!reporter.WalkRow(
            static_cast<std::uint64_t>(i) * destinationWidth64, destinationWidth,
            [&](int begin, int end) { MixPixels(out, rows, taps.get(), begin, end); }))
      return TRUE;
  }
  return TRUE;
}

}  // namespace resample
