#include "engine/CellLaying.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <new>
#include <optional>
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

// The line pixels that a single-line tile leaves unwritten in the cell image: each cell blends
// them, as they stand after the cell before it, with the main image's pixels under them.
class LinePixels {
 public:
  explicit LinePixels(const TileGrid& g) : m_width(g.tileWidth), m_height(g.tileHeight) {
    if (!m_column.Create(1, m_height, TRUE) || !m_bottom.Create(m_width - 1, 1, TRUE))
      throw std::bad_alloc();
  }

  // Blends them with the poster's pixels of the cell at (x, y).
  void Blend(const CDibImage& poster, int x, int y, unsigned mainWeight, unsigned tileWeight) {
    m_column.BlendFrom(poster, x + m_width - 1, y, 1, m_height, mainWeight, tileWeight);
    m_bottom.BlendFrom(poster, x, y + m_height - 1, m_width - 1, 1, mainWeight, tileWeight);
  }
  void CopyTo(CDibImage& poster, int x, int y) const {
    poster.CopyRect(m_column, x + m_width - 1, y, -1, -1, 0, 0);
    poster.CopyRect(m_bottom, x, y + m_height - 1, -1, -1, 0, 0);
  }

  void Save(LineState& state) const {
    state.column.resize(static_cast<std::size_t>(m_height) * 3);
    for (int y = 0; y < m_height; ++y)
      std::memcpy(&state.column[static_cast<std::size_t>(y) * 3], m_column.GetPixelAddress(0, y), 3);
    const std::uint8_t* bottom = m_bottom.GetPixelAddress(0, 0);
    state.bottom.assign(bottom, bottom + (m_width - 1) * 3);
  }
  void Restore(const LineState& state) {
    for (int y = 0; y < m_height; ++y)
      std::memcpy(m_column.GetPixelAddress(0, y), &state.column[static_cast<std::size_t>(y) * 3], 3);
    std::memcpy(m_bottom.GetPixelAddress(0, 0), state.bottom.data(), state.bottom.size());
  }

 private:
  int m_width;
  int m_height;
  CDibImage m_column;
  CDibImage m_bottom;
};

// Follows the line pixels through every cell in laying order, blending them exactly as the
// cells blend them, and records them at the start of each cell row. False when cancelled.
bool TraceLines(const CellLayout& layout, const CDibImage& poster, CProgress& progress,
                std::vector<LineState>& states) {
  const TileGrid& g = layout.grid;
  LinePixels lines(g);
  const unsigned mainWeight = kBlendWeightSum - layout.tileWeight;
  states.resize(static_cast<std::size_t>(g.tilesDown));
  for (int row = 0; row < g.tilesDown; ++row) {
    if (progress.CheckCancel()) return false;
    lines.Save(states[static_cast<std::size_t>(row)]);
    for (int col = 0; col < g.tilesAcross; ++col)
      lines.Blend(poster, col * g.tileWidth, row * g.tileHeight, mainWeight, layout.tileWeight);
  }
  return true;
}

// Lays the cells of one cell row. A cell is its tile blended with the main image's pixels under
// it, which it then replaces; blending each pixel straight onto the poster gives the bytes of
// blending a cell image and copying it in. With single-line borders the cell's line pixels come
// from the cell before it. False when the line pixels' images cannot be had.
bool LayRow(int row, const CellLayout& layout,
            const std::vector<std::shared_ptr<const CDibImage>>& tiles,
            const std::vector<int>& cellTiles, const std::vector<LineState>& lineStates,
            CDibImage& poster) {
  const TileGrid& g = layout.grid;
  std::optional<LinePixels> lines;
  try {
    if (layout.singleLine) lines.emplace(g);
  } catch (const std::bad_alloc&) {
    return false;
  }
  if (lines) lines->Restore(lineStates[static_cast<std::size_t>(row)]);
  const unsigned mainWeight = kBlendWeightSum - layout.tileWeight;
  const int y = row * g.tileHeight;
  const std::size_t first = static_cast<std::size_t>(row) * static_cast<std::size_t>(g.tilesAcross);
  for (int col = 0; col < g.tilesAcross; ++col) {
    const int x = col * g.tileWidth;
    if (lines) {
      lines->Blend(poster, x, y, mainWeight, layout.tileWeight);
      lines->CopyTo(poster, x, y);
    }
    tiles[static_cast<std::size_t>(cellTiles[first + col])]->BlendOnto(poster, x, y, mainWeight,
                                                                        layout.tileWeight);
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
