#include <cstdio>

#include "cli/Commands.h"
#include "formats/ImageFile.h"

namespace {

// The format of a file whose probe succeeded, named by its first byte.
const char* FormatOf(const std::string& fileName) {
  std::FILE* file = std::fopen(fileName.c_str(), "rb");
  if (file == nullptr) return "?";
  const int first = std::fgetc(file);
  std::fclose(file);
  const char* name = first == EOF ? nullptr : FormatName(static_cast<unsigned char>(first));
  return name ? name : "?";
}

}  // namespace

int RunProbe(const Arguments& args) {
  if (args.empty()) {
    PrintError("usage: mozaikon-cli probe FILE...");
    return kExitUsage;
  }
  int result = kExitOk;
  CDibImage scratch;
  for (const std::string& fileName : args) {
    int width = 0, height = 0;
    if (Probe(scratch, fileName, width, height)) {
      std::printf("%s: %d x %d %s\n", fileName.c_str(), width, height, FormatOf(fileName));
    } else {
      PrintError(fileName + ": not a supported image (BMP, GIF or JPEG), or damaged");
      result = kExitFailure;
    }
  }
  return result;
}
