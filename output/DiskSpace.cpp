#include "output/DiskSpace.h"

#include <sys/statvfs.h>

#include <algorithm>
#include <filesystem>

#include "formats/JpegWriter.h"
#include "image/NumberUtils.h"

namespace {

constexpr std::uint64_t kMegabyte = 1024 * 1024;

// Header room of the formats, and zlib's worst case of a few bytes for every block it stores.
constexpr std::uint64_t kHeaderBytes = 64 * 1024;

std::uint64_t RowBytes(std::int64_t width) {
  return (static_cast<std::uint64_t>(width) * 3 + 3) & ~std::uint64_t{3};
}

// Compressed bytes in 1/100 of the pixels' bytes, measured with room to spare on photo-mosaic
// posters, whose cells hold more detail than a photograph.
unsigned JpegPercentOfPixels(unsigned jpegQualityCode) {
  switch (jpegQualityCode) {
    case kJpegQualityHigh: return 30;
    case kJpegQualityLow: return 12;
    default: return 20;
  }
}

std::string Megabytes(std::uint64_t megabytes) {
  return FormatThousands(static_cast<std::uint32_t>(std::min<std::uint64_t>(megabytes, UINT32_MAX))) +
         " MB";
}

}  // namespace

std::uint64_t PosterFileBytesAtMost(PosterFormat format, std::int64_t width, std::int64_t height,
                                    unsigned jpegQualityCode) {
  const std::uint64_t rows = static_cast<std::uint64_t>(height);
  const std::uint64_t pixels = RowBytes(width) * rows;
  switch (format) {
    case PosterFormat::kBmp:
      return pixels + 54;
    case PosterFormat::kPng:
      return pixels + rows + pixels / 8192 + kHeaderBytes;
    case PosterFormat::kJpeg:
      return pixels / 100 * JpegPercentOfPixels(jpegQualityCode) + kHeaderBytes;
  }
  return pixels;
}

std::optional<std::string> CheckDiskSpace(const std::string& output, std::uint64_t fileBytes) {
  std::filesystem::path folder = std::filesystem::path(output).parent_path();
  if (folder.empty()) folder = ".";
  struct statvfs disk {};
  if (statvfs(folder.c_str(), &disk) != 0) return std::nullopt;
  const std::uint64_t freeBytes = static_cast<std::uint64_t>(disk.f_bavail) * disk.f_frsize;
  if (freeBytes >= fileBytes) return std::nullopt;
  return output + ": not enough free disk space: the poster needs up to " +
         Megabytes((fileBytes + kMegabyte - 1) / kMegabyte) + ", and " + folder.string() +
         " has " + Megabytes(freeBytes / kMegabyte) + " free";
}
