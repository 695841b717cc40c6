// Shaping a loaded tile for the grid: the quarter turn to the majority orientation, the cut to
// the cell's aspect ratio and the scaling to the tile image size. The frame and the blend come
// later, so one shaped tile serves every emphasis, order and frame.
#pragma once

#include "engine/PosterParams.h"
#include "engine/TileGrid.h"
#include "image/DibImage.h"

// Everything besides the file that decides a shaped tile's pixels.
struct TileShape {
  int width = 0;  // the tile image size
  int height = 0;
  int cellWidth = 0;  // the cell, whose aspect ratio a cut keeps
  int cellHeight = 0;
  bool crop = false;
  bool rotate = false;
  bool landscapeMajority = false;  // the orientation tiles are turned to, with rotate
  bool turnUpright = true;  // photos read upright by their orientation tag

  bool operator==(const TileShape&) const = default;
};

enum class ShapeResult { kShaped, kNoMemory, kCutFailed };

[[nodiscard]] TileShape MakeTileShape(const TileGrid& grid, const PosterParams& params,
                                      bool landscapeMajority);

// Turns, cuts and scales a loaded tile to shape.width × shape.height.
[[nodiscard]] ShapeResult ShapeTile(CDibImage& tile, const TileShape& shape);
