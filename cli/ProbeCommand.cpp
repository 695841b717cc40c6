#include <cstdio>

#include "cli/Commands.h"
#include "formats/FileRefusal.h"
#include "formats/ImageFile.h"
#include "formats/InputFile.h"

namespace {

constexpr const char* kProbeUsage =
    "usage: mozaikon-cli probe [--ignore-orientation] [--] FILE...\n"
    "  prints \"FILE: WIDTH x HEIGHT FORMAT\" for each image; exit 1 if any file is refused\n";

// The format of a file whose probe succeeded, named by its first bytes.
const char* FormatOf(const std::string& fileName) {
  int error = 0;
  std::FILE* file = OpenInputFile(fileName, error);
  if (file == nullptr) return "?";
  unsigned char head[kFormatHeadBytes];
  const std::size_t size = std::fread(head, 1, sizeof head, file);
  std::fclose(file);
  const char* name = FormatName(head, size);
  return name ? name : "?";
}

}  // namespace

int RunProbe(const Arguments& args) {
  if (WantsHelp(args)) {
    std::fputs(kProbeUsage, stdout);
    return kExitOk;
  }
  LoadOptions options;
  Arguments files;
  bool optionsEnded = false;
  for (const std::string& arg : args) {
    if (arg == "--" && !optionsEnded) optionsEnded = true;
    else if (arg == "--ignore-orientation" && !optionsEnded) options.turnUpright = false;
    else files.push_back(arg);
  }
  if (files.empty()) {
    std::fputs(kProbeUsage, stderr);
    return kExitUsage;
  }
  int result = kExitOk;
  CDibImage scratch;
  for (const std::string& fileName : files) {
    int width = 0, height = 0;
    if (Probe(scratch, fileName, width, height, options)) {
      std::printf("%s: %d x %d %s\n", fileName.c_str(), width, height, FormatOf(fileName));
    } else {
      PrintError(fileName + ": " + DescribeRefusal(fileName));
      result = kExitFailure;
    }
  }
  return result;
}
