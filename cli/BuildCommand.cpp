#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "cli/BuildOptions.h"
#include "cli/Commands.h"
#include "cli/ConsoleProgress.h"
#include "engine/BuildPoster.h"
#include "formats/ImageFile.h"
#include "image/NumberUtils.h"
#include "image/PathUtils.h"
#include "output/PosterSaver.h"
#include "resources/StringTable.h"

namespace {

std::string Message(unsigned id, const std::string& arg = {}) {
  const char* format = res::LoadString(id);
  if (format == nullptr) return "error " + std::to_string(id);
  std::string text(format);
  if (const auto at = text.find("%s"); at != std::string::npos) text.replace(at, 2, arg);
  return text;
}

// Adds the named files and every image of the named folders. Named files that are no image are
// reported once, as the program's tile list does; folder entries that are no image are skipped.
void CollectTiles(const BuildOptions& options, TileList& tiles) {
  std::vector<std::string> refused;
  for (const std::string& file : options.tileFiles)
    if (!tiles.AddFile(file)) refused.push_back(file);
  for (const std::string& dir : options.tileDirs) {
    std::error_code error;
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir, error))
      if (entry.is_regular_file()) names.push_back(entry.path().string());
    if (error) refused.push_back(dir);
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) (void)tiles.AddFile(name);
  }
  if (refused.empty()) return;
  std::string names;
  for (const std::string& r : refused) names += "\n  " + r;
  PrintError(Message(res::IDS_TILES_NOT_ADDED) + names);
}

// The output's folder must take a new file before the long work starts.
bool OutputFolderWritable(const std::string& output) {
  std::string dir = output;
  StripFileName(dir);
  return access(dir.empty() ? "." : dir.c_str(), W_OK) == 0;
}

void PrintGeometry(TileList& tiles, const PosterSetup& setup) {
  const TileGridResult r = ComputeTileGrid(tiles, FALSE, setup);
  const TileGrid& g = r.grid;
  const PageCount pages = ComputePageCount(setup.printSize, setup.printer, true);
  std::printf("main image   %d x %d pixels, print %s x %s inches at %d dpi\n", setup.imageWidth,
              setup.imageHeight, FormatInches(setup.printSize.width).c_str(),
              FormatInches(setup.printSize.height).c_str(), setup.printer.dpiX);
  std::printf("tiles        %d images, %d across x %d down, %d x %d pixels each\n",
              tiles.GetCount(), g.tilesAcross, g.tilesDown, g.tileWidth, g.tileHeight);
  std::printf("poster       %s x %s pixels, %d x %d pages\n",
              FormatThousands(static_cast<std::uint32_t>(g.tilesAcross * g.tileWidth)).c_str(),
              FormatThousands(static_cast<std::uint32_t>(g.tilesDown * g.tileHeight)).c_str(),
              pages.across, pages.down);
  std::fflush(stdout);
  // The default print size is one image pixel per printer dot: small main images then give
  // posters of specks. Say how to get more.
  constexpr int kLegibleTilePx = 8;
  if (g.tilesAcross > 0 && (g.tileWidth < kLegibleTilePx || g.tileHeight < kLegibleTilePx))
    PrintError("hint: tiles of " + std::to_string(g.tileWidth) + " x " +
               std::to_string(g.tileHeight) +
               " pixels show little; a larger --print-width or a smaller --fraction makes them larger");
}

// Loads the main image as the program does: a probe first, then the pixels.
bool LoadMainImage(const std::string& path, CDibImage& image, PosterSetup& setup) {
  int width = 0, height = 0;
  if (!Probe(image, path, width, height) || width < 0 || height < 0) {
    PrintError(path + ": " + Message(res::IDS_MAIN_IMAGE_ERROR));
    return false;
  }
  if (!Load(image, path)) {
    PrintError(path + ": " + Message(res::IDS_NO_MEMORY));
    return false;
  }
  setup.imageWidth = width;
  setup.imageHeight = height;
  return true;
}

int BuildAndSave(const BuildOptions& options, PosterFormat format, PosterBuildInputs& inputs) {
  CDibImage poster;
  TileOrderShuffle order;
  CConsoleProgress progress;
  const PosterBuildResult result = BuildPoster(inputs, poster, order, &progress);
  if (!result.built) {
    progress.Finish();
    if (CConsoleProgress::Interrupted()) return kExitInterrupted;
    PrintError(result.messageId ? Message(result.messageId, result.messageArg)
                                : std::string("the poster was not built: no tile image can be read"));
    return kExitFailure;
  }
  const SaveResult saved = SavePoster(poster, options.output, format,
                                      static_cast<unsigned>(options.params.JPEGQuality), &progress);
  progress.Finish();
  if (saved == SaveResult::kCancelled) return kExitInterrupted;
  if (saved != SaveResult::kSaved) {
    PrintError(Message(MessageId(saved, format == PosterFormat::kJpeg), options.output));
    return kExitFailure;
  }
  std::printf("tiles used   %d of %d images\n", result.tilesUsed, inputs.tiles->GetCount());
  std::printf("saved        %s\n", options.output.c_str());
  return kExitOk;
}

}  // namespace

int RunBuild(const Arguments& args) {
  if (!args.empty() && (args[0] == "--help" || args[0] == "-h")) {
    std::fputs(kBuildUsage, stdout);
    return kExitOk;
  }
  auto parsed = ParseBuildOptions(args);
  if (const auto* error = std::get_if<std::string>(&parsed)) {
    PrintError(*error);
    std::fputs(kBuildUsage, stderr);
    return kExitUsage;
  }
  const BuildOptions& options = std::get<BuildOptions>(parsed);
  const auto format = PosterFormatFromName(options.output);
  if (!format) {
    PrintError(Message(res::IDS_BAD_EXTENSION));
    return kExitUsage;
  }
  if (!OutputFolderWritable(options.output)) {
    PrintError(Message(res::IDS_WRITE_ERROR, options.output));
    return kExitFailure;
  }

  CDibImage mainImage;
  PosterBuildInputs inputs;
  inputs.setup.params = options.params;
  inputs.setup.printer.dpiX = inputs.setup.printer.dpiY = options.dpi;
  inputs.seed = options.seed;
  inputs.repeatDistance = options.repeatDistance;
  if (!LoadMainImage(options.mainImage, mainImage, inputs.setup)) return kExitFailure;
  TileList tiles;
  CollectTiles(options, tiles);
  if (tiles.GetCount() == 0) {
    PrintError("no tile images: name tile files, a --tile-list file or a --tiles-dir folder");
    return kExitFailure;
  }
  if (options.printWidthInches) inputs.setup.printSize.width = TruncateToHundredths(*options.printWidthInches);
  ComputeInitialPrintSize(inputs.setup.printSize, inputs.setup.imageWidth,
                          inputs.setup.imageHeight, inputs.setup.printer);
  PrintGeometry(tiles, inputs.setup);

  inputs.mainImage = &mainImage;
  inputs.tiles = &tiles;
  return BuildAndSave(options, *format, inputs);
}
