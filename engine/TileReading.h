// Reading the tile images of a build: every list entry's file loaded, shaped for the grid and
// framed, on several threads, while the calling thread reports the entries in list order.
//
// Entries that name the same file (same path, size and modification time) share one image, so
// each file is decoded once however often the list names it. With a cache, tiles shaped by an
// earlier build are taken from it and newly shaped ones are kept in it.
#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "engine/BuildPoster.h"
#include "engine/ColourLayout.h"
#include "engine/ShapedTileCache.h"
#include "engine/TileShaping.h"

class CProgress;

struct TileReadRequest {
  const TileList* tiles = nullptr;
  TileShape shape;
  bool buttonFrame = false;
  ShapedTileCache* cache = nullptr;  // may be nullptr
  int threads = 1;
  bool measureLayouts = false;  // the colour layout of every tile as shaped, before its frame
};

struct TileImages {
  std::vector<std::shared_ptr<const CDibImage>> byEntry;  // what each entry's cells copy
  std::vector<ColourLayout> layouts;  // each entry's colour layout, when measured
  int filesDecoded = 0;
  // Files whose data ended early or was damaged, in list order, each named once.
  std::vector<std::string> incompleteFiles;
};

// Fills images; a result, naming the message to show, when the build must stop: the first
// entry in list order whose file cannot be read, or a cancel.
[[nodiscard]] std::optional<PosterBuildResult> ReadTileImages(const TileReadRequest& request,
                                                              CProgress& progress,
                                                              TileImages& images);
