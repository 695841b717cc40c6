#include "engine/TileShaping.h"

#include <algorithm>
#include <cstdint>
#include <new>

#include "image/Resample.h"

namespace {

// Whether a w × h tile must be turned to the majority orientation; square tiles never are.
bool NeedsTurn(int w, int h, bool landscapeMajority) {
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

ShapePlan PlanShape(int width, int height, const TileShape& shape) {
  ShapePlan plan;
  plan.turn = shape.rotate && NeedsTurn(width, height, shape.landscapeMajority);
  const int turnedW = plan.turn ? height : width;
  const int turnedH = plan.turn ? width : height;
  plan.cut = shape.crop ? CropRect(turnedW, turnedH, shape) : TurnedRect{0, 0, turnedW, turnedH};
  plan.onePass =
      CBoxReducer::Applies(width, height, plan.turn, plan.cut, shape.width, shape.height);
  return plan;
}

// A tile that shrinks in both directions is gathered in one pass, with the very bytes of the
// three steps.
ShapeResult ShapeTile(CDibImage& tile, const TileShape& shape) {
  const ShapePlan plan = PlanShape(tile.GetWidth(), tile.GetHeight(), shape);
  if (plan.onePass) {
    if (!ReduceRect(tile, plan.turn, plan.cut, shape.width, shape.height))
      return ShapeResult::kNoMemory;
    return ShapeResult::kShaped;
  }
  if (plan.turn && !tile.RotateLeft()) return ShapeResult::kNoMemory;
  const TurnedRect& cut = plan.cut;
  const bool cutSomething = cut.width != tile.GetWidth() || cut.height != tile.GetHeight();
  if (cutSomething && !tile.CropToRect(cut.x, cut.y, cut.width, cut.height))
    return ShapeResult::kCutFailed;
  if (!Resample(tile, shape.width, shape.height)) return ShapeResult::kNoMemory;
  return ShapeResult::kShaped;
}

bool CTileRowShaper::Accept(int width, int height) {
  const ShapePlan plan = PlanShape(width, height, m_shape);
  if (!plan.onePass) return false;
  try {
    m_reducer.emplace(width, plan.turn, plan.cut, m_shape.width, m_shape.height);
  } catch (const std::bad_alloc&) {
    return false;  // loaded whole, the tile then fails for want of memory as any other would
  }
  return true;
}

void CTileRowShaper::Take(int y, const std::uint8_t* row) { m_reducer->AddRow(y, row); }

BOOL CTileRowShaper::Finish(CDibImage& tile) { return m_reducer && m_reducer->Finish(tile); }
