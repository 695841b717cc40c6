// The line pixels of single-line borders. A single-line tile is a pixel narrower and shorter
// than its cell and leaves the cell image's last column and bottom row unwritten, so those line
// pixels carry a blend of every earlier cell. A quick pass follows them through all cells and
// records them at the start of each cell row, which lets the rows be laid in any order.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/TileGrid.h"
#include "image/DibImage.h"

class CEnlargement;
class CProgress;

// The line pixels of the cell image as a cell row starts: its last column, top to bottom, and
// its bottom row without that column, left to right; three bytes a pixel.
struct LineState {
  std::vector<std::uint8_t> column;
  std::vector<std::uint8_t> bottom;
};

// The main image's pixels under a cell's line pixels: its last column, read downwards from
// (columnX, columnY) in column, and its bottom row without that column, read across from
// (bottomX, bottomY) in bottom.
struct LineSources {
  const CDibImage& column;
  int columnX;
  int columnY;
  const CDibImage& bottom;
  int bottomX;
  int bottomY;
};

// The line sources of a cell whose main-image pixels image holds at (x, y).
[[nodiscard]] LineSources LinesOfCell(const CDibImage& image, int x, int y, const TileGrid& g);

// The blend of the build: the tile has tileWeight eighths, the main image the rest.
struct LineBlend {
  unsigned mainWeight;
  unsigned tileWeight;
};

// The line pixels that a single-line tile leaves unwritten in the cell image: each cell blends
// them, as they stand after the cell before it, with the main image's pixels under them.
class LinePixels {
 public:
  // Throws std::bad_alloc when its two small images cannot be had.
  explicit LinePixels(const TileGrid& g);

  void Blend(const LineSources& main, LineBlend blend);
  void CopyTo(CDibImage& poster, int x, int y) const;
  void Save(LineState& state) const;
  void Restore(const LineState& state);

 private:
  int m_width;
  int m_height;
  CDibImage m_column;
  CDibImage m_bottom;
};

// Follows the line pixels through every cell in laying order, blending them exactly as the
// cells blend them, and records them at the start of each cell row in states (one for each).
// The main image's pixels come from mainEnlargement when it is set and from the poster
// otherwise. False when cancelled; throws std::bad_alloc.
[[nodiscard]] bool TraceLines(const TileGrid& g, LineBlend blend,
                              const CEnlargement* mainEnlargement, const CDibImage& poster,
                              CProgress& progress, std::vector<LineState>& states);
