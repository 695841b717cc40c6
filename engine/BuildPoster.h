// The build: from the main image, the tile list and the options to the poster image.
//
// The build reports its stages, the tile being read and the cell being laid to a progress sink
// and stops when that sink answers that the work may not go on. It shows no message itself: the
// result says which string-table message the caller shows, if any.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "engine/CellLaying.h"
#include "engine/ParkMiller.h"
#include "engine/TileGrid.h"
#include "engine/TileList.h"
#include "engine/TileMatch.h"
#include "engine/TileOrder.h"
#include "image/DibImage.h"

class CPosterRowSink;
class CProgress;
class ShapedTileCache;

// The most a poster laid straight into its file holds of its cell rows at a time (at least one
// cell row, however large).
constexpr std::size_t kStreamedRowsBytes = std::size_t{192} << 20;

struct PosterBuildInputs {
  CDibImage* mainImage = nullptr;  // loaded; lent its pixels to the resampling, not changed
  TileList* tiles = nullptr;       // entries whose files no longer probe are removed
  PosterSetup setup;               // options, main image size, print size, printer
  TileOrderSeed seed;              // none: the random order is seeded from the clock
  int threads = 0;                 // threads to work on; 0: one for each core of the machine
  // Tiles shaped by earlier builds, owned by the caller and kept across builds; nullptr: the
  // build keeps nothing beyond itself.
  ShapedTileCache* tileCache = nullptr;
  int repeatDistance = kDefaultRepeatDistance;  // cells; Matched order only
  // Hears, while the cells are laid, how many poster rows from the top are final, so that the
  // caller can save them meanwhile; empty: nobody listens. The poster never depends on it.
  FinalRowsListener onRowsFinal;
  // When set, and the main image is enlarged to the poster as the cells are laid (any order but
  // Matched), the poster is never held whole: Begin and its rows, top to bottom, go to the sink
  // as the cells are laid, and the poster image is left empty. The caller then finishes the
  // sink. Otherwise the poster is built whole as usual.
  CPosterRowSink* rowSink = nullptr;
  // Tiles the build may do without: where this answers true for a tile's path, a file that
  // vanishes or cannot be read once the build has begun is passed over and named in the result,
  // and the poster is laid with the other tiles. Elsewhere such a file stops the build (one that
  // no longer probes leaves the list quietly, as the list always did). Empty: no tile.
  std::function<bool(const std::string& path)> mayPassOver;
};

struct PosterBuildResult {
  BOOL built = FALSE;        // TRUE only when every cell was laid
  unsigned messageId = 0;    // string-table id of the message to show, 0 for none
  std::string messageArg;    // the path that replaces %s in the message, where it has one
  TileGrid grid;             // the grid the build used (empty when it stopped before)
  int filesDecoded = 0;      // tile files decoded; entries naming one file count it once
  // Tiles whose data ended early or was damaged: built with the part read, each named once.
  std::vector<std::string> incompleteFiles;
  int tilesUsed = 0;         // distinct tile images laid, when built
  // The tile list entry of every cell, rows from the top, each row from the left, when built.
  std::vector<int> cellTiles;
  bool streamed = false;     // the rows went to the row sink (its Failure tells of a failure)
  // Tiles passed over (see mayPassOver) and removed from the list, in the order met.
  std::vector<std::string> passedOverFiles;
};

// Builds the poster into poster, whose previous pixels are released first. order is the main
// window's tile order, prepared anew by every build. progress may be nullptr; it is called from
// the calling thread only, however many threads work.
[[nodiscard]] PosterBuildResult BuildPoster(const PosterBuildInputs& inputs, CDibImage& poster,
                                            TileOrderShuffle& order, CProgress* progress);
