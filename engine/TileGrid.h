// The grid of tiles that makes up the poster: how many tiles across and down, and how big.
//
// The grid follows from the main image's pixel width, the tile size preset, the poster
// resolution and the average size of the tile images; the poster image is tilesAcross ×
// tileWidth by tilesDown × tileHeight pixels.
#pragma once

#include <optional>

#include "engine/PosterParams.h"
#include "engine/PrintSize.h"
#include "engine/PrinterMetrics.h"
#include "engine/TileList.h"
#include "image/Types.h"

struct TileGrid {
  int tilesAcross = 0;
  int tilesDown = 0;
  int tileWidth = 0;  // pixels of one cell
  int tileHeight = 0;
};

// Everything the grid reads besides the tile list. Image sides below 1 mean no main image.
struct PosterSetup {
  PosterParams params;
  int imageWidth = 0;
  int imageHeight = 0;
  PrintSize printSize;
  PrinterMetrics printer;
};

// The mean tile image size over the counted entries, turned to the majority orientation when
// Rotate is on.
struct AverageTileSize {
  int width = 0;
  int height = 0;
  bool landscapeMajority = false;  // only ever true with Rotate
};

struct TileGridResult {
  BOOL success = FALSE;  // FALSE: no entry had a size, nothing else is set but printScale
  TileGrid grid;
  AverageTileSize average;  // its landscapeMajority tells the build which way to turn tiles
  // The poster's printer dots per pixel; set whenever the list held entries.
  std::optional<double> printScale;
};

// Pixel size of the tile image that goes into a cell: the cell itself, or one pixel narrower
// and shorter with SingleLine borders, whose line takes the cell's last column and bottom row.
struct TileImageSize {
  int width = 0;
  int height = 0;
};

// Averages the stored sizes; entries without a record are not counted. Nothing when no entry
// counts.
[[nodiscard]] std::optional<AverageTileSize> ComputeAverageTileSize(const TileList& tiles,
                                                                    BOOL rotate);

// The grid for a main image of imageWidth pixels, the poster resolution and an average tile
// size. The grid is empty (all four figures 0) when fewer than one tile fits across, the cell
// height rounds below 1, the average has a side below 1, or a figure leaves the int range.
[[nodiscard]] TileGrid ComputeGridForAverage(int imageWidth, double tileSizeFactor,
                                             const PosterResolution& resolution,
                                             const AverageTileSize& average);

// Both halves: the average tile size (after probing every file again when reprobe is set, which
// removes the entries whose files no longer probe) and, when a main image is present, the grid.
// Without a main image the grid has no tiles and the average as its tile size.
[[nodiscard]] TileGridResult ComputeTileGrid(TileList& tiles, BOOL reprobe,
                                             const PosterSetup& setup);

[[nodiscard]] TileImageSize GetTileImageSize(const TileGrid& grid, BorderStyle borders);

// TRUE when the grid cannot make a poster: no tile, no row, or a tile image without pixels.
[[nodiscard]] BOOL IsPosterTooSmall(const TileGrid& grid, BorderStyle borders);
