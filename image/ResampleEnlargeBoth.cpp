// Enlarge both: bilinear interpolation in hundredths. Every destination pixel mixes a source
// pixel with its horizontal, vertical and diagonal neighbours on the side the sampling position
// leans to; positions are worked out in double precision, the mixing in integers.
//
// For speed the source rows are first spread out to the destination's columns (each byte beside
// the byte of its neighbour column), once per source row, so that mixing a destination row is a
// straight walk over equal-length byte arrays that the compiler turns into vector code.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "image/DibImage.h"
#include "image/OrderedWork.h"
#include "image/PercentReporter.h"
#include "image/Progress.h"
#include "image/ResampleProcedures.h"

namespace resample {
namespace {

// Where a destination column or row samples the source: the nearest source index, the neighbour
// towards the position, and how far (0 .. 50 hundredths) the position leans to the neighbour.
struct Tap {
  int index;
  int neighbour;
  int lean;
};

Tap TapAt(int i, int sourceCount, int destinationCount) {
  const double position = static_cast<double>(sourceCount) * i / destinationCount;
  const int index = static_cast<int>(position);
  const int hundredths = static_cast<int>(position * 100 - index * 100.0 - 50);
  Tap tap{index, 0, std::abs(hundredths)};
  if (hundredths < 0)
    tap.neighbour = index > 0 ? index - 1 : 0;
  else
    tap.neighbour = index + 1 < sourceCount ? index + 1 : sourceCount - 1;
  return tap;
}

// The destination columns' sampling: byte offsets of each column's source pixel and neighbour,
// and the horizontal lean repeated for the three bytes of the column.
struct ColumnTaps {
  std::unique_ptr<std::size_t[]> ownOffset;
  std::unique_ptr<std::size_t[]> neighbourOffset;
  std::unique_ptr<std::uint16_t[]> leanPerByte;
};

BOOL MakeColumnTaps(ColumnTaps& taps, int sourceWidth, int destinationWidth) {
  const auto width = static_cast<std::size_t>(destinationWidth);
  taps.ownOffset = NewBuffer<std::size_t>(width);
  taps.neighbourOffset = NewBuffer<std::size_t>(width);
  taps.leanPerByte = NewBuffer<std::uint16_t>(3 * width);
  if (!taps.ownOffset || !taps.neighbourOffset || !taps.leanPerByte) return FALSE;
  for (std::size_t j = 0; j < width; ++j) {
    const Tap tap = TapAt(static_cast<int>(j), sourceWidth, destinationWidth);
    taps.ownOffset[j] = 3 * static_cast<std::size_t>(tap.index);
    taps.neighbourOffset[j] = 3 * static_cast<std::size_t>(tap.neighbour);
    for (std::size_t c = 0; c < 3; ++c)
      taps.leanPerByte[3 * j + c] = static_cast<std::uint16_t>(tap.lean);
  }
  return TRUE;
}

// One source row spread to the destination's columns: byte k of destination column j is byte
// k of the column's source pixel in `own` and of its neighbour in `neighbour`.
struct SpreadRow {
  int sourceRow = -1;
  std::uint8_t* own = nullptr;
  std::uint8_t* neighbour = nullptr;
};

// Spread rows of the three source rows around the current one. A destination row needs its
// source row and the row above or below it, and these three differ in their value modulo 3,
// so each has a slot of its own and fetching one never evicts the other.
class SpreadRows {
 public:
  SpreadRows(const CDibImage& source, const ColumnTaps& taps, int destinationWidth)
      : m_sourceTop(source.GetPixelAddress(0, 0)),
        m_sourceStride(static_cast<std::ptrdiff_t>(source.GetRowBytes())),
        m_taps(taps),
        m_width(static_cast<std::size_t>(destinationWidth)),
        m_bytes(NewBuffer<std::uint8_t>(kSlots * 2 * 3 * m_width)) {
    if (!m_bytes) return;
    for (std::size_t s = 0; s < kSlots; ++s) {
      m_slots[s].own = m_bytes.get() + 2 * s * 3 * m_width;
      m_slots[s].neighbour = m_slots[s].own + 3 * m_width;
    }
  }

  [[nodiscard]] bool HasMemory() const { return m_bytes != nullptr; }

  const SpreadRow& Get(int sourceRow) {
    SpreadRow& slot = m_slots[static_cast<std::size_t>(sourceRow) % kSlots];
    if (slot.sourceRow != sourceRow) {
      Spread(slot, m_sourceTop - sourceRow * m_sourceStride);
      slot.sourceRow = sourceRow;
    }
    return slot;
  }

 private:
  static constexpr std::size_t kSlots = 3;

  void Spread(SpreadRow& slot, const std::uint8_t* row) const {
    for (std::size_t j = 0; j < m_width; ++j) {
      std::memcpy(slot.own + 3 * j, row + m_taps.ownOffset[j], 3);
      std::memcpy(slot.neighbour + 3 * j, row + m_taps.neighbourOffset[j], 3);
    }
  }

  const std::uint8_t* m_sourceTop;
  std::ptrdiff_t m_sourceStride;
  const ColumnTaps& m_taps;
  std::size_t m_width;
  std::unique_ptr<std::uint8_t[]> m_bytes;
  SpreadRow m_slots[kSlots];
};

// Products and quotients of 16-bit operands, written so that the compiler keeps them in 16-bit
// vector lanes: every value here stays below 2^16.
constexpr std::uint16_t Times(std::uint16_t a, std::uint16_t b) {
  return static_cast<std::uint16_t>(a * b);
}
constexpr std::uint16_t Percent(std::uint16_t value, std::uint16_t weight) {
  return static_cast<std::uint16_t>(Times(value, weight) / 100u);
}

// Mixes destination bytes [begin, end) of one row. For horizontal lean X and vertical lean Y
// the weights in percent are: diagonal X·Y/100, vertical (100-X)·Y/100, horizontal (100-Y)·X/100
// and the pixel itself the rest; each of the four terms is truncated on its own, so white can
// lose up to 3 levels. Kept inline: called on its own the loop lost its vector code and ran
// four times slower (measured).
[[gnu::always_inline]] inline void MixBytes(std::uint8_t* out, const SpreadRow& ownRow,
                                            const SpreadRow& neighbourRow,
                                            const std::uint16_t* leanAcross,
                                            std::uint16_t leanDown, std::size_t begin,
                                            std::size_t end) {
  const auto restDown = static_cast<std::uint16_t>(100 - leanDown);
  for (std::size_t k = begin; k < end; ++k) {
    const std::uint16_t x = leanAcross[k];
    const std::uint16_t diagonal = Percent(x, leanDown);
    const std::uint16_t vertical = Percent(static_cast<std::uint16_t>(100 - x), leanDown);
    const std::uint16_t horizontal = Percent(restDown, x);
    const auto self = static_cast<std::uint16_t>(100 - diagonal - vertical - horizontal);
    out[k] = static_cast<std::uint8_t>(
        Percent(ownRow.own[k], self) + Percent(ownRow.neighbour[k], horizontal) +
        Percent(neighbourRow.own[k], vertical) + Percent(neighbourRow.neighbour[k], diagonal));
  }
}

// Mixes destination rows [begin, end) from source rows spread through spreadRows.
void MixRows(const CDibImage& source, CDibImage& destination, const ColumnTaps& taps,
             SpreadRows& spreadRows, int begin, int end) {
  const int destinationWidth = destination.GetWidth();
  std::uint8_t* outTop = destination.GetPixelAddress(0, 0);
  const auto outStride = static_cast<std::ptrdiff_t>(destination.GetRowBytes());
  for (int i = begin; i < end; ++i) {
    const Tap y = TapAt(i, source.GetHeight(), destination.GetHeight());
    const SpreadRow& ownRow = spreadRows.Get(y.index);
    const SpreadRow& neighbourRow = spreadRows.Get(y.neighbour);
    MixBytes(outTop - i * outStride, ownRow, neighbourRow, taps.leanPerByte.get(),
             static_cast<std::uint16_t>(y.lean), 0, 3 * static_cast<std::size_t>(destinationWidth));
  }
}

// Rows per band when several threads share the work: enough that each band's spread rows pay
// off, few enough that the percentage moves on steadily.
constexpr int kBandRows = 64;

// The rows in bands on several threads; the percentage is reported by the calling thread as
// the bands finish in order. FALSE when a band's buffer could not be had.
BOOL EnlargeInBands(const CDibImage& source, CDibImage& destination, const ColumnTaps& taps,
                    PercentReporter& reporter, CProgress* progress, int threads) {
  const int height = destination.GetHeight(), width = destination.GetWidth();
  const int bands = (height + kBandRows - 1) / kBandRows;
  std::unique_ptr<bool[]> failed(new bool[static_cast<std::size_t>(bands)]());
  COrderedWork work(bands, threads, [&](int band) {
    SpreadRows spreadRows(source, taps, width);
    if (!spreadRows.HasMemory()) {
      failed[static_cast<std::size_t>(band)] = true;
      return;
    }
    MixRows(source, destination, taps, spreadRows, band * kBandRows,
            std::min(height, (band + 1) * kBandRows));
  });
  const auto goOn = [progress] { return progress == nullptr || !progress->CheckCancel(); };
  const auto width64 = static_cast<std::uint64_t>(width);
  for (int band = 0; band < bands; ++band) {
    if (!work.WaitFor(band, goOn)) return TRUE;
    if (failed[static_cast<std::size_t>(band)]) return FALSE;
    const int end = std::min(height, (band + 1) * kBandRows);
    for (int i = band * kBandRows; i < end; ++i)
      if (!reporter.WalkRow(i * width64, width, [](int, int) {})) return TRUE;
  }
  return TRUE;
}

}  // namespace

BOOL EnlargeBoth(const CDibImage& source, CDibImage& destination, CProgress* progress,
                 int threads) {
  const int sourceWidth = source.GetWidth(), sourceHeight = source.GetHeight();
  const int destinationWidth = destination.GetWidth(), destinationHeight = destination.GetHeight();
  const auto destinationWidth64 = static_cast<std::uint64_t>(destinationWidth);
  PercentReporter reporter(progress,
                           destinationWidth64 * static_cast<std::uint64_t>(destinationHeight));
  ColumnTaps taps;
  if (!MakeColumnTaps(taps, sourceWidth, destinationWidth)) return FALSE;
  if (COrderedWork::ThreadsFor(threads) > 1 && destinationHeight > kBandRows)
    return EnlargeInBands(source, destination, taps, reporter, progress, threads);
  SpreadRows spreadRows(source, taps, destinationWidth);
  if (!spreadRows.HasMemory()) return FALSE;

  std::uint8_t* outTop = destination.GetPixelAddress(0, 0);
  const auto outStride = static_cast<std::ptrdiff_t>(destination.GetRowBytes());
  for (int i = 0; i < destinationHeight; ++i) {
    const Tap y = TapAt(i, sourceHeight, destinationHeight);
    const SpreadRow& ownRow = spreadRows.Get(y.index);
    const SpreadRow& neighbourRow = spreadRows.Get(y.neighbour);
    std::uint8_t* out = outTop - i * outStride;
    const auto leanDown = static_cast<std::uint16_t>(y.lean);
    if (!reporter.WalkRow(i * destinationWidth64, destinationWidth, [&](int begin, int end) {
          MixBytes(out, ownRow, neighbourRow, taps.leanPerByte.get(), leanDown,
                   3 * static_cast<std::size_t>(begin), 3 * static_cast<std::size_t>(end));
        }))
      return TRUE;
  }
  return TRUE;
}

}  // namespace resample
