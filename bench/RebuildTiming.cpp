// The rebuild that the window makes when the user changes the emphasis and builds again: the
// engine call with a shaped-tile cache, timed once for the first build and once for the
// rebuild. scripts/bench runs it on its data set beside `mozaikon-cli build`.
//
//   mozaikon_rebuild MAIN TILE_LIST PRINT_WIDTH_INCHES DPI FRACTION SEED THREADS
//
// Prints "first S" and "rebuild S" (seconds) and the files each decoded. Default options
// otherwise (medium tiles, single-line borders, emphasis 4, then 6 and 5 in turn). The rebuild
// is the median of five: one rebuild takes a tenth of a second or so, well within the noise of a
// shared machine.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "engine/BuildPoster.h"
#include "engine/ShapedTileCache.h"
#include "formats/ImageFile.h"

namespace {

[[noreturn]] void Fail(const std::string& message) {
  std::fprintf(stderr, "mozaikon_rebuild: %s\n", message.c_str());
  std::exit(1);
}

DPIFractionCode FractionCode(int divisor) {
  const auto code = DPIFractionFromDivisor(divisor);
  if (!code) Fail("the fraction is one of 1, 2, 3, 4, 8, 16");
  return *code;
}

void AddTiles(const char* listPath, TileList& tiles) {
  std::ifstream list(listPath);
  if (!list) Fail(std::string("cannot read ") + listPath);
  for (std::string line; std::getline(list, line);)
    if (!line.empty() && !tiles.AddFile(line)) Fail("not an image: " + line);
}

// One build into the poster that the window keeps between builds.
double TimedBuild(const PosterBuildInputs& inputs, CDibImage& poster, int& filesDecoded) {
  TileOrderShuffle order;
  const auto start = std::chrono::steady_clock::now();
  const PosterBuildResult result = BuildPoster(inputs, poster, order, nullptr);
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
  if (!result.built) Fail("the poster was not built");
  filesDecoded = result.filesDecoded;
  return took.count();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 8)
    Fail("usage: mozaikon_rebuild MAIN TILE_LIST PRINT_WIDTH_INCHES DPI FRACTION SEED THREADS");
  CDibImage mainImage;
  if (!Load(mainImage, argv[1])) Fail(std::string("cannot load ") + argv[1]);
  TileList tiles;
  AddTiles(argv[2], tiles);
  PosterBuildInputs inputs;
  inputs.mainImage = &mainImage;
  inputs.tiles = &tiles;
  inputs.setup.imageWidth = mainImage.GetWidth();
  inputs.setup.imageHeight = mainImage.GetHeight();
  inputs.setup.printer.dpiX = inputs.setup.printer.dpiY = std::atoi(argv[4]);
  inputs.setup.printSize.width = TruncateToHundredths(std::atof(argv[3]));
  ComputeInitialPrintSize(inputs.setup.printSize, inputs.setup.imageWidth,
                          inputs.setup.imageHeight, inputs.setup.printer);
  inputs.setup.params.DPIFraction = FractionCode(std::atoi(argv[5]));
  inputs.seed = std::strtoull(argv[6], nullptr, 10);
  inputs.threads = std::atoi(argv[7]);
  ShapedTileCache cache;
  inputs.tileCache = &cache;
  CDibImage poster;
  int firstDecoded = 0, rebuildDecoded = 0;
  const double first = TimedBuild(inputs, poster, firstDecoded);
  constexpr int kRebuilds = 5;
  std::vector<double> rebuilds;
  for (int i = 0; i < kRebuilds; ++i) {
    inputs.setup.params.Emphasis = i % 2 == 0 ? 6 : 5;
    rebuilds.push_back(TimedBuild(inputs, poster, rebuildDecoded));
  }
  std::sort(rebuilds.begin(), rebuilds.end());
  const double rebuild = rebuilds[kRebuilds / 2];
  std::printf("first %.3f\nrebuild %.3f\nfiles decoded %d then %d, cache %zu MB\n", first, rebuild,
              firstDecoded, rebuildDecoded, cache.GetBytes() >> 20);
  return 0;
}
