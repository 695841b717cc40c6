// libFuzzer target for the HEIC and AVIF reader (inputs reach it through the dispatch).
#include <libheif/heif.h>

#include <cstdint>

#include "fuzz/FuzzImageFile.h"

namespace {

// Pictures larger than this decode correctly but slowly and into gigabytes, which tells nothing
// new about the reader and would trip the fuzzer's memory limit: they are skipped.
constexpr std::uint64_t kMaxPixels = std::uint64_t{1} << 22;

// False only for a readable file whose primary picture is larger than kMaxPixels.
bool SmallEnough(const std::uint8_t* data, std::size_t size) {
  heif_context* ctx = heif_context_alloc();
  std::uint64_t pixels = 0;
  if (heif_context_read_from_memory_without_copy(ctx, data, size, nullptr).code == heif_error_Ok) {
    heif_image_handle* handle = nullptr;
    if (heif_context_get_primary_image_handle(ctx, &handle).code == heif_error_Ok) {
      pixels = static_cast<std::uint64_t>(heif_image_handle_get_ispe_width(handle)) *
               static_cast<std::uint64_t>(heif_image_handle_get_ispe_height(handle));
      heif_image_handle_release(handle);
    }
  }
  heif_context_free(ctx);
  return pixels <= kMaxPixels;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (SmallEnough(data, size)) FuzzImageFile(data, size);
  return 0;
}
