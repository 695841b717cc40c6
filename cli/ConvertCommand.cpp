#include <cerrno>
#include <cstdio>
#include <optional>

#include "cli/Commands.h"
#include "cli/ConsoleProgress.h"
#include "cli/SaveFailure.h"
#include "formats/FileRefusal.h"
#include "formats/ImageFile.h"
#include "formats/JpegWriter.h"
#include "formats/OutputTarget.h"
#include "output/PosterSaver.h"
#include "resources/StringTable.h"

namespace {

constexpr const char* kConvertUsage =
    "usage: mozaikon-cli convert IN OUT.bmp|OUT.jpg|OUT.png [--quality high|medium|low] "
    "[--ignore-orientation] [-q]";

struct ConvertOptions {
  std::string input;
  std::string output;
  unsigned jpegQualityCode = kJpegQualityMedium;
  bool quiet = false;
  LoadOptions load;
};

std::optional<unsigned> QualityCode(const std::string& name) {
  if (name == "high") return kJpegQualityHigh;
  if (name == "medium") return kJpegQualityMedium;
  if (name == "low") return kJpegQualityLow;
  return std::nullopt;
}

// Two file names and the options, in any order; nothing for anything else.
std::optional<ConvertOptions> ParseConvertOptions(const Arguments& args) {
  ConvertOptions options;
  std::vector<std::string> names;
  bool optionsEnded = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (optionsEnded || arg.empty() || arg[0] != '-') {
      names.push_back(arg);
    } else if (arg == "--") {
      optionsEnded = true;
    } else if (arg == "--ignore-orientation") {
      options.load.turnUpright = false;
    } else if (arg == "-q" || arg == "--quiet") {
      options.quiet = true;
    } else if (arg == "--quality" || arg.rfind("--quality=", 0) == 0) {
      const bool joined = arg != "--quality";
      const auto code = joined ? QualityCode(arg.substr(10))
                               : i + 1 < args.size() ? QualityCode(args[++i]) : std::nullopt;
      if (!code) return std::nullopt;
      options.jpegQualityCode = *code;
    } else {
      return std::nullopt;
    }
  }
  if (names.size() != 2) return std::nullopt;
  options.input = names[0];
  options.output = names[1];
  return options;
}

}  // namespace

int RunConvert(const Arguments& args) {
  if (WantsHelp(args)) {
    std::printf("%s\n", kConvertUsage);
    return kExitOk;
  }
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
  const TargetCheck target = CheckOutputTarget(output, {input});
  if (!target.target) {
    PrintError(target.refusal);
    return kExitFailure;
  }
  CDibImage image;
  int width = 0, height = 0;
  if (!Probe(image, input, width, height, options->load)) {
    PrintError(input + ": " + DescribeRefusal(input));
    return kExitFailure;
  }
  if (!Load(image, input, options->load)) {
    PrintError(input + ": " + res::LoadString(res::IDS_IMAGE_NOT_LOADED));
    return kExitFailure;
  }
  if (!LoadedWhole(image)) PrintError(input + ": " + res::LoadString(res::IDS_DATA_ENDS_EARLY));
  CConsoleProgress progress(stderr, options->quiet);
  errno = 0;
  const SaveResult saved = SavePoster(image, *target.target, *format, options->jpegQualityCode, &progress);
  const int error = errno;
  progress.Finish();
  if (saved == SaveResult::kCancelled) return CConsoleProgress::InterruptedExitCode();
  if (saved != SaveResult::kSaved) {
    PrintError(DescribeSaveFailure(saved, *format == PosterFormat::kJpeg, output, error));
    return kExitFailure;
  }
  return kExitOk;
}
