#include "formats/PngWriter.h"

#include <spng.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <new>
#include <vector>

#include "formats/AtomicFile.h"
#include "formats/PixelRows.h"
#include "image/NumberUtils.h"
#include "image/Progress.h"
#include "resources/StringTable.h"

namespace {

// zlib's level 3 makes files of photographs a few percent larger than its default of 6 in about
// half the time; posters are hundreds of megapixels.
constexpr int kCompressionLevel = 3;
constexpr double kMetresPerInch = 0.0254;

struct SpngDeleter {
  void operator()(spng_ctx* ctx) const { spng_ctx_free(ctx); }
};

// Shows "%s KBytes written" and the bar; false when the user cancelled.
bool ReportWritten(CProgress* progress, std::FILE* file, int percent) {
  if (progress == nullptr) return true;
  const long bytes = std::ftell(file);
  char text[96];
  const std::string kbytes = FormatThousands(static_cast<std::uint32_t>(bytes > 0 ? bytes / 1024 : 0));
  std::snprintf(text, sizeof text, res::LoadString(res::IDS_KBYTES_WRITTEN), kbytes.c_str());
  return progress->SetDetail(std::string(text)) && progress->SetPercent(percent);
}

bool StartEncoding(spng_ctx* ctx, const CDibImage& image, std::FILE* file) {
  spng_ihdr ihdr{};
  ihdr.width = static_cast<std::uint32_t>(image.GetWidth());
  ihdr.height = static_cast<std::uint32_t>(image.GetHeight());
  ihdr.bit_depth = 8;
  ihdr.color_type = SPNG_COLOR_TYPE_TRUECOLOR;
  // Pixels per metre, when the image has a print size.
  if (const double pixelsPerInch = image.GetPixelsPerInch(); pixelsPerInch > 0) {
    spng_phys phys{};
    phys.ppu_x = phys.ppu_y = static_cast<std::uint32_t>(
        std::min(std::lround(pixelsPerInch / kMetresPerInch), long{INT32_MAX}));
    phys.unit_specifier = 1;
    if (spng_set_phys(ctx, &phys) != 0) return false;
  }
  return spng_set_png_file(ctx, file) == 0 && spng_set_ihdr(ctx, &ihdr) == 0 &&
         spng_set_option(ctx, SPNG_IMG_COMPRESSION_LEVEL, kCompressionLevel) == 0 &&
         spng_encode_image(ctx, nullptr, 0, SPNG_FMT_PNG,
                           SPNG_ENCODE_PROGRESSIVE | SPNG_ENCODE_FINALIZE) == 0;
}

// Hands the rows to the library top row first, each turned to red, green, blue.
SaveResult EncodeRows(spng_ctx* ctx, const CDibImage& image, std::FILE* file,
                      CProgress* progress) {
  const int width = image.GetWidth(), height = image.GetHeight();
  std::vector<std::uint8_t> row(static_cast<std::size_t>(width) * 3);
  int shownPercent = -1;
  for (int y = 0; y < height; ++y) {
    RgbToBgrRow(row.data(), image.GetPixelAddress(0, y), width);
    const int status = spng_encode_row(ctx, row.data(), row.size());
    if (status != 0 && !(status == SPNG_EOI && y == height - 1)) return SaveResult::kWriteError;
    const int percent = static_cast<int>(static_cast<std::int64_t>(y + 1) * 100 / height);
    if (percent != shownPercent) {
      shownPercent = percent;
      if (!ReportWritten(progress, file, percent)) return SaveResult::kCancelled;
    }
  }
  return SaveResult::kSaved;
}

}  // namespace

SaveResult WritePngFile(const CDibImage& image, const COutputTarget& target,
                        CProgress* progress) {
  if (!image.IsValid() || !image.Is24Bit()) return SaveResult::kWriteError;
  try {
    if (progress != nullptr && !progress->SetStage(res::IDS_SAVING_PNG))
      return SaveResult::kCancelled;
    CAtomicFile output(target);
    std::FILE* file = output.Open();
    if (file == nullptr) return SaveResult::kWriteError;
    SaveResult result = SaveResult::kWriteError;
    {
      std::unique_ptr<spng_ctx, SpngDeleter> ctx(spng_ctx_new(SPNG_CTX_ENCODER));
      if (!ctx) return SaveResult::kNoMemory;
      if (!StartEncoding(ctx.get(), image, file)) return SaveResult::kWriteError;
      result = EncodeRows(ctx.get(), image, file, progress);
    }
    if (result != SaveResult::kSaved) return result;
    return output.Commit() ? SaveResult::kSaved : SaveResult::kWriteError;
  } catch (const std::bad_alloc&) {
    return SaveResult::kNoMemory;
  }
}
