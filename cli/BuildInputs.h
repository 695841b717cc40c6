// What `build` and `print` read before building: the main image and the tiles, each refusal
// printed on standard error with its cause, and the build's inputs from the options.
#pragma once

#include <string>
#include <vector>

#include "cli/BuildOptions.h"
#include "engine/BuildPoster.h"
#include "engine/PosterLimits.h"

// Loads the main image as the program does, a probe first, then the pixels, and keeps its size
// in setup; false (the cause printed) when it cannot be read. A picture whose data ends early is
// loaded, with a warning.
[[nodiscard]] bool LoadMainImage(const std::string& path, CDibImage& image, PosterSetup& setup);

// Adds the named files and every image of the named folders. Named files that are no image are
// reported once, each with its reason, as the program's tile list does; folder entries that are
// no image are counted in one summary line. False when a folder cannot be read.
[[nodiscard]] bool CollectTiles(const BuildOptions& options, TileList& tiles);

// Every file a build reads: its output may be none of them.
[[nodiscard]] std::vector<std::string> InputFiles(const BuildOptions& options,
                                                  const TileList& tiles);

// Whether the poster keeps within the memory this process may take and the limits of format;
// false otherwise, with the reason printed, naming what holds the process below the machine's
// memory where something does. toFile: the build writes the poster straight into its file (see
// EstimateBuildBytes).
[[nodiscard]] bool PosterFitsLimits(const TileList& tiles, const PosterSetup& setup,
                                    PosterFileFormat format, bool toFile);

// The options, seed, threads and matching distance of a build, and which tiles it may pass over
// (those that came from a folder); the images, the print size and the printer are the caller's.
[[nodiscard]] PosterBuildInputs BuildInputsFor(const BuildOptions& options);

class CConsoleProgress;

// Names on standard error each tile the build passed over, with the cause, below the finished
// progress line, and counts them on standard output in the words of the folder summary; nothing
// when there is none.
void ReportPassedOver(const PosterBuildResult& result, CConsoleProgress& progress);
