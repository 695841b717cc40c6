#include "engine/CellLines.h"

#include <cstring>
#include <new>
#include <optional>

#include "image/Enlargement.h"
#include "image/Progress.h"

namespace {

// The main image's pixels under every cell's line pixels, made from its enlargement into two
// small images: the last column of each column of cells, and the bottom row of each row of
// cells. The trace below reads them cell after cell on one thread, which could not afford to
// make them a cell at a time.
class LineImages {
 public:
  LineImages(const CEnlargement& main, const TileGrid& g) : m_grid(g) {
    std::vector<int> lastColumns, bottomRows;
    for (int col = 1; col <= g.tilesAcross; ++col) lastColumns.push_back(col * g.tileWidth - 1);
    for (int row = 1; row <= g.tilesDown; ++row) bottomRows.push_back(row * g.tileHeight - 1);
    const int width = g.tilesAcross * g.tileWidth, height = g.tilesDown * g.tileHeight;
    Make(CEnlargement(main.GetSource(), width, height, lastColumns, AllUpTo(height)), m_columns);
    Make(CEnlargement(main.GetSource(), width, height, AllUpTo(width), bottomRows), m_bottoms);
  }

  [[nodiscard]] LineSources Of(int col, int row) const {
    return {m_columns, col, row * m_grid.tileHeight, m_bottoms, col * m_grid.tileWidth, row};
  }

 private:
  static std::vector<int> AllUpTo(int count) {
    std::vector<int> all(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) all[static_cast<std::size_t>(i)] = i;
    return all;
  }
  static void Make(const CEnlargement& lines, CDibImage& image) {
    CEnlargement::Rows rows(lines, lines.GetWidth());
    if (!lines.HasMemory() || !rows.HasMemory() ||
        !image.Create(lines.GetWidth(), lines.GetHeight(), TRUE))
      throw std::bad_alloc();
    lines.Paint(image, 0, 0, 0, 0, lines.GetWidth(), lines.GetHeight(), rows);
  }

  const TileGrid& m_grid;
  CDibImage m_columns;
  CDibImage m_bottoms;
};

}  // namespace

LinePixels::LinePixels(const TileGrid& g) : m_width(g.tileWidth), m_height(g.tileHeight) {
  if (!m_column.Create(1, m_height, TRUE) || !m_bottom.Create(m_width - 1, 1, TRUE))
    throw std::bad_alloc();
}

void LinePixels::Blend(const LineSources& main, LineBlend blend) {
  m_column.BlendFrom(main.column, main.columnX, main.columnY, 1, m_height, blend.mainWeight,
                     blend.tileWeight);
  m_bottom.BlendFrom(main.bottom, main.bottomX, main.bottomY, m_width - 1, 1, blend.mainWeight,
                     blend.tileWeight);
}

void LinePixels::CopyTo(CDibImage& poster, int x, int y) const {
  poster.CopyRect(m_column, x + m_width - 1, y, -1, -1, 0, 0);
  poster.CopyRect(m_bottom, x, y + m_height - 1, -1, -1, 0, 0);
}

void LinePixels::Save(LineState& state) const {
  state.column.resize(static_cast<std::size_t>(m_height) * 3);
  for (int y = 0; y < m_height; ++y)
    std::memcpy(&state.column[static_cast<std::size_t>(y) * 3], m_column.GetPixelAddress(0, y), 3);
  const std::uint8_t* bottom = m_bottom.GetPixelAddress(0, 0);
  state.bottom.assign(bottom, bottom + (m_width - 1) * 3);
}

void LinePixels::Restore(const LineState& state) {
  for (int y = 0; y < m_height; ++y)
    std::memcpy(m_column.GetPixelAddress(0, y), &state.column[static_cast<std::size_t>(y) * 3], 3);
  std::memcpy(m_bottom.GetPixelAddress(0, 0), state.bottom.data(), state.bottom.size());
}

LineSources LinesOfCell(const CDibImage& image, int x, int y, const TileGrid& g) {
  return {image, x + g.tileWidth - 1, y, image, x, y + g.tileHeight - 1};
}

bool TraceLines(const TileGrid& g, LineBlend blend, const CEnlargement* mainEnlargement,
                const CDibImage& poster, CProgress& progress, std::vector<LineState>& states) {
  LinePixels lines(g);
  std::optional<LineImages> made;
  if (mainEnlargement) made.emplace(*mainEnlargement, g);
  for (int row = 0; row < g.tilesDown; ++row) {
    if (progress.CheckCancel()) return false;
    lines.Save(states[static_cast<std::size_t>(row)]);
    for (int col = 0; col < g.tilesAcross; ++col) {
      const LineSources main =
          made ? made->Of(col, row) : LinesOfCell(poster, col * g.tileWidth, row * g.tileHeight, g);
      lines.Blend(main, blend);
    }
  }
  return true;
}
