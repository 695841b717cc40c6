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

// Shows "%s KBytes written" and the bar; false when the user cancelled.
bool ReportWritten(CProgress* progress, long bytes, int percent) {
  if (progress == nullptr) return true;
  char text[96];
  const std::string kbytes = FormatThousands(static_cast<std::uint32_t>(bytes > 0 ? bytes / 1024 : 0));
  std::snprintf(text, sizeof text, res::LoadString(res::IDS_KBYTES_WRITTEN), kbytes.c_str());
  return progress->SetDetail(std::string(text)) && progress->SetPercent(percent);
}

bool StartEncoding(spng_ctx* ctx, int width, int height, double pixelsPerInch, std::FILE* file) {
  spng_ihdr ihdr{};
  ihdr.width = static_cast<std::uint32_t>(width);
  ihdr.height = static_cast<std::uint32_t>(height);
  ihdr.bit_depth = 8;
  ihdr.color_type = SPNG_COLOR_TYPE_TRUECOLOR;
  // Pixels per metre, when the image has a print size.
  if (pixelsPerInch > 0) {
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

}  // namespace

void CPngRowWriter::SpngDeleter::operator()(spng_ctx* ctx) const { spng_ctx_free(ctx); }

CPngRowWriter::CPngRowWriter(const COutputTarget& target) : m_output(target) {}

CPngRowWriter::~CPngRowWriter() = default;

bool CPngRowWriter::Begin(int width, int height, double pixelsPerInch) {
  if (width <= 0 || height <= 0) return Fail(SaveResult::kWriteError);
  m_height = height;
  m_row.resize(static_cast<std::size_t>(width) * 3);
  m_file = m_output.Open();
  if (m_file == nullptr) return Fail(SaveResult::kWriteError);
  m_ctx.reset(spng_ctx_new(SPNG_CTX_ENCODER));
  if (!m_ctx) return Fail(SaveResult::kNoMemory);
  if (!StartEncoding(m_ctx.get(), width, height, pixelsPerInch, m_file)) return Fail(SaveResult::kWriteError);
  return true;
}

// Hands the rows to the library top row first, each turned to red, green, blue.
bool CPngRowWriter::Write(const CDibImage& rows, int first, int count) {
  if (!m_ctx || m_written + count > m_height) return Fail(SaveResult::kWriteError);
  const int width = static_cast<int>(m_row.size() / 3);
  for (int y = first; y < first + count; ++y) {
    RgbToBgrRow(m_row.data(), rows.GetPixelAddress(0, y), width);
    const int status = spng_encode_row(m_ctx.get(), m_row.data(), m_row.size());
    ++m_written;
    // The library answers the last row with "end of image": it has finished the stream.
    if (status != 0 && !(status == SPNG_EOI && m_written == m_height))
      return Fail(SaveResult::kWriteError);
  }
  return true;
}

long CPngRowWriter::BytesWritten() const { return m_file ? std::ftell(m_file) : 0; }

SaveResult CPngRowWriter::Finish(CProgress*) {
  if (Failure() != SaveResult::kSaved) return RecalledFailure();
  if (!m_ctx || m_written != m_height) return SaveResult::kWriteError;
  m_ctx.reset();
  return m_output.Commit() ? SaveResult::kSaved : SaveResult::kWriteError;
}

SaveResult WritePngFile(const CDibImage& image, const COutputTarget& target,
                        CProgress* progress) {
  if (!image.IsValid() || !image.Is24Bit()) return SaveResult::kWriteError;
  try {
    if (progress != nullptr && !progress->SetStage(res::IDS_SAVING_PNG))
      return SaveResult::kCancelled;
    CPngRowWriter writer(target);
    const int height = image.GetHeight();
    if (!writer.Begin(image.GetWidth(), height, image.GetPixelsPerInch())) return writer.Finish(progress);
    int shownPercent = -1;
    for (int y = 0; y < height; ++y) {
      if (!writer.Write(image, y, 1)) return writer.Finish(progress);
      const int percent = static_cast<int>(static_cast<std::int64_t>(y + 1) * 100 / height);
      if (percent != shownPercent) {
        shownPercent = percent;
        if (!ReportWritten(progress, writer.BytesWritten(), percent)) return SaveResult::kCancelled;
      }
    }
    return writer.Finish(progress);
  } catch (const std::bad_alloc&) {
    return SaveResult::kNoMemory;
  }
}
