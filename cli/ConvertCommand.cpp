#include <cstdio>

#include "cli/Commands.h"
#include "cli/ConsoleProgress.h"
#include "formats/ImageFile.h"
#include "output/PosterSaver.h"
#include "resources/StringTable.h"

int RunConvert(const Arguments& args) {
  if (args.size() != 2) {
    PrintError("usage: mozaikon-cli convert IN OUT.bmp|OUT.jpg");
    return kExitUsage;
  }
  const std::string& input = args[0];
  const std::string& output = args[1];
  const auto format = PosterFormatFromName(output);
  if (!format) {
    PrintError(res::LoadString(res::IDS_BAD_EXTENSION));
    return kExitUsage;
  }
  CDibImage image;
  int width = 0, height = 0;
  if (!Probe(image, input, width, height)) {
    PrintError(input + ": not a supported image (BMP, GIF or JPEG), or damaged");
    return kExitFailure;
  }
  if (!Load(image, input)) {
    PrintError(input + ": the image could not be read (damaged, or too large for the memory)");
    return kExitFailure;
  }
  CConsoleProgress progress;
  const SaveResult saved = SavePoster(image, output, *format, 1046, &progress);
  progress.Finish();
  if (saved == SaveResult::kCancelled) return kExitInterrupted;
  if (saved != SaveResult::kSaved) {
    PrintError(output + ": " + ToString(saved));
    return kExitFailure;
  }
  return kExitOk;
}
