#include "fuzz/FuzzImageFile.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "formats/FileRefusal.h"
#include "formats/ImageFile.h"

namespace {

// One scratch file per process, reused for every input.
const std::string& ScratchFile() {
  static const std::string path = [] {
    const char* dir = std::getenv("TMPDIR");
    return std::string(dir && *dir ? dir : "/tmp") + "/mozaikon-fuzz-" + std::to_string(getpid());
  }();
  return path;
}

struct RemoveAtExit {
  ~RemoveAtExit() { std::remove(ScratchFile().c_str()); }
};

}  // namespace

void FuzzImageFile(const std::uint8_t* data, std::size_t size) {
  static RemoveAtExit cleanup;
  std::FILE* file = std::fopen(ScratchFile().c_str(), "wb");
  if (file == nullptr) std::abort();
  if (size > 0 && std::fwrite(data, 1, size, file) != size) std::abort();
  std::fclose(file);

  CDibImage image;
  int width = 0, height = 0;
  const BOOL probed = Probe(image, ScratchFile(), width, height);
  // A refused file is described from its first bytes, which are the fuzzer's as well.
  if (!probed && DescribeRefusal(ScratchFile()).empty()) std::abort();
  if (Load(image, ScratchFile())) {
    // Whatever loads is a 24-bit picture of the size its probe reported, whose first and last
    // rows can be read. Touching every page of a picture of gigabytes would make each run of the
    // fuzzer crawl.
    if (!image.Is24Bit() || !probed || image.GetWidth() != width || image.GetHeight() != height)
      std::abort();
    volatile std::uint8_t sink = 0;
    const std::size_t rowBytes = image.GetRowBytes();
    const std::uint8_t* top = image.GetPixelAddress(0, 0);
    const std::uint8_t* bottom = image.GetPixelAddress(0, image.GetHeight() - 1);
    sink = sink + top[0] + top[rowBytes - 1] + bottom[0] + bottom[rowBytes - 1];
    sink = sink + LoadedWhole(image);
  }
}
