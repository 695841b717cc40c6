// Shaping a loaded tile for the grid: the quarter turn to the majority orientation, the cut to
// the cell's aspect ratio and the scaling to the tile image size. The frame and the blend come
// later, so one shaped tile serves every emphasis, order and frame.
#pragma once

#include <cstdint>
#include <optional>

#include "engine/PosterParams.h"
#include "engine/TileGrid.h"
#include "formats/RowReceiver.h"
#include "image/BoxReducer.h"
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

// What shaping does to a tile of a given stored size.
struct ShapePlan {
  bool turn = false;  // a quarter left, to the majority orientation
  TurnedRect cut;     // the part kept, in the turned picture
  bool onePass = false;  // both directions shrink: CBoxReducer gathers it from the stored rows
};
[[nodiscard]] ShapePlan PlanShape(int width, int height, const TileShape& shape);

// Turns, cuts and scales a loaded tile to shape.width × shape.height.
[[nodiscard]] ShapeResult ShapeTile(CDibImage& tile, const TileShape& shape);

// Shapes a tile from its rows as a reader decodes them, when the plan for its size is one pass;
// declines other tiles, which are then loaded whole and given to ShapeTile.
class CTileRowShaper : public CRowReceiver {
 public:
  explicit CTileRowShaper(const TileShape& shape) : m_shape(shape) {}
  [[nodiscard]] bool Accept(int width, int height) override;
  void Take(int y, const std::uint8_t* row) override;
  // The shaped tile, into tile; FALSE when its pixels cannot be had.
  [[nodiscard]] BOOL Finish(CDibImage& tile);

 private:
  TileShape m_shape;
  std::optional<CBoxReducer> m_reducer;
};
