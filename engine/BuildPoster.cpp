#include "engine/BuildPoster.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <new>
#include <optional>
#include <vector>

#include "engine/ButtonFrame.h"
#include "formats/ImageFile.h"
#include "image/Progress.h"
#include "image/ReduceTurned.h"
#include "image/Resample.h"
#include "resources/StringTable.h"

namespace {

constexpr int kFrameThickness = 5;
constexpr unsigned kBlendWeightSum = 8;

// Answers "go on" to everything, for builds that nobody watches.
class SilentProgress : public CProgress {
 protected:
  void ShowStage(const std::string&) override {}
  void ShowDetail(const std::string&) override {}
  void ShowPercent(int) override {}
};

PosterBuildResult Stopped(unsigned messageId = 0, std::string messageArg = {}) {
  PosterBuildResult result;
  result.messageId = messageId;
  result.messageArg = std::move(messageArg);
  return result;
}

// Everything a build holds while it runs, released when it ends.
struct BuildState {
  std::unique_ptr<CDibImage[]> tileImages;
  CDibImage cell;
  TileGrid grid;
  TileImageSize tileSize;
  bool landscapeMajority = false;
  int tileCount = 0;
  std::vector<ColourLayout> tileLayouts;  // Matched order only: each tile as shaped, unframed
};

// Whether the tile must be turned to the majority orientation; square tiles never are.
bool NeedsTurn(const CDibImage& tile, bool landscapeMajority) {
  const int w = tile.GetWidth(), h = tile.GetHeight();
  return landscapeMajority ? h > w : w > h;
}

// The part of a w × h tile that has the cell's aspect ratio, cut evenly on both sides with the
// odd pixel taken from the far side; the whole tile when the ratios already agree.
TurnedRect CropRect(std::int64_t w, std::int64_t h, const TileGrid& grid) {
  const std::int64_t cellW = grid.tileWidth, cellH = grid.tileHeight;
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

// Turns, cuts and scales a loaded tile to the tile image size. A turned tile that shrinks in
// both directions is gathered in one pass, with the very bytes of the three steps.
std::optional<PosterBuildResult> ShapeTile(CDibImage& tile, const BuildState& state,
                                           const PosterParams& params) {
  const bool turn = params.Rotate && NeedsTurn(tile, state.landscapeMajority);
  const int turnedW = turn ? tile.GetHeight() : tile.GetWidth();
  const int turnedH = turn ? tile.GetWidth() : tile.GetHeight();
  const TurnedRect cut = params.Crop ? CropRect(turnedW, turnedH, state.grid)
                                     : TurnedRect{0, 0, turnedW, turnedH};
  const TileImageSize& size = state.tileSize;
  if (turn && size.width < cut.width && size.height < cut.height) {
    if (!ReduceTurnedRect(tile, cut, size.width, size.height)) return Stopped(res::IDS_NO_MEMORY);
    return std::nullopt;
  }
  if (turn && !tile.RotateLeft()) return Stopped(res::IDS_NO_MEMORY);
  const bool cutSomething = cut.width != turnedW || cut.height != turnedH;
  if (cutSomething && !tile.CropToRect(cut.x, cut.y, cut.width, cut.height)) return Stopped();
  if (!Resample(tile, size.width, size.height)) return Stopped(res::IDS_NO_MEMORY);
  return std::nullopt;
}

// Loads, turns, cuts, scales and frames every tile. A failure names the message to show.
std::optional<PosterBuildResult> ReadTiles(BuildState& state, const PosterBuildInputs& inputs,
                                           CProgress& progress) {
  const PosterParams& params = inputs.setup.params;
  progress.SetStage(res::IDS_STAGE_READ_TILES);
  for (int i = 0; i < state.tileCount; ++i) {
    const std::string& path = inputs.tiles->GetText(i);
    progress.SetDetail(path);
    if (!progress.SetPercent(100 * i / state.tileCount)) return Stopped();
    CDibImage& tile = state.tileImages[i];
    if (!Load(tile, path)) return Stopped(res::IDS_TILE_OPEN_ERROR, path);
    if (auto stop = ShapeTile(tile, state, params)) return stop;
    if (params.TileOrder == TileOrderMode::Matched)
      state.tileLayouts.push_back(MeasureLayout(tile, 0, 0, tile.GetWidth(), tile.GetHeight()));
    if (params.Borders == BorderStyle::ButtonFrame) DrawButtonFrame(tile, kFrameThickness, TRUE);
  }
  return std::nullopt;
}

// The colour layout of the main image under every cell, row by row. Nothing when cancelled.
std::optional<std::vector<ColourLayout>> MeasureCells(const TileGrid& g, const CDibImage& mainImage,
                                                      CProgress& progress) {
  std::vector<ColourLayout> layouts;
  layouts.reserve(static_cast<std::size_t>(g.tilesAcross) * g.tilesDown);
  for (int row = 0; row < g.tilesDown; ++row) {
    if (progress.CheckCancel()) return std::nullopt;
    for (int col = 0; col < g.tilesAcross; ++col)
      layouts.push_back(MeasureLayout(mainImage, col * g.tileWidth, row * g.tileHeight,
                                      g.tileWidth, g.tileHeight));
  }
  return layouts;
}

// The tile index of every cell, row by row from the top, each row from the left: the random and
// sequential orders are consumed in that sequence; the matched order compares each cell's part
// of the resampled main image with the tiles. Nothing when the work was cancelled.
std::optional<std::vector<int>> AssignTilesToCells(const BuildState& state,
                                                   const PosterBuildInputs& inputs,
                                                   TileOrderShuffle& order,
                                                   const CDibImage& resampledMain,
                                                   CProgress& progress) {
  const TileOrderMode mode = inputs.setup.params.TileOrder;
  if (mode == TileOrderMode::Matched) {
    progress.SetStage(res::IDS_STAGE_MATCH_TILES);
    const auto cellLayouts = MeasureCells(state.grid, resampledMain, progress);
    if (!cellLayouts) return std::nullopt;
    return MatchTilesToCells(*cellLayouts, state.grid.tilesAcross, state.tileLayouts,
                             inputs.repeatDistance, progress);
  }
  const std::size_t total = static_cast<std::size_t>(state.grid.tilesAcross) * state.grid.tilesDown;
  std::vector<int> cells(total);
  int idx = FirstTileIndex(order, mode);
  for (int& cell : cells) {
    cell = idx;
    idx = NextTileIndex(order, mode, idx, state.tileCount);
  }
  return cells;
}

// Lays the cells row by row from the top, each row from the left, cells[i] being the tile of the
// i-th cell. False when cancelled.
bool LayTiles(BuildState& state, const PosterBuildInputs& inputs, const std::vector<int>& cells,
              CDibImage& poster, CProgress& progress) {
  const PosterParams& params = inputs.setup.params;
  const TileGrid& g = state.grid;
  const unsigned tileWeight = static_cast<unsigned>(params.Emphasis);
  const unsigned mainWeight = kBlendWeightSum - tileWeight;
  progress.SetStage(res::IDS_STAGE_LAY_TILES);
  const std::uint64_t total = static_cast<std::uint64_t>(g.tilesAcross) * g.tilesDown;
  std::uint64_t cellIndex = 0;
  char detail[32];
  for (int row = 0; row < g.tilesDown; ++row) {
    const int y = row * g.tileHeight;
    for (int col = 0; col < g.tilesAcross; ++col) {
      const int x = col * g.tileWidth;
      if (!progress.SetPercent(static_cast<int>(100 * cellIndex / total))) return false;
      // The detail text "%-05d x %-05d": a zero flag has no effect beside the minus flag.
      std::snprintf(detail, sizeof detail, "%-5d x %-5d", row, col);
      if (!progress.SetDetail(std::string(detail))) return false;
      state.cell.CopyRect(state.tileImages[cells[cellIndex]], 0, 0, -1, -1, 0, 0);
      // The cell reads the main image's pixels under it before it takes their place.
      state.cell.BlendFrom(poster, x, y, g.tileWidth, g.tileHeight, mainWeight,
                           tileWeight);
      poster.CopyRect(state.cell, x, y, -1, -1, 0, 0);
      ++cellIndex;
    }
  }
  return true;
}

// Steps from the tile order to the resampled main image; a result when the build must stop.
std::optional<PosterBuildResult> Prepare(BuildState& state, const PosterBuildInputs& inputs,
                                         CDibImage& poster, TileOrderShuffle& order,
                                         CProgress& progress) {
  const int startCount = inputs.tiles->GetCount();
  if (startCount < 1) return Stopped();
  if (!order.Prepare(startCount, inputs.seed)) return Stopped(res::IDS_NO_MEMORY);

  progress.SetStage(res::IDS_STAGE_ALLOC_TILES);
  state.tileImages.reset(new (std::nothrow) CDibImage[static_cast<std::size_t>(startCount)]);
  if (!state.tileImages) return Stopped(res::IDS_NO_MEMORY);

  progress.SetStage(res::IDS_STAGE_TILE_SIZES);
  const TileGridResult gridResult = ComputeTileGrid(*inputs.tiles, TRUE, inputs.setup);
  if (!gridResult.success) return Stopped();
  state.grid = gridResult.grid;
  state.landscapeMajority = gridResult.average.landscapeMajority;
  state.tileCount = inputs.tiles->GetCount();
  state.tileSize = GetTileImageSize(state.grid, inputs.setup.params.Borders);
  if (IsPosterTooSmall(state.grid, inputs.setup.params.Borders))
    return Stopped(res::IDS_POSTER_TOO_SMALL);
  // Entries removed by the reprobe must never be drawn: the order covers the survivors only.
  if (state.tileCount < startCount && !order.Prepare(state.tileCount, inputs.seed))
    return Stopped(res::IDS_NO_MEMORY);

  const TileGrid& g = state.grid;
  if (!state.cell.Create(g.tileWidth, g.tileHeight, TRUE)) return Stopped(res::IDS_NO_MEMORY);
  state.cell.Clear();

  progress.SetStage(res::IDS_STAGE_CREATE_POSTER);
  const std::int64_t posterWidth = static_cast<std::int64_t>(g.tilesAcross) * g.tileWidth;
  const std::int64_t posterHeight = static_cast<std::int64_t>(g.tilesDown) * g.tileHeight;
  if (posterWidth > INT32_MAX || posterHeight > INT32_MAX ||
      !poster.Create(static_cast<int>(posterWidth), static_cast<int>(posterHeight), TRUE))
    return Stopped(res::IDS_NO_MEMORY);

  // The main image is resampled into the poster image itself: every cell then blends the main
  // image's pixels under it and overwrites them, each pixel read once before it is written. This
  // gives the bytes of a separate resampled copy without a second poster-sized image to hold
  // and to clear.
  progress.SetStage(res::IDS_STAGE_RESAMPLE_MAIN);
  poster.SetProgress(&progress);
  const BOOL resampled = ResampleFrom(poster, poster.GetWidth(), poster.GetHeight(),
                                      *inputs.mainImage, 0);
  poster.SetProgress(nullptr);
  if (!resampled) return Stopped(res::IDS_NO_MEMORY);
  return std::nullopt;
}

// The number of different tiles among the cells.
int CountDistinct(const std::vector<int>& cells, int tileCount) {
  std::vector<bool> seen(static_cast<std::size_t>(tileCount), false);
  int distinct = 0;
  for (const int tile : cells)
    if (!seen[tile]) seen[tile] = true, ++distinct;
  return distinct;
}

}  // namespace

PosterBuildResult BuildPoster(const PosterBuildInputs& inputs, CDibImage& poster,
                              TileOrderShuffle& order, CProgress* progress) {
  SilentProgress silent;
  CProgress& sink = progress ? *progress : silent;
  poster.ReleasePixels();
  try {
    BuildState state;
    if (auto stop = Prepare(state, inputs, poster, order, sink)) return *stop;
    if (auto stop = ReadTiles(state, inputs, sink)) return *stop;
    const auto cells = AssignTilesToCells(state, inputs, order, poster, sink);
    if (!cells || !LayTiles(state, inputs, *cells, poster, sink)) return Stopped();
    PosterBuildResult result;
    result.built = TRUE;
    result.grid = state.grid;
    result.tilesUsed = CountDistinct(*cells, state.tileCount);
    return result;
  } catch (const std::bad_alloc&) {
    return Stopped(res::IDS_NO_MEMORY);
  }
}
