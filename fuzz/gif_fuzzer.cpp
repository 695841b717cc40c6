// libFuzzer target for the GIF reader (inputs reach it through the first-byte dispatch).
#include "fuzz/FuzzImageFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzImageFile(data, size);
  return 0;
}
