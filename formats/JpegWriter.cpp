#include "formats/JpegWriter.h"

#include <jpeglib.h>

#include "formats/JpegRowFeed.h"
#include "formats/JpegSaveReport.h"
#include "image/Progress.h"
#include "resources/StringTable.h"

namespace {

// The library refuses sides above this (a little under 64 K to keep its arithmetic safe).
constexpr int kMaxSide = static_cast<int>(JPEG_MAX_DIMENSION);

// Every row is ready from the start; the steps are reported to the progress sink as they go.
class WholeImageFeed : public JpegRowFeed {
 public:
  WholeImageFeed(const CDibImage& image, CProgress* progress)
      : m_height(image.GetHeight()), m_report(progress, image.GetWidth(), image.GetHeight()) {}

  int WaitForRows(int) override { return m_height; }
  bool Started() override { return m_report.Compressing(); }
  bool Compressed(int done) override { return m_report.RowsCompressed(done); }
  bool Finishing() override { return m_report.Finishing(); }

 private:
  int m_height;
  CJpegSaveReport m_report;
};

}  // namespace

int JpegQualityFor(unsigned qualityCode) {
  // 75 is the library's own default and the usual balance of size and fidelity; 90 keeps
  // photographs visually indistinguishable from the original at about twice the size; 50 about
  // halves the Medium file again, with artefacts that a poster viewed from a distance hides.
  switch (qualityCode) {
    case kJpegQualityHigh: return 90;
    case kJpegQualityLow: return 50;
    default: return 75;
  }
}

bool JpegCanHold(std::int64_t width, std::int64_t height) {
  return width >= 0 && height >= 0 && width <= kMaxSide && height <= kMaxSide;
}

SaveResult WriteJpegFile(const CDibImage& image, const COutputTarget& target, unsigned qualityCode,
                         CProgress* progress) {
  if (!image.IsValid() || !image.Is24Bit()) return SaveResult::kWriteError;
  if (!JpegCanHold(image.GetWidth(), image.GetHeight())) return SaveResult::kTooLarge;
  if (progress != nullptr && (!progress->SetStage(res::IDS_SAVING_JPEG) ||
                              !progress->SetDetail(res::IDS_STARTING_COMPRESSION)))
    return SaveResult::kCancelled;
  WholeImageFeed feed(image, progress);
  return CompressJpegFile(image, target, JpegQualityFor(qualityCode), feed);
}
