// Reading the tile images of a build: every list entry's file loaded, shaped for the grid and
// framed, on several threads, while the calling thread reports the entries in list order.
//
// Entries that name the same file (same path, size and modification time) share one image, so
// each file is decoded once however often the list names it. With a cache, tiles shaped by an
// earlier build are taken from it and newly shaped ones are kept in it.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "engine/BuildPoster.h"
#include "engine/ColourLayout.h"
#include "engine/ShapedTileCache.h"
#include "engine/TileShaping.h"
#include "image/OrderedWork.h"

class CProgress;

struct TileReadRequest {
  const TileList* tiles = nullptr;
  TileShape shape;
  bool buttonFrame = false;
  ShapedTileCache* cache = nullptr;  // may be nullptr
  int threads = 1;
  bool measureLayouts = false;  // the colour layout of every tile as shaped, before its frame
  // Paths whose file may be passed over when it cannot be read; empty: none may.
  std::function<bool(const std::string& path)> mayPassOver;
};

struct TileImages {
  std::vector<std::shared_ptr<const CDibImage>> byEntry;  // what each entry's cells copy
  std::vector<ColourLayout> layouts;  // each entry's colour layout, when measured
  int filesDecoded = 0;
  // Files whose data ended early or was damaged, in list order, each named once.
  std::vector<std::string> incompleteFiles;
  // Entries whose file could not be read and was passed over (their byEntry is empty), in list
  // order, and those files, each named once.
  std::vector<int> passedOverEntries;
  std::vector<std::string> passedOverFiles;
};

// The tiles of one build, read on helper threads from the moment it is made, so that the
// reading overlaps whatever the calling thread does before it collects them.
class CTileReading {
 public:
  explicit CTileReading(const TileReadRequest& request);
  ~CTileReading();
  CTileReading(const CTileReading&) = delete;
  CTileReading& operator=(const CTileReading&) = delete;

  // Waits for the entries in list order, reporting each, and fills images; a result, naming the
  // message to show, when the build must stop: the first entry in list order whose file cannot
  // be read and may not be passed over, or a cancel.
  [[nodiscard]] std::optional<PosterBuildResult> Collect(CProgress& progress, TileImages& images);

  struct Plan;  // the files to read, defined with the reading

 private:
  TileReadRequest m_request;
  std::unique_ptr<Plan> m_plan;
  std::unique_ptr<COrderedWork> m_work;
};

// Removes the entries that Collect passed over from images and from tiles, so that every entry
// left names a tile that was read and the indexes of both agree; the number of entries left.
int RemovePassedOver(TileImages& images, TileList& tiles);
