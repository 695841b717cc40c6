#include "cli/BuildInputs.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <set>
#include <vector>

#include "cli/Commands.h"
#include "cli/ConsoleProgress.h"
#include "cli/TileFolder.h"
#include "engine/MemoryBudget.h"
#include "formats/FileRefusal.h"
#include "formats/ImageFile.h"
#include "formats/InputFile.h"
#include "resources/StringTable.h"

namespace {

// Adds the images of the folder dir (with recursive, of its subfolders too) and counts them into
// total; false (the reason printed) when dir cannot be read as a folder. A folder that gives no
// image says how many files it skipped.
bool AddFolder(const std::string& dir, bool recursive, const LoadOptions& loadOptions,
               TileList& tiles, TileFolderCount& total) {
  std::error_code error;
  const std::filesystem::directory_iterator opened(dir, error);
  FolderListing listing;
  if (error || !ListFolderFiles(dir, recursive, listing)) {
    PrintError(dir + ": " + DescribeFileError(error ? error.value() : EIO));
    return false;
  }
  const TileFolderCount count = AddFolderTiles(listing, tiles, loadOptions);
  total.added += count.added;
  total.skipped += count.skipped;
  if (count.added == 0)
    PrintError(dir + ": no image that can be read here; " + SkipSummary(count.skipped));
  return true;
}

}  // namespace

bool LoadMainImage(const std::string& path, CDibImage& image, PosterSetup& setup) {
  const LoadOptions options = LoadOptionsFor(setup.params);
  int width = 0, height = 0;
  if (!Probe(image, path, width, height, options) || width < 0 || height < 0) {
    PrintError(path + ": " + DescribeRefusal(path));
    return false;
  }
  // The probe read the header only: the data may still prove damaged.
  if (!Load(image, path, options)) {
    PrintError(path + ": " + res::LoadString(res::IDS_IMAGE_NOT_LOADED));
    return false;
  }
  if (!LoadedWhole(image)) PrintError(path + ": " + res::LoadString(res::IDS_DATA_ENDS_EARLY));
  setup.imageWidth = width;
  setup.imageHeight = height;
  return true;
}

bool CollectTiles(const BuildOptions& options, TileList& tiles) {
  const LoadOptions loadOptions = LoadOptionsFor(options.params);
  std::string refused;
  for (const std::string& file : options.tileFiles)
    if (!tiles.AddFile(file, loadOptions)) refused += "\n  " + file + ": " + DescribeRefusal(file);
  if (!refused.empty()) PrintError(res::LoadString(res::IDS_TILES_NOT_ADDED) + refused);
  TileFolderCount folderCount;
  for (const std::string& dir : options.tileDirs)
    if (!AddFolder(dir, options.recursive, loadOptions, tiles, folderCount)) return false;
  if (!options.tileDirs.empty())
    std::printf("folders      %s\n", FolderSummary(folderCount).c_str());
  return true;
}


PosterBuildInputs BuildInputsFor(const BuildOptions& options) {
  PosterBuildInputs inputs;
  inputs.setup.params = options.params;
  inputs.seed = options.seed;
  inputs.threads = options.threads;
  inputs.repeatDistance = options.repeatDistance;
  // A tile that came from a folder may be passed over when it vanishes or cannot be read during
  // the build; a tile the user named (one by one or in a tile list file) stops it.
  const std::set<std::string> named(options.tileFiles.begin(), options.tileFiles.end());
  inputs.mayPassOver = [named](const std::string& path) { return named.count(path) == 0; };
  return inputs;
}

void ReportPassedOver(const PosterBuildResult& result, CConsoleProgress& progress) {
  if (result.passedOverFiles.empty()) return;
  progress.Finish();
  for (const std::string& path : result.passedOverFiles)
    PrintError(path + ": " + DescribeRefusal(path) + "; passed over");
  FolderSkips lost;
  lost.lostInBuild = static_cast<int>(result.passedOverFiles.size());
  std::printf("folders      %s\n", SkipSummary(lost).c_str());
}

std::vector<std::string> InputFiles(const BuildOptions& options, const TileList& tiles) {
  std::vector<std::string> inputs = {options.mainImage};
  inputs.insert(inputs.end(), options.tileListFiles.begin(), options.tileListFiles.end());
  for (int i = 0; i < tiles.GetCount(); ++i) inputs.push_back(tiles.GetText(i));
  return inputs;
}

bool PosterFitsLimits(const TileList& tiles, const PosterSetup& setup, PosterFileFormat format,
                      bool toFile) {
  const MemoryBudget budget = ProcessMemoryBudget();
  const PosterLimitCheck limits = CheckPosterLimits(tiles, setup, format, budget.bytes, toFile,
                                                    DescribeMemoryLimit(budget.limit));
  if (!limits.fits) PrintError(limits.message);
  return limits.fits;
}
