#include "engine/CellLaying.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <new>
#include <optional>
#include <string>

#include "engine/CellLines.h"
#include "image/Enlargement.h"
#include "image/OrderedWork.h"
#include "image/Progress.h"
#include "resources/StringTable.h"

namespace {

constexpr unsigned kBlendWeightSum = 8;

LineBlend BlendOf(const CellLayout& layout) {
  return {kBlendWeightSum - layout.tileWeight, layout.tileWeight};
}

// Where a cell finds the main image's pixels under it: in the poster itself, or made from the
// enlargement into an image of this thread's a few cells wide, small enough to stay in the
// processor's cache until its cells are blended and wide enough to keep the mixing loops long.
class CellMainPixels {
 public:
  // The main image's pixels of a cell, at (x, y) in image.
  struct Under {
    const CDibImage& image;
    int x;
    int y;
  };

  CellMainPixels(const CellLayout& layout, const CDibImage& poster)
      : m_grid(layout.grid), m_enlargement(layout.mainEnlargement), m_poster(poster) {
    if (m_enlargement == nullptr) return;
    const std::size_t cellBytes =
        3 * static_cast<std::size_t>(m_grid.tileWidth) * m_grid.tileHeight;
    const int cells =
        std::clamp(static_cast<int>(kStretchBytes / cellBytes), 1, m_grid.tilesAcross);
    m_stretchWidth = cells * m_grid.tileWidth;
    m_rows.emplace(*m_enlargement, m_stretchWidth);
    if (!m_rows->HasMemory() || !m_stretch.Create(m_stretchWidth, m_grid.tileHeight, TRUE))
      throw std::bad_alloc();
  }

  // Those of the cell at (x, y) of the poster; the cells of a row are asked for from the left.
  Under Cell(int x, int y) {
    if (m_enlargement == nullptr) return {m_poster, x, y};
    if (y != m_stretchY || x < m_stretchX || x >= m_stretchX + m_stretchWidth) {
      m_stretchX = x;
      m_stretchY = y;
      const int width = std::min(m_stretchWidth, m_enlargement->GetWidth() - x);
      m_enlargement->Paint(m_stretch, 0, 0, x, y, width, m_grid.tileHeight, *m_rows);
    }
    return {m_stretch, x - m_stretchX, 0};
  }

 private:
  // Measured on a 12,000-pixel poster from 48 KB to a whole row: rebuilds were a fifth slower
  // at 48 KB and no faster beyond about 400 KB.
  static constexpr std::size_t kStretchBytes = std::size_t{512} << 10;

  const TileGrid& m_grid;
  const CEnlargement* m_enlargement;
  const CDibImage& m_poster;
  std::optional<CEnlargement::Rows> m_rows;
  CDibImage m_stretch;  // the cells from (m_stretchX, m_stretchY) on
  int m_stretchWidth = 0;
  int m_stretchX = -1;
  int m_stretchY = -1;
};

// Lays the cells of one cell row. A cell is its tile blended with the main image's pixels under
// it; blending each pixel straight onto the poster gives the bytes of blending a cell image and
// copying it in. With single-line borders the cell's line pixels come from the cell before it.
// False when the working images cannot be had.
bool LayRow(int row, const CellLayout& layout,
            const std::vector<std::shared_ptr<const CDibImage>>& tiles,
            const std::vector<int>& cellTiles, const std::vector<LineState>& lineStates,
            CDibImage& poster) {
  const TileGrid& g = layout.grid;
  std::optional<LinePixels> lines;
  std::optional<CellMainPixels> main;
  try {
    if (layout.singleLine) lines.emplace(g);
    main.emplace(layout, poster);
  } catch (const std::bad_alloc&) {
    return false;
  }
  if (lines) lines->Restore(lineStates[static_cast<std::size_t>(row)]);
  const LineBlend blend = BlendOf(layout);
  const int y = row * g.tileHeight;
  const std::size_t first = static_cast<std::size_t>(row) * static_cast<std::size_t>(g.tilesAcross);
  for (int col = 0; col < g.tilesAcross; ++col) {
    const int x = col * g.tileWidth;
    const CellMainPixels::Under under = main->Cell(x, y);
    if (lines) {
      lines->Blend(LinesOfCell(under.image, under.x, under.y, g), blend);
      lines->CopyTo(poster, x, y);
    }
    tiles[static_cast<std::size_t>(cellTiles[first + col])]->BlendOnto(
        poster, x, y, under.image, under.x, under.y, blend.mainWeight, blend.tileWeight);
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
  const int rows = layout.grid.tilesDown;
  std::vector<LineState> lines(layout.singleLine ? static_cast<std::size_t>(rows) : 0);
  if (layout.singleLine &&
      !TraceLines(layout.grid, BlendOf(layout), layout.mainEnlargement, poster, progress, lines))
    return LayResult::kCancelled;
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
