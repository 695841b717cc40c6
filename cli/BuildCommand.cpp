#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <utility>
#include <optional>

#include "cli/BuildInputs.h"
#include "cli/BuildOptions.h"
#include "cli/Commands.h"
#include "cli/ConsoleProgress.h"
#include "cli/PlacementFile.h"
#include "cli/SaveFailure.h"
#include "cli/TileFolder.h"
#include "engine/BuildPoster.h"
#include "engine/PosterLimits.h"
#include "engine/UseLimitCheck.h"
#include "formats/FileRefusal.h"
#include "formats/ImageFile.h"
#include "formats/InputFile.h"
#include "formats/BmpWriter.h"
#include "formats/JpegRowWriter.h"
#include "formats/JpegStreamWriter.h"
#include "formats/PngWriter.h"
#include "image/NumberUtils.h"
#include "formats/OutputTarget.h"
#include "output/DiskSpace.h"
#include "output/PosterRowWriters.h"
#include "output/PosterSaver.h"
#include "resources/StringTable.h"

namespace {

std::string Message(unsigned id, const std::string& arg = {}) {
  return res::FormatString(id, {arg});
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

// The poster's size as the build will lay it out.
std::pair<std::int64_t, std::int64_t> PosterPixels(TileList& tiles, const PosterSetup& setup) {
  const TileGrid g = ComputeTileGrid(tiles, FALSE, setup).grid;
  return {static_cast<std::int64_t>(g.tilesAcross) * g.tileWidth,
          static_cast<std::int64_t>(g.tilesDown) * g.tileHeight};
}

// False (the reason printed) when the output's disk cannot hold the poster's file.
bool DiskHoldsPoster(const BuildOptions& options, PosterFormat format, TileList& tiles,
                     const PosterSetup& setup) {
  const auto [width, height] = PosterPixels(tiles, setup);
  const auto refusal = CheckDiskSpace(
      options.output, PosterFileBytesAtMost(format, width, height,
                                            static_cast<unsigned>(options.params.JPEGQuality)));
  if (refusal) PrintError(*refusal);
  return !refusal;
}

// Writes the placement file where one was asked for.
int WritePlacement(const std::optional<COutputTarget>& placement, const PosterBuildResult& result,
                   const TileList& tiles) {
  if (!placement) return kExitOk;
  const auto failure = WritePlacementFile(
      *placement, FormatPlacement(result.grid.tilesAcross, result.cellTiles, tiles));
  if (failure) {
    PrintError(*failure);
    return kExitFailure;
  }
  std::printf("placement    %s\n", placement->Path().c_str());
  return kExitOk;
}

// The checked files a build writes: the poster and, where asked for, the placement file.
struct BuildTargets {
  COutputTarget poster;
  std::optional<COutputTarget> placement;
};

int BuildAndSave(const BuildOptions& options, const BuildTargets& targets, PosterFormat format,
                 PosterBuildInputs& inputs) {
  const COutputTarget& target = targets.poster;
  CDibImage poster;
  TileOrderShuffle order;
  CConsoleProgress progress(stderr, options.quiet);
  const unsigned jpegQuality = static_cast<unsigned>(options.params.JPEGQuality);
  // A JPEG poster is compressed while its later rows are still laid; declared after the poster,
  // the writer stops before the poster's pixels go.
  std::optional<CJpegStreamWriter> stream;
  if (format == PosterFormat::kJpeg)
    inputs.onRowsFinal = [&](const CDibImage& image, int finalRows) {
      if (!stream) stream.emplace(image, target, jpegQuality);
      stream->RowsFinal(finalRows);
    };
  // A poster whose main image is enlarged is laid straight into its file, never held whole.
  const std::unique_ptr<CPosterRowSink> rowWriter =
      MakePosterRowWriter(format, target, jpegQuality);
  inputs.rowSink = rowWriter.get();
  const PosterBuildResult result = BuildPoster(inputs, poster, order, &progress);
  ReportPassedOver(result, progress);
  if (!result.built) {
    progress.Finish();
    if (CConsoleProgress::Interrupted()) return CConsoleProgress::InterruptedExitCode();
    if (result.streamed && rowWriter->Failure() != SaveResult::kSaved) {
      const SaveResult failure = rowWriter->Finish(nullptr);
      PrintError(DescribeSaveFailure(failure, format == PosterFormat::kJpeg, options.output, errno));
      return kExitFailure;
    }
    PrintError(result.messageId ? Message(result.messageId, result.messageArg)
                                : std::string("the poster was not built: no tile image can be read"));
    return kExitFailure;
  }
  for (const std::string& path : result.incompleteFiles) {
    progress.Finish();
    PrintError(path + ": " + Message(res::IDS_DATA_ENDS_EARLY));
  }
  errno = 0;
  const SaveResult saved =
      result.streamed ? rowWriter->Finish(&progress)
      : stream        ? stream->Finish(&progress)
                      : SavePoster(poster, target, format, jpegQuality, &progress);
  const int error = errno;
  progress.Finish();
  if (saved == SaveResult::kCancelled) return CConsoleProgress::InterruptedExitCode();
  if (saved != SaveResult::kSaved) {
    PrintError(DescribeSaveFailure(saved, format == PosterFormat::kJpeg, options.output, error));
    return kExitFailure;
  }
  std::printf("tiles used   %d of %d images\n", result.tilesUsed, inputs.tiles->GetCount());
  std::printf("saved        %s\n", options.output.c_str());
  return WritePlacement(targets.placement, result, *inputs.tiles);
}

// The print size and the limits the poster must keep; false (the reason printed) when it
// passes one.
bool SizeThePoster(const BuildOptions& options, PosterFormat format, const TileList& tiles,
                   PosterSetup& setup) {
  // The width is taken as typed: only derived inch values are cut to hundredths.
  if (options.printWidthInches) setup.printSize.width = *options.printWidthInches;
  ComputeInitialPrintSize(setup.printSize, setup.imageWidth, setup.imageHeight, setup.printer);
  const PosterFileFormat limitsOf = format == PosterFormat::kJpeg  ? PosterFileFormat::kJpeg
                                    : format == PosterFormat::kBmp ? PosterFileFormat::kBmp
                                                                   : PosterFileFormat::kNone;
  return PosterFitsLimits(tiles, setup, limitsOf, true);
}

}  // namespace

int RunBuild(const Arguments& args) {
  if (WantsHelp(args)) {
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

  TileList tiles;
  if (!CollectTiles(options, tiles)) return kExitFailure;
  const TargetCheck output = CheckOutputTarget(options.output, InputFiles(options, tiles));
  if (!output.target) {
    PrintError(output.refusal);
    return kExitFailure;
  }
  BuildTargets targets{*output.target, std::nullopt};
  if (!options.placement.empty()) {
    TargetCheck placement =
        CheckPlacementTarget(options.placement, InputFiles(options, tiles), options.output);
    if (!placement.target) {
      PrintError(placement.refusal);
      return kExitFailure;
    }
    targets.placement = std::move(placement.target);
  }
  CDibImage mainImage;
  PosterBuildInputs inputs = BuildInputsFor(options);
  inputs.setup.printer.dpiX = inputs.setup.printer.dpiY = options.dpi;
  if (!LoadMainImage(options.mainImage, mainImage, inputs.setup)) return kExitFailure;
  if (tiles.GetCount() == 0) {
    PrintError("no tile images: name tile files, a --tile-list file or a --tiles-dir folder");
    return kExitFailure;
  }
  if (!SizeThePoster(options, *format, tiles, inputs.setup)) return kExitFailure;
  if (const auto refusal = CheckUseLimit(tiles, inputs.setup)) {
    PrintError(*refusal);
    return kExitFailure;
  }
  if (!DiskHoldsPoster(options, *format, tiles, inputs.setup)) return kExitFailure;
  PrintGeometry(tiles, inputs.setup);

  inputs.mainImage = &mainImage;
  inputs.tiles = &tiles;
  return BuildAndSave(options, targets, *format, inputs);
}
