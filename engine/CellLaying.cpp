#include "engine/CellLaying.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>

#include "image/OrderedWork.h"
#include "image/Progress.h"
#include "resources/StringTable.h"

namespace {

constexpr unsigned kBlendWeightSum = 8;

// The line pixels of the cell image as a cell row starts: its last column, top to bottom, and
// its bottom row without that column, left to right; three bytes a pixel.
struct LineState {
  std::vector<std::uint8_t> column;
  std::vector<std::uint8_t> bottom;
};

// Follows the line pixels through every cell in laying order, blending them exactly as the
// whole cell is blended, and records them at the start of each cell row. False when cancelled.
bool TraceLines(const CellLayout& layout, const CDibImage& poster, CProgress& progress,
                std::vector<LineState>& states) {
  const TileGrid& g = layout.grid;
  const int w = g.tileWidth, h = g.tileHeight;
  CDibImage column, bottom;
  if (!column.Create(1, h, TRUE) || !bottom.Create(w - 1, 1, TRUE)) throw std::bad_alloc();
  const unsigned mainWeight = kBlendWeightSum - layout.tileWeight;
  states.resize(static_cast<std::size_t>(g.tilesDown));
  for (int row = 0; row < g.tilesDown; ++row) {
    if (progress.CheckCancel()) return false;
    LineState& state = states[static_cast<std::size_t>(row)];
    state.column.resize(static_cast<std::size_t>(h) * 3);
    for (int y = 0; y < h; ++y) std::memcpy(&state.column[static_cast<std::size_t>(y) * 3], column.GetPixelAddress(0, y), 3);
    state.bottom.assign(bottom.GetPixelAddress(0, 0), bottom.GetPixelAddress(0, 0) + (w - 1) * 3);
    const int y = row * h;
    for (int col = 0; col < g.tilesAcross; ++col) {
      const int x = col * w;
      column.BlendFrom(poster, x + w - 1, y, 1, h, mainWeight, layout.tileWeight);
      bottom.BlendFrom(poster, x, y + h - 1, w - 1, 1, mainWeight, layout.tileWeight);
    }
  }
  return true;
}

void RestoreLines(const LineState& state, CDibImage& cell) {
  const int w = cell.GetWidth(), h = cell.GetHeight();
  for (int y = 0; y < h; ++y)
    std::memcpy(cell.GetPixelAddress(w - 1, y), &state.column[static_cast<std::size_t>(y) * 3], 3);
  std::memcpy(cell.GetPixelAddress(0, h - 1), state.bottom.data(), state.bottom.size());
}

// Lays the cells of one cell row with a cell image of its own. False when that image cannot
// be had.
bool LayRow(int row, const CellLayout& layout,
            const std::vector<std::shared_ptr<const CDibImage>>& tiles,
            const std::vector<int>& cellTiles, const std::vector<LineState>& lines,
            CDibImage& poster) {
  const TileGrid& g = layout.grid;
  CDibImage cell;
  if (!cell.Create(g.tileWidth, g.tileHeight, TRUE)) return false;
  if (layout.singleLine) RestoreLines(lines[static_cast<std::size_t>(row)], cell);
  const unsigned mainWeight = kBlendWeightSum - layout.tileWeight;
  const int y = row * g.tileHeight;
  const std::size_t first = static_cast<std::size_t>(row) * static_cast<std::size_t>(g.tilesAcross);
  for (int col = 0; col < g.tilesAcross; ++col) {
    const int x = col * g.tileWidth;
    cell.CopyRect(*tiles[static_cast<std::size_t>(cellTiles[first + col])], 0, 0, -1, -1, 0, 0);
    // The cell reads the main image's pixels under it before it takes their place.
    cell.BlendFrom(poster, x, y, g.tileWidth, g.tileHeight, mainWeight, layout.tileWeight);
    poster.CopyRect(cell, x, y, -1, -1, 0, 0);
  }
  return true;
}

// The reports of a row's cells, each its percentage and then "%-05d x %-05d" with row and
// column (a zero flag has no effect beside the minus flag). False when the work must stop.
bool ReportRow(int row, const TileGrid& g, CProgress& progress) {
  const std::uint64_t total = static_cast<std::uint64_t>(g.tilesAcross) * g.tilesDown;
  std::uint64_t cellIndex = static_cast<std::uint64_t>(row) * g.tilesAcross;
  char detail[32];
  for (int col = 0; col < g.tilesAcross; ++col, ++cellIndex) {
    if (!progress.SetPercent(static_cast<int>(100 * cellIndex / total))) return false;
    std::snprintf(detail, sizeof detail, "%-5d x %-5d", row, col);
    if (!progress.SetDetail(std::string(detail))) return false;
  }
  return true;
}

}  // namespace

std::vector<int> AssignTilesToCells(TileOrderShuffle& order, TileOrderMode mode, int tileCount,
                                    const TileGrid& grid) {
  const std::size_t total =
      static_cast<std::size_t>(grid.tilesAcross) * static_cast<std::size_t>(grid.tilesDown);
  std::vector<int> cellTiles(total);
  int idx = FirstTileIndex(order, mode);
  for (std::size_t cell = 0; cell < total; ++cell) {
    cellTiles[cell] = idx;
    idx = NextTileIndex(order, mode, idx, tileCount);
  }
  return cellTiles;
}

LayResult LayCells(const CellLayout& layout,
                   const std::vector<std::shared_ptr<const CDibImage>>& tiles,
                   const std::vector<int>& cellTiles, CDibImage& poster, CProgress& progress,
                   const FinalRowsListener& onRowsFinal) {
  if (onRowsFinal) onRowsFinal(poster, 0);
  std::vector<LineState> lines;
  if (layout.singleLine && !TraceLines(layout, poster, progress, lines)) return LayResult::kCancelled;
  const int rows = layout.grid.tilesDown;
  std::unique_ptr<bool[]> failed(new bool[static_cast<std::size_t>(rows)]());
  COrderedWork work(rows, layout.threads, [&](int row) {
    failed[static_cast<std::size_t>(row)] = !LayRow(row, layout, tiles, cellTiles, lines, poster);
  });
  const auto goOn = [&progress] { return !progress.CheckCancel(); };
  for (int row = 0; row < rows; ++row) {
    if (!ReportRow(row, layout.grid, progress) || !work.WaitFor(row, goOn))
      return LayResult::kCancelled;
    if (failed[static_cast<std::size_t>(row)]) return LayResult::kNoMemory;
    // Rows above this cell row's bottom are final: later cells read and write only their own.
    if (onRowsFinal) onRowsFinal(poster, (row + 1) * layout.grid.tileHeight);
  }
  return LayResult::kLaid;
}
