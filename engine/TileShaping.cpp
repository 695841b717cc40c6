#include "engine/TileShaping.h"

#include <algorithm>
#include <cstdint>

#include "image/ReduceTurned.h"
#include "image/Resample.h"

namespace {

// Whether the tile must be turned to the majority orientation; square tiles never are.
bool NeedsTurn(const CDibImage& tile, bool landscapeMajority) {
  const int w = tile.GetWidth(), h = tile.GetHeight();
  return landscapeMajority ? h > w : w > h;
}

// The part of a w × h tile that has the cell's aspect ratio, cut evenly on both sides with the
// odd pixel taken from the far side; the whole tile when the ratios already agree.
TurnedRect CropRect(std::int64_t w, std::int64_t h, const TileShape& shape) {
  const std::int64_t cellW = shape.cellWidth, cellH = shape.cellHeight;
  std::int64_t newW = w, newH = h;
  if (w * cellH > h * cellW)
    newW = h * cellW / cellH;
  else if (w * cellH < h * cellW)
    newH = w * cellH / cellW;
  // A very thin tile keeps at least one pixel rather than becoming empty.
  newW = std::max<std::int64_t>(newW, 1);
  newH = std::max<std::int64_t>(newH, 1);
  return {static_cast<int>((w - newW) / 2), static_cast<int>((h - newH) / 2),
          static_cast<int>(newW), static_cast<int>(newH)};
}

}  // namespace

TileShape MakeTileShape(const TileGrid& grid, const PosterParams& params, bool landscapeMajority) {
  const TileImageSize size = GetTileImageSize(grid, params.Borders);
  TileShape shape;
  shape.width = size.width;
  shape.height = size.height;
  shape.cellWidth = grid.tileWidth;
  shape.cellHeight = grid.tileHeight;
  shape.crop = params.Crop != FALSE;
  shape.rotate = params.Rotate != FALSE;
  shape.landscapeMajority = shape.rotate && landscapeMajority;
  shape.turnUpright = params.Orientation != 0;
  return shape;
}

// A turned tile that shrinks in both directions is gathered in one pass, with the very bytes
// of the three steps.
ShapeResult ShapeTile(CDibImage& tile, const TileShape& shape) {
  const bool turn = shape.rotate && NeedsTurn(tile, shape.landscapeMajority);
  const int turnedW = turn ? tile.GetHeight() : tile.GetWidth();
  const int turnedH = turn ? tile.GetWidth() : tile.GetHeight();
  const TurnedRect cut = shape.crop ? CropRect(turnedW, turnedH, shape)
                                    : TurnedRect{0, 0, turnedW, turnedH};
  if (turn && shape.width < cut.width && shape.height < cut.height) {
    if (!ReduceTurnedRect(tile, cut, shape.width, shape.height)) return ShapeResult::kNoMemory;
    return ShapeResult::kShaped;
  }
  if (turn && !tile.RotateLeft()) return ShapeResult::kNoMemory;
  const bool cutSomething = cut.width != turnedW || cut.height != turnedH;
  if (cutSomething && !tile.CropToRect(cut.x, cut.y, cut.width, cut.height))
    return ShapeResult::kCutFailed;
  if (!Resample(tile, shape.width, shape.height)) return ShapeResult::kNoMemory;
  return ShapeResult::kShaped;
}
