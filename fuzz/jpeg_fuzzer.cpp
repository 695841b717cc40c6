// libFuzzer target for the JPEG reader (inputs reach it through the first-byte dispatch).
#include <cstdint>

#include "formats/JpegError.h"
#include "fuzz/FuzzImageFile.h"

namespace {

// Frames larger than this decode correctly but slowly and into gigabytes, which tells nothing
// new about the reader and would trip the fuzzer's memory limit: they are skipped.
constexpr std::uint64_t kMaxPixels = std::uint64_t{1} << 22;

// False only for a readable header whose frame is larger than kMaxPixels.
bool SmallEnough(const std::uint8_t* data, std::size_t size) {
  jpeg_decompress_struct info{};
  JpegErrorManager error{};
  info.err = InitJpegErrorManager(error);
  std::uint64_t pixels = 0;
  (void)RunJpegGuarded(error, [&] {
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, data, static_cast<unsigned long>(size));
    jpeg_read_header(&info, TRUE);
    pixels = std::uint64_t{info.image_width} * info.image_height;
  });
  jpeg_destroy_decompress(&info);
  return pixels <= kMaxPixels;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (SmallEnough(data, size)) FuzzImageFile(data, size);
  return 0;
}
