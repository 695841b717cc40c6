// libFuzzer target for the WebP reader (inputs reach it through the first-byte dispatch).
#include <webp/decode.h>

#include <cstdint>

#include "fuzz/FuzzImageFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The format's sides are at most 16383; pictures above four megapixels decode correctly but
  // slowly and tell nothing new about the reader: they are skipped.
  int width = 0, height = 0;
  if (WebPGetInfo(data, size, &width, &height) &&
      static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) > (1u << 22))
    return 0;
  FuzzImageFile(data, size);
  return 0;
}
