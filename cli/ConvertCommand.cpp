#include <cstdio>
#include <optional>

#include "cli/Commands.h"
#include "cli/ConsoleProgress.h"
#include "formats/ImageFile.h"
#include "formats/JpegWriter.h"
#include "output/PosterSaver.h"
#include "resources/StringTable.h"

namespace {

constexpr const char* kConvertUsage =
    "usage: mozaikon-cli convert IN OUT.bmp|OUT.jpg|OUT.png [--quality high|medium|low] "
    "[--ignore-orientation]";

struct ConvertOptions {
  std::string input;
  std::string output;
  unsigned jpegQualityCode = kJpegQualityMedium;
  LoadOptions load;
};

std::optional<unsigned> QualityCode(const std::string& name) {
  if (name == "high") return kJpegQualityHigh;
  if (name == "medium") return kJpegQualityMedium;
  if (name == "low") return kJpegQualityLow;
  return std::nullopt;
}

// Two file names and the optional quality, in any order; nothing for anything else.
std::optional<ConvertOptions> ParseConvertOptions(const Arguments& args) {
  ConvertOptions options;
  std::vector<std::string> names;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--ignore-orientation") {
      options.load.turnUpright = false;
      continue;
    }
    if (args[i] != "--quality") {
      names.push_back(args[i]);
      continue;
    }
    const auto code = i + 1 < args.size() ? QualityCode(args[++i]) : std::nullopt;
    if (!code) return std::nullopt;
    options.jpegQualityCode = *code;
  }
  if (names.size() != 2) return std::nullopt;
  options.input = names[0];
  options.output = names[1];
  return options;
}

}  // namespace

int RunConvert(const Arguments& args) {
  const auto options = ParseConvertOptions(args);
  if (!options) {
    PrintError(kConvertUsage);
    return kExitUsage;
  }
  const std::string& input = options->input;
  const std::string& output = options->output;
  const auto format = PosterFormatFromName(output);
  if (!format) {
    PrintError(res::LoadString(res::IDS_BAD_EXTENSION));
    return kExitUsage;
  }
  CDibImage image;
  int width = 0, height = 0;
  if (!Probe(image, input, width, height, options->load)) {
    PrintError(input + ": not a supported image (JPEG, PNG, WebP, HEIC, AVIF, GIF or BMP), or damaged");
    return kExitFailure;
  }
  if (!Load(image, input, options->load)) {
    PrintError(input + ": the image could not be read (damaged, or too large for the memory)");
    return kExitFailure;
  }
  CConsoleProgress progress;
  const SaveResult saved = SavePoster(image, output, *format, options->jpegQualityCode, &progress);
  progress.Finish();
  if (saved == SaveResult::kCancelled) return kExitInterrupted;
  if (saved != SaveResult::kSaved) {
    PrintError(output + ": " + ToString(saved));
    return kExitFailure;
  }
  return kExitOk;
}
