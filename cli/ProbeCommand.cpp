#include <cstdio>

#include "cli/Commands.h"
#include "formats/ImageFile.h"

namespace {

// The format of a file whose probe succeeded, named by its first bytes.
const char* FormatOf(const std::string& fileName) {
  std::FILE* file = std::fopen(fileName.c_str(), "rb");
  if (file == nullptr) return "?";
  unsigned char head[kFormatHeadBytes];
  const std::size_t size = std::fread(head, 1, sizeof head, file);
  std::fclose(file);
  const char* name = FormatName(head, size);
  return name ? name : "?";
}

}  // namespace

int RunProbe(const Arguments& args) {
  LoadOptions options;
  std::vector<std::string> files;
  for (const std::string& arg : args) {
    if (arg == "--ignore-orientation")
      options.turnUpright = false;
    else
      files.push_back(arg);
  }
  if (files.empty()) {
    PrintError("usage: mozaikon-cli probe [--ignore-orientation] FILE...");
    return kExitUsage;
  }
  int result = kExitOk;
  CDibImage scratch;
  for (const std::string& fileName : files) {
    int width = 0, height = 0;
    if (Probe(scratch, fileName, width, height, options)) {
      std::printf("%s: %d x %d %s\n", fileName.c_str(), width, height, FormatOf(fileName));
    } else {
      PrintError(fileName + ": not a supported image (JPEG, PNG, WebP, HEIC, AVIF, GIF or BMP), or damaged");
      result = kExitFailure;
    }
  }
  return result;
}
