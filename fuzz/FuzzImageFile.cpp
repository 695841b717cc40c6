#include "fuzz/FuzzImageFile.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

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
  if (Load(image, ScratchFile())) {
    // Whatever loads is a whole 24-bit picture whose every byte can be read.
    if (!image.Is24Bit()) std::abort();
    volatile std::uint8_t sink = 0;
    const std::uint8_t* bits = image.GetBits();
    for (std::size_t i = 0; i < image.GetImageBytes(); i += 4096) sink = sink + bits[i];
    (void)probed;
  }
}
