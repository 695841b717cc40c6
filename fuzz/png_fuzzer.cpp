// libFuzzer target for the PNG reader (inputs reach it through the first-byte dispatch).
#include <cstdint>

#include "fuzz/FuzzImageFile.h"

namespace {

// Pictures larger than this decode correctly but slowly and into gigabytes, which tells nothing
// new about the reader and would trip the fuzzer's memory limit: they are skipped.
constexpr std::uint64_t kMaxPixels = std::uint64_t{1} << 22;

std::uint32_t BigEndian32(const std::uint8_t* p) {
  return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3];
}

// The width and height of the header chunk lie at bytes 16 and 20.
bool SmallEnough(const std::uint8_t* data, std::size_t size) {
  if (size < 24) return true;
  return std::uint64_t{BigEndian32(data + 16)} * BigEndian32(data + 20) <= kMaxPixels;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (SmallEnough(data, size)) FuzzImageFile(data, size);
  return 0;
}
