#include "image/Resample.h"

#include <cstdint>
#include <limits>

#include "image/Progress.h"
#include "image/ResampleProcedures.h"
#include "resources/StringTable.h"

namespace {

// The nearest-neighbour first stage of a strong reduction, when it applies and its image can be
// had; otherwise the box average runs from the source itself.
BOOL ReduceBothPreShrunk(const CDibImage& source, CDibImage& destination, int preShrink,
                         CProgress* progress, int threads) {
  const std::int64_t width = static_cast<std::int64_t>(destination.GetWidth()) * preShrink;
  const std::int64_t height = static_cast<std::int64_t>(destination.GetHeight()) * preShrink;
  const bool smaller = width < source.GetWidth() || height < source.GetHeight();
  constexpr std::int64_t kMaxSide = std::numeric_limits<int>::max();
  if (preShrink != 0 && smaller && width <= kMaxSide && height <= kMaxSide) {
    CDibImage stretched;
    if (stretched.Create(static_cast<int>(width), static_cast<int>(height), TRUE)) {
      stretched.StretchFrom(0, 0, static_cast<int>(width), static_cast<int>(height), source);
      // The stretched copy stands in for the source, and so does its sink.
      return resample::ReduceBoth(stretched, destination, progress, threads);
    }
  }
  return resample::ReduceBoth(source, destination, progress, threads);
}

// Runs the procedure that the two directions call for; equal sizes count as enlarging.
BOOL RunProcedure(const CDibImage& source, CDibImage& destination, int preShrink, int threads) {
  CProgress* progress = source.GetProgress();
  const bool reduceAcross = destination.GetWidth() < source.GetWidth();
  const bool reduceDown = destination.GetHeight() < source.GetHeight();
  if (reduceAcross && reduceDown)
    return ReduceBothPreShrunk(source, destination, preShrink, progress, threads);
  if (reduceAcross) return resample::ReduceAcrossEnlargeDown(source, destination, progress);
  if (reduceDown) return resample::EnlargeAcrossReduceDown(source, destination, progress);
  return resample::EnlargeBoth(source, destination, progress, threads);
}

BOOL ResampleInPlace(CDibImage& image, int newWidth, int newHeight, int preShrink) {
  if (!image.Is24Bit() || newWidth < 1 || newHeight < 1) return FALSE;
  if (CProgress* progress = image.GetProgress()) progress->SetDetail(res::IDS_PREPARING_RESAMPLE);
  CDibImage resampled;
  if (!resampled.Create(newWidth, newHeight, TRUE)) return FALSE;
  if (!RunProcedure(image, resampled, preShrink, 1)) return FALSE;
  image.TakePixels(resampled);
  return TRUE;
}

// Lends a progress sink to an image and gives the image its own back when it goes out of scope.
class ProgressLoan {
 public:
  ProgressLoan(CDibImage& borrower, CProgress* lent)
      : m_borrower(borrower), m_own(borrower.GetProgress()), m_lent(lent != nullptr) {
    if (m_lent) m_borrower.SetProgress(lent);
  }
  ~ProgressLoan() {
    if (m_lent) m_borrower.SetProgress(m_own);
  }
  ProgressLoan(const ProgressLoan&) = delete;
  ProgressLoan& operator=(const ProgressLoan&) = delete;

 private:
  CDibImage& m_borrower;
  CProgress* m_own;
  bool m_lent;
};

}  // namespace

BOOL Resample(CDibImage& image, int newWidth, int newHeight) {
  return ResampleInPlace(image, newWidth, newHeight, 0);
}

BOOL ResampleFrom(CDibImage& destination, int newWidth, int newHeight, CDibImage& source,
                  int preShrink, int threads) {
  // Re-creating the destination would free the very pixels to be read.
  if (&destination == &source) return ResampleInPlace(source, newWidth, newHeight, preShrink);
  if (!source.Is24Bit() || newWidth < 1 || newHeight < 1) return FALSE;
  CProgress* progress = destination.GetProgress();
  if (progress != nullptr) progress->SetDetail(res::IDS_PREPARING_RESAMPLE);
  const ProgressLoan loan(source, progress);
  if (!destination.Create(newWidth, newHeight, TRUE)) return FALSE;
  return RunProcedure(source, destination, preShrink, threads);
}
