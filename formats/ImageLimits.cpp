#include "formats/ImageLimits.h"

#include <sys/stat.h>

#include <limits>

namespace {

std::uint64_t Area(int width, int height) {
  if (width < 1 || height < 1) return 0;
  return static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height);
}

}  // namespace

bool IsWithinAreaLimit(int width, int height) { return Area(width, height) <= kMaxImagePixels; }

bool DataCouldFill(int width, int height, std::uint64_t dataPixels) {
  const std::uint64_t area = Area(width, height);
  return area <= kAnyDataPixels || area <= dataPixels;
}

std::uint64_t BytesLeft(std::FILE* file) {
  struct stat status {};
  if (file == nullptr || fstat(fileno(file), &status) != 0) return 0;
  const long at = std::ftell(file);
  if (at < 0 || status.st_size <= at) return 0;
  return static_cast<std::uint64_t>(status.st_size - at);
}

std::uint64_t PixelsFromBytes(std::uint64_t dataBytes, std::uint64_t pixelsPerByte) {
  constexpr std::uint64_t kMost = std::numeric_limits<std::uint64_t>::max();
  if (pixelsPerByte != 0 && dataBytes > kMost / pixelsPerByte) return kMost;
  return dataBytes * pixelsPerByte;
}
