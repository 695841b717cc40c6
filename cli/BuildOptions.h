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
  std::string output;
  std::optional<double> printWidthInches;  // none: one image pixel per printer dot
  int dpi = 600;
  std::optional<std::uint64_t> seed;  // none: seeded from the clock
  int repeatDistance = 4;             // cells between two uses of one tile, matched order
  PosterParams params;
};

// The options, or a one-line error for the user.
[[nodiscard]] std::variant<BuildOptions, std::string> ParseBuildOptions(const Arguments& args);

// The paths of a tile list file: one per line, trimmed, blank lines skipped. Relative paths are
// used as written, that is relative to the current directory. Nothing when the file cannot be read.
[[nodiscard]] std::optional<std::vector<std::string>> ReadTileListFile(const std::string& path);

extern const char* const kBuildUsage;
