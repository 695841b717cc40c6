// Enlarge both: bilinear interpolation in hundredths (image/Enlargement), the whole destination
// from its top row down.
#include <algorithm>
#include <cstdint>
#include <memory>

#include "image/DibImage.h"
#include "image/Enlargement.h"
#include "image/OrderedWork.h"
#include "image/PercentReporter.h"
#include "image/Progress.h"
#include "image/ResampleProcedures.h"

namespace resample {
namespace {

// Rows per band when several threads share the work: enough that each band's spread rows pay
// off, few enough that the percentage moves on steadily.
constexpr int kBandRows = 64;

// The rows in bands on several threads; the percentage is reported by the calling thread as
// the bands finish in order. FALSE when a band's buffer could not be had.
BOOL EnlargeInBands(const CEnlargement& enlargement, CDibImage& destination,
                    PercentReporter& reporter, CProgress* progress, int threads) {
  const int height = destination.GetHeight(), width = destination.GetWidth();
  const int bands = (height + kBandRows - 1) / kBandRows;
  std::unique_ptr<bool[]> failed(new bool[static_cast<std::size_t>(bands)]());
  COrderedWork work(bands, threads, [&](int band) {
    CEnlargement::Rows rows(enlargement, width);
    if (!rows.HasMemory()) {
      failed[static_cast<std::size_t>(band)] = true;
      return;
    }
    const int top = band * kBandRows;
    enlargement.Paint(destination, 0, top, 0, top, width, std::min(height - top, kBandRows), rows);
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
  const int width = destination.GetWidth(), height = destination.GetHeight();
  const auto width64 = static_cast<std::uint64_t>(width);
  PercentReporter reporter(progress, width64 * static_cast<std::uint64_t>(height));
  const CEnlargement enlargement(source, width, height);
  if (!enlargement.HasMemory()) return FALSE;
  if (COrderedWork::ThreadsFor(threads) > 1 && height > kBandRows)
    return EnlargeInBands(enlargement, destination, reporter, progress, threads);
  CEnlargement::Rows rows(enlargement, width);
  if (!rows.HasMemory()) return FALSE;
  rows.Aim(0, width);
  for (int i = 0; i < height; ++i) {
    std::uint8_t* out = destination.GetPixelAddress(0, i);
    if (!reporter.WalkRow(i * width64, width, [&](int begin, int end) {
          enlargement.MixRow(out, i, rows, 3 * static_cast<std::size_t>(begin),
                             3 * static_cast<std::size_t>(end));
        }))
      return TRUE;
  }
  return TRUE;
}

}  // namespace resample
