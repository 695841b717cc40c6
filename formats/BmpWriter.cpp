#include "formats/BmpWriter.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <sys/types.h>
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

// Bytes of a row in the file: three a pixel, padded to 4.
std::uint64_t RowBytes(std::int64_t width) {
  return (static_cast<std::uint64_t>(width) * 3 + 3) & ~std::uint64_t{3};
}

// The headers of a width × height picture whose pixel block takes imageBytes.
bool WriteHeaders(std::FILE* file, int width, int height, std::uint32_t imageBytes) {
  BITMAPFILEHEADER fileHeader{};
  fileHeader.bfType = kBmpFileType;
  fileHeader.bfSize = imageBytes + kPixelOffset;
  fileHeader.bfOffBits = kPixelOffset;
  BITMAPINFOHEADER infoHeader{};
  infoHeader.biSize = sizeof(BITMAPINFOHEADER);
  infoHeader.biWidth = width;
  infoHeader.biHeight = height;
  infoHeader.biPlanes = 1;
  infoHeader.biBitCount = 24;
  infoHeader.biCompression = BI_RGB;
  infoHeader.biSizeImage = imageBytes;
  return std::fwrite(&fileHeader, sizeof fileHeader, 1, file) == 1 &&
         std::fwrite(&infoHeader, sizeof infoHeader, 1, file) == 1;
}

}  // namespace

bool BmpCanHold(std::int64_t width, std::int64_t height) {
  if (width < 0 || height < 0) return false;
  const std::uint64_t rowBytes = RowBytes(width);
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
  if (!WriteHeaders(file, image.GetWidth(), image.GetHeight(),
                    static_cast<std::uint32_t>(imageBytes)))
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

CBmpRowWriter::CBmpRowWriter(const COutputTarget& target) : m_output(target) {}

bool CBmpRowWriter::Begin(int width, int height, double /*pixelsPerInch: the header keeps none*/) {
  if (width <= 0 || height <= 0 || !BmpCanHold(width, height)) return Fail(SaveResult::kTooLarge);
  m_height = height;
  m_rowBytes = RowBytes(width);
  m_file = m_output.Open();
  if (m_file == nullptr) return Fail(SaveResult::kWriteError);
  const std::uint64_t imageBytes = m_rowBytes * static_cast<std::uint64_t>(height);
  if (!WriteHeaders(m_file, width, height, static_cast<std::uint32_t>(imageBytes)))
    return Fail(SaveResult::kWriteError);
  return true;
}

// The file holds the rows bottom-up, as an image's pixel block does: the count rows from first
// lie in the block as one run, and go to their place in the file in one write.
bool CBmpRowWriter::Write(const CDibImage& rows, int first, int count) {
  if (m_file == nullptr || count <= 0 || m_written + count > m_height)
    return Fail(SaveResult::kWriteError);
  const std::uint64_t offset =
      kPixelOffset + static_cast<std::uint64_t>(m_height - m_written - count) * m_rowBytes;
  const std::size_t bytes = static_cast<std::size_t>(m_rowBytes) * static_cast<std::size_t>(count);
  if (fseeko(m_file, static_cast<off_t>(offset), SEEK_SET) != 0 ||
      std::fwrite(rows.GetPixelAddress(0, first + count - 1), 1, bytes, m_file) != bytes)
    return Fail(SaveResult::kWriteError);
  m_written += count;
  return true;
}

SaveResult CBmpRowWriter::Finish(CProgress*) {
  if (Failure() != SaveResult::kSaved) return RecalledFailure();
  if (m_file == nullptr || m_written != m_height) return SaveResult::kWriteError;
  return m_output.Commit() ? SaveResult::kSaved : SaveResult::kWriteError;
}
