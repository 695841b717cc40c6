#include "formats/BmpWriter.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <limits>

#include "formats/AtomicFile.h"
#include "image/NumberUtils.h"
#include "image/Progress.h"
#include "resources/StringTable.h"

namespace {

constexpr std::uint32_t kPixelOffset = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);

// Shows "%s KBytes written"; false when the user cancelled.
bool ReportWritten(CProgress* progress, std::uint64_t bytes) {
  if (progress == nullptr) return true;
  char text[96];
  const std::string kbytes = FormatThousands(static_cast<std::uint32_t>(bytes / 1024));
  std::snprintf(text, sizeof text, res::LoadString(res::IDS_KBYTES_WRITTEN), kbytes.c_str());
  return progress->SetDetail(std::string(text));
}

bool WriteHeaders(std::FILE* file, const CDibImage& image, std::uint32_t fileSize) {
  BITMAPFILEHEADER fileHeader{};
  fileHeader.bfType = kBmpFileType;
  fileHeader.bfSize = fileSize;
  fileHeader.bfOffBits = kPixelOffset;
  BITMAPINFOHEADER infoHeader = *image.GetInfoHeader();
  infoHeader.biClrUsed = 0;
  infoHeader.biClrImportant = 0;
  infoHeader.biSizeImage = static_cast<std::uint32_t>(image.GetImageBytes());
  return std::fwrite(&fileHeader, sizeof fileHeader, 1, file) == 1 &&
         std::fwrite(&infoHeader, sizeof infoHeader, 1, file) == 1;
}

}  // namespace

bool BmpCanHold(std::int64_t width, std::int64_t height) {
  if (width < 0 || height < 0) return false;
  const std::uint64_t rowBytes = (static_cast<std::uint64_t>(width) * 3 + 3) & ~std::uint64_t{3};
  const std::uint64_t limit = std::numeric_limits<std::uint32_t>::max() - kPixelOffset;
  return rowBytes == 0 || static_cast<std::uint64_t>(height) <= limit / rowBytes;
}

SaveResult WriteBmpFile(const CDibImage& image, const COutputTarget& target,
                        CProgress* progress) {
  if (!image.IsValid() || !image.Is24Bit()) return SaveResult::kWriteError;
  const std::uint64_t imageBytes = image.GetImageBytes();
  if (!BmpCanHold(image.GetWidth(), image.GetHeight())) return SaveResult::kTooLarge;

  if (progress != nullptr) {
    progress->SetStage(res::IDS_SAVING_BMP);
    if (!progress->SetDetail(res::IDS_WRITING_HEADER)) return SaveResult::kCancelled;
  }
  CAtomicFile output(target);
  std::FILE* file = output.Open();
  if (file == nullptr) return SaveResult::kWriteError;
  if (!WriteHeaders(file, image, static_cast<std::uint32_t>(imageBytes + kPixelOffset)))
    return SaveResult::kWriteError;

  // The pixel block holds the rows bottom-up and padded, exactly as the file wants them; they go
  // out in chunks so that the progress line moves and a cancel is seen.
  constexpr std::size_t kChunkBytes = std::size_t{1} << 20;
  const std::uint8_t* bits = image.GetBits();
  for (std::uint64_t written = 0; written < imageBytes;) {
    const std::size_t chunk = static_cast<std::size_t>(std::min<std::uint64_t>(kChunkBytes, imageBytes - written));
    if (std::fwrite(bits + written, 1, chunk, file) != chunk) return SaveResult::kWriteError;
    written += chunk;
    if (!ReportWritten(progress, written + kPixelOffset)) return SaveResult::kCancelled;
  }
  return output.Commit() ? SaveResult::kSaved : SaveResult::kWriteError;
}
