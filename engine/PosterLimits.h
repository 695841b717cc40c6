// Limits a poster must keep, checked from its geometry before anything is allocated: the
// memory the build needs against the memory of the machine, and the size the chosen file
// format can hold. A poster past a limit is refused with a message that names its size, the
// limit, and a setting that fits.
#pragma once

#include <cstdint>
#include <string>

#include "engine/TileGrid.h"
#include "engine/TileList.h"

// The format the poster is going to be saved in; kNone where it sets no limit (PNG) or is not
// chosen yet.
enum class PosterFileFormat { kNone, kBmp, kJpeg };

struct PosterLimitCheck {
  bool fits = true;
  std::string message;  // when it does not fit: what passes which limit, and what would fit
};

// The bytes the build holds at its peak for this setup: the poster, every tile image at cell
// size, the main image and the largest tile while it is being read. tiles keep their probed
// sizes. Past the int range the geometry cannot be laid out, and the figure is that of the
// poster resolution alone. toFile: the poster goes straight into a file of format, and where
// the build can lay it so (its main image enlarged, any order but Matched) it holds a few cell
// rows of it instead, and what the file's encoder keeps.
[[nodiscard]] double EstimateBuildBytes(const TileList& tiles, const PosterSetup& setup,
                                        PosterFileFormat format = PosterFileFormat::kNone,
                                        bool toFile = false);

// The poster's size as the build will lay it out, in pixels, and whether a build with a file to
// write into lays it there a few cell rows at a time rather than holding it whole.
struct PredictedPoster {
  std::int64_t width = 0;
  std::int64_t height = 0;
  bool laidIntoFile = false;
};
[[nodiscard]] PredictedPoster PredictPoster(const TileList& tiles, const PosterSetup& setup);

// Checks the setup against memoryBytes (what the process may take; see ProcessMemoryBudget) and
// the limits of format; toFile as for EstimateBuildBytes. memoryHolder, when given, names what
// holds the process below the machine's memory, and the message speaks of that instead of the
// machine.
[[nodiscard]] PosterLimitCheck CheckPosterLimits(const TileList& tiles, const PosterSetup& setup,
                                                 PosterFileFormat format,
                                                 std::uint64_t memoryBytes, bool toFile = false,
                                                 const std::string& memoryHolder = {});
