#include "engine/CellLaying.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <new>
#include <optional>
#include <string>
#include <system_error>
#include <utility>

#include "engine/CellLines.h"
#include "engine/CellRowRing.h"
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
// The cells are laid into image from its row top; the main image's pixels come from the poster
// (the image itself) unless the layout names the enlargement. False when the working images
// cannot be had.
bool LayRow(int row, const CellLayout& layout,
            const std::vector<std::shared_ptr<const CDibImage>>& tiles,
            const std::vector<int>& cellTiles, const std::vector<LineState>& lineStates,
            CDibImage& image, int top) {
  const TileGrid& g = layout.grid;
  std::optional<LinePixels> lines;
  std::optional<CellMainPixels> main;
  try {
    if (layout.singleLine) lines.emplace(g);
    main.emplace(layout, image);
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
      lines->CopyTo(image, x, top);
    }
    tiles[static_cast<std::size_t>(cellTiles[first + col])]->BlendOnto(
        image, x, top, under.image, under.x, under.y, blend.mainWeight, blend.tileWeight);
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

// Where the cell rows are laid, and what becomes of each once laid.
class LayTarget {
 public:
  virtual ~LayTarget() = default;
  // On a laying thread, before row is laid: the image and its row where the row goes; nothing
  // when the laying stopped first.
  virtual std::optional<std::pair<CDibImage*, int>> PlaceOf(int row) = 0;
  // On the calling thread, in order, once row is laid. False stops the laying.
  [[nodiscard]] virtual bool Laid(int row) = 0;
  // Whether what becomes of the laid rows has failed: a row not laid then only followed it.
  virtual bool Failed() { return false; }
  // On the calling thread after the last row is laid: returns once every row is dealt with.
  virtual LayResult Drain(const std::function<bool()>&) { return LayResult::kLaid; }
  // On the calling thread as the laying ends, before the laying threads are joined.
  virtual void Stop() {}
};

// The whole poster: each row where it belongs; the listener hears how many rows are final.
class WholePoster : public LayTarget {
 public:
  WholePoster(CDibImage& poster, const TileGrid& g, const FinalRowsListener& onRowsFinal)
      : m_poster(poster), m_grid(g), m_onRowsFinal(onRowsFinal) {}
  std::optional<std::pair<CDibImage*, int>> PlaceOf(int row) override {
    return std::pair{&m_poster, row * m_grid.tileHeight};
  }
  bool Laid(int row) override {
    // Rows above this cell row's bottom are final: later cells read and write only their own.
    if (m_onRowsFinal) m_onRowsFinal(m_poster, (row + 1) * m_grid.tileHeight);
    return true;
  }

 private:
  CDibImage& m_poster;
  const TileGrid& m_grid;
  const FinalRowsListener& m_onRowsFinal;
};

// A ring of a few cell rows, handed on by the ring's own thread as each is laid.
class RingTarget : public LayTarget {
 public:
  explicit RingTarget(CCellRowRing& ring) : m_ring(ring) {}
  std::optional<std::pair<CDibImage*, int>> PlaceOf(int row) override {
    if (!m_ring.WaitForPlace(row)) return std::nullopt;
    return std::pair{&m_ring.Image(), m_ring.TopOf(row)};
  }
  bool Laid(int row) override { return m_ring.Laid(row); }
  bool Failed() override { return m_ring.Failed(); }
  LayResult Drain(const std::function<bool()>& goOn) override { return m_ring.Drain(goOn); }
  void Stop() override { m_ring.Stop(); }

 private:
  CCellRowRing& m_ring;
};

// Stops the target as the laying ends, however it ends, so that no laying thread waits for a
// place while the threads are joined.
class StopOnExit {
 public:
  explicit StopOnExit(LayTarget& target) : m_target(target) {}
  ~StopOnExit() { m_target.Stop(); }
  StopOnExit(const StopOnExit&) = delete;
  StopOnExit& operator=(const StopOnExit&) = delete;

 private:
  LayTarget& m_target;
};

// Lays the rows on the layout's threads and follows them in order. mainPixels holds the main
// image at the poster's size unless the layout names its enlargement.
LayResult LayInOrder(const CellLayout& layout,
                     const std::vector<std::shared_ptr<const CDibImage>>& tiles,
                     const std::vector<int>& cellTiles, const CDibImage& mainPixels,
                     LayTarget& target, CProgress& progress) {
  const int rows = layout.grid.tilesDown;
  std::vector<LineState> lines(layout.singleLine ? static_cast<std::size_t>(rows) : 0);
  if (layout.singleLine &&
      !TraceLines(layout.grid, BlendOf(layout), layout.mainEnlargement, mainPixels, progress, lines))
    return LayResult::kCancelled;
  std::unique_ptr<bool[]> failed(new bool[static_cast<std::size_t>(rows)]());
  COrderedWork work(rows, layout.threads, [&](int row) {
    const auto place = target.PlaceOf(row);
    failed[static_cast<std::size_t>(row)] =
        !place || !LayRow(row, layout, tiles, cellTiles, lines, *place->first, place->second);
  });
  const StopOnExit stopOnExit(target);
  const auto goOn = [&progress] { return !progress.CheckCancel(); };
  for (int row = 0; row < rows; ++row) {
    if (!ReportRow(row, layout.grid, progress) || !work.WaitFor(row, goOn))
      return LayResult::kCancelled;
    if (failed[static_cast<std::size_t>(row)])
      return target.Failed() ? LayResult::kNotHandedOn : LayResult::kNoMemory;
    if (!target.Laid(row)) return LayResult::kNotHandedOn;
  }
  return target.Drain(goOn);
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
  WholePoster target(poster, layout.grid, onRowsFinal);
  return LayInOrder(layout, tiles, cellTiles, poster, target, progress);
}

LayResult LayCellsInRing(const CellLayout& layout,
                         const std::vector<std::shared_ptr<const CDibImage>>& tiles,
                         const std::vector<int>& cellTiles, int places, CProgress& progress,
                         const RowsHandOn& handOn) {
  try {
    CCellRowRing ring(layout.grid, places, handOn);
    RingTarget target(ring);
    return LayInOrder(layout, tiles, cellTiles, ring.Image(), target, progress);
  } catch (const std::bad_alloc&) {
    return LayResult::kNoMemory;
  } catch (const std::system_error&) {
    return LayResult::kNoMemory;
  }
}
