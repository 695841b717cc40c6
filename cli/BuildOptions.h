// The options of `mozaikon-cli build`, parsed from its arguments.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "cli/Commands.h"
#include "engine/PosterParams.h"

struct BuildOptions {
  std::string mainImage;
  std::vector<std::string> tileFiles;  // named one by one or read from tile list files
  std::vector<std::string> tileDirs;   // every image file in each is a tile
  std::vector<std::string> tileListFiles;
  bool recursive = false;              // the tile folders' subfolders too
  std::string output;
  bool quiet = false;  // no progress lines
  std::optional<double> printWidthInches;  // none: one image pixel per printer dot
  int dpi = 600;
  std::optional<std::uint64_t> seed;  // none: seeded from the clock
  int threads = 0;                    // 0: one per core of the machine
  int repeatDistance = 4;             // cells between two uses of one tile, matched order
  std::string placement;              // the placement file to write; empty: none
  PosterParams params;
};

// The options, or a one-line error for the user.
[[nodiscard]] std::variant<BuildOptions, std::string> ParseBuildOptions(const Arguments& args);

// The paths of a tile list file: one per line, trimmed, blank lines skipped. Relative paths are
// used as written, that is relative to the current directory. When the file cannot be read,
// nothing, with why set to the reason in the user's words.
[[nodiscard]] std::optional<std::vector<std::string>> ReadTileListFile(const std::string& path,
                                                                       std::string& why);

// The longest print width taken, in inches: anything beyond is refused outright, and every
// width up to it goes through the poster limits, which say what fits.
constexpr double kMaxPrintWidthInches = 1e6;

extern const char* const kBuildUsage;
