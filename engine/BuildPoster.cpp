#include "engine/BuildPoster.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <new>
#include <optional>
#include <vector>

#include "engine/CellLaying.h"
#include "engine/ColourLayout.h"
#include "engine/ShapedTileCache.h"
#include "engine/TileMatch.h"
#include "engine/TileReading.h"
#include "formats/PosterRowSink.h"
#include "image/Enlargement.h"
#include "image/OrderedWork.h"
#include "image/Progress.h"
#include "image/Resample.h"
#include "resources/StringTable.h"

namespace {

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
  // The previous poster's pixels, taken from the poster as the build starts: a rebuild at the
  // same size makes its poster in them rather than in freshly mapped pages.
  CDibImage previousPoster;
  // The main image enlarged to the poster's size, made cell by cell as the cells are laid;
  // empty when the poster image holds the resampled main image instead.
  std::optional<CEnlargement> mainEnlargement;
  TileImages tileImages;
  TileGrid grid;
  // The poster goes to the row sink band by band and is never held whole.
  bool streamed = false;
  // The poster's print resolution, which its files record so that a print shop opens it at its
  // print size.
  double pixelsPerInch = 0;
  bool landscapeMajority = false;
  int tileCount = 0;
  // Tiles that vanished or could not be read and were left out (see mayPassOver).
  std::vector<std::string> passedOver;
  int threads = 1;
};

// The end of a build whose every tile was passed over.
PosterBuildResult NoTileLeft(BuildState& state) {
  PosterBuildResult none = Stopped(res::IDS_NO_TILE_READ);
  none.passedOverFiles = std::move(state.passedOver);
  return none;
}

// Probes every entry's file again (with a cache, a file whose stamp it knows is not opened) and
// lays the grid out for the entries left; those removed, whose files no longer probe, are added
// to removed.
TileGridResult ReprobeAndComputeGrid(const PosterBuildInputs& inputs,
                                     std::vector<std::string>& removed) {
  ShapedTileCache* cache = inputs.tileCache;
  const LoadOptions options = LoadOptionsFor(inputs.setup.params);
  inputs.tiles->Reprobe(
      [cache, &options](const std::string& path) -> std::optional<TileSizeInfo> {
        const std::optional<FileStamp> stamp = cache ? StampFile(path) : std::nullopt;
        if (!stamp) return ProbeTileSize(path, options);
        if (auto known = cache->FindProbe(path, *stamp, options.turnUpright)) return known;
        const std::optional<TileSizeInfo> size = ProbeTileSize(path, options);
        if (size) cache->KeepProbe(path, *stamp, *size, options.turnUpright);
        return size;
      },
      &removed);
  return ComputeTileGrid(*inputs.tiles, FALSE, inputs.setup);
}

// What reading the tiles takes: load, turn, cut, scale and frame each for the grid.
TileReadRequest TileRequest(const BuildState& state, const PosterBuildInputs& inputs) {
  const PosterParams& params = inputs.setup.params;
  TileReadRequest request;
  request.tiles = inputs.tiles;
  request.shape = MakeTileShape(state.grid, params, state.landscapeMajority);
  request.buttonFrame = params.Borders == BorderStyle::ButtonFrame;
  request.cache = inputs.tileCache;
  request.threads = state.threads;
  request.measureLayouts = params.TileOrder == TileOrderMode::Matched;
  request.mayPassOver = inputs.mayPassOver;
  return request;
}

// The colour layout of the main image under every cell, row by row. Nothing when cancelled.
std::optional<std::vector<ColourLayout>> MeasureCells(const TileGrid& g, const CDibImage& mainImage,
                                                      CProgress& progress) {
  std::vector<ColourLayout> layouts;
  layouts.reserve(static_cast<std::size_t>(g.tilesAcross) * g.tilesDown);
  for (int row = 0; row < g.tilesDown; ++row) {
    if (progress.CheckCancel()) return std::nullopt;
    for (int col = 0; col < g.tilesAcross; ++col)
      layouts.push_back(MeasureLayout(mainImage, col * g.tileWidth, row * g.tileHeight, g.tileWidth,
                                      g.tileHeight));
  }
  return layouts;
}

// The tile index of every cell, row by row from the top, each row from the left: the random and
// sequential orders are consumed in that sequence; the matched order compares each cell's part
// of the resampled main image with the tiles. Nothing when the work was cancelled.
std::optional<std::vector<int>> ChooseCellTiles(const BuildState& state,
                                                const PosterBuildInputs& inputs,
                                                TileOrderShuffle& order,
                                                const CDibImage& resampledMain,
                                                CProgress& progress) {
  const TileOrderMode mode = inputs.setup.params.TileOrder;
  if (mode != TileOrderMode::Matched)
    return AssignTilesToCells(order, mode, state.tileCount, state.grid);
  progress.SetStage(res::IDS_STAGE_MATCH_TILES);
  const auto cellLayouts = MeasureCells(state.grid, resampledMain, progress);
  if (!cellLayouts) return std::nullopt;
  MatchRules rules;
  rules.repeatDistance = inputs.repeatDistance;
  rules.maxUses = inputs.setup.params.MaxUses;
  rules.useAll = inputs.setup.params.UseAll != 0;
  rules.threads = state.threads;
  return MatchTilesToCells(*cellLayouts, state.grid.tilesAcross, state.tileImages.layouts, rules,
                           progress);
}

// The cell rows a streamed poster is laid in: a few more than the threads, so that a thread
// never waits while a row is written, within a budget that keeps the peak memory of a
// wall-sized poster low; a place at least.
int RingPlaces(const TileGrid& g, int threads) {
  const std::size_t rowBytes = (static_cast<std::size_t>(g.tilesAcross) * g.tileWidth * 3 + 3) /
                               4 * 4 * static_cast<std::size_t>(g.tileHeight);
  const int affordable = static_cast<int>(std::min<std::size_t>(kStreamedRowsBytes / rowBytes, 1024));
  return std::max(1, std::min(threads + 2, affordable));
}

// Lays the cells, as LayCells would, straight into the row sink.
LayResult StreamCells(const CellLayout& layout, const BuildState& state,
                      const std::vector<int>& cellTiles, CPosterRowSink& sink,
                      CProgress& progress) {
  const TileGrid& g = state.grid;
  if (!sink.Begin(g.tilesAcross * g.tileWidth, g.tilesDown * g.tileHeight, state.pixelsPerInch))
    return LayResult::kNotHandedOn;
  return LayCellsInRing(layout, state.tileImages.byEntry, cellTiles,
                        RingPlaces(g, state.threads), progress,
                        [&sink](const CDibImage& rows, int first, int count) {
                          return sink.Write(rows, first, count);
                        });
}

// Lays the cells in the order prepared for this build. A failure names the message to show.
std::optional<PosterBuildResult> LayTiles(BuildState& state, const PosterBuildInputs& inputs,
                                          const std::vector<int>& cellTiles, CDibImage& poster,
                                          CProgress& progress) {
  const PosterParams& params = inputs.setup.params;
  progress.SetStage(res::IDS_STAGE_LAY_TILES);
  CellLayout layout;
  layout.grid = state.grid;
  if (state.mainEnlargement) layout.mainEnlargement = &*state.mainEnlargement;
  layout.tileWeight = static_cast<unsigned>(params.Emphasis);
  layout.singleLine = params.Borders == BorderStyle::SingleLine;
  layout.threads = state.threads;
  const LayResult laid =
      state.streamed
          ? StreamCells(layout, state, cellTiles, *inputs.rowSink, progress)
          : LayCells(layout, state.tileImages.byEntry, cellTiles, poster, progress, inputs.onRowsFinal);
  switch (laid) {
    case LayResult::kLaid:
      return std::nullopt;
    case LayResult::kNoMemory:
      return Stopped(res::IDS_NO_MEMORY);
    case LayResult::kCancelled:
    case LayResult::kNotHandedOn:  // the sink knows why
      break;
  }
  return Stopped();
}

// Whether the main image is enlarged both ways and can be made cell by cell as the cells are
// laid. The matched order measures the cells first, so it needs the whole resampled image.
bool EnlargesCellByCell(const PosterBuildInputs& inputs, int posterWidth, int posterHeight) {
  const CDibImage& mainImage = *inputs.mainImage;
  return inputs.setup.params.TileOrder != TileOrderMode::Matched && mainImage.Is24Bit() &&
         posterWidth >= mainImage.GetWidth() && posterHeight >= mainImage.GetHeight();
}

// Steps from the tile order to the poster image; a result when the build must stop.
std::optional<PosterBuildResult> Prepare(BuildState& state, const PosterBuildInputs& inputs,
                                         CDibImage& poster, TileOrderShuffle& order,
                                         CProgress& progress) {
  const int startCount = inputs.tiles->GetCount();
  if (startCount < 1) return Stopped();
  if (!order.Prepare(startCount, inputs.seed)) return Stopped(res::IDS_NO_MEMORY);

  progress.SetStage(res::IDS_STAGE_ALLOC_TILES);
  state.tileImages.byEntry.reserve(static_cast<std::size_t>(startCount));

  progress.SetStage(res::IDS_STAGE_TILE_SIZES);
  std::vector<std::string> removed;
  const TileGridResult gridResult = ReprobeAndComputeGrid(inputs, removed);
  for (std::string& path : removed)
    if (inputs.mayPassOver && inputs.mayPassOver(path)) state.passedOver.push_back(std::move(path));
  if (!gridResult.success) return state.passedOver.empty() ? Stopped() : NoTileLeft(state);
  state.grid = gridResult.grid;
  state.landscapeMajority = gridResult.average.landscapeMajority;
  state.tileCount = inputs.tiles->GetCount();
  if (IsPosterTooSmall(state.grid, inputs.setup.params.Borders))
    return Stopped(res::IDS_POSTER_TOO_SMALL);
  // Entries removed by the reprobe must never be drawn: the order covers the survivors only.
  if (state.tileCount < startCount && !order.Prepare(state.tileCount, inputs.seed))
    return Stopped(res::IDS_NO_MEMORY);

  progress.SetStage(res::IDS_STAGE_CREATE_POSTER);
  const TileGrid& g = state.grid;
  const std::int64_t posterWidth = static_cast<std::int64_t>(g.tilesAcross) * g.tileWidth;
  const std::int64_t posterHeight = static_cast<std::int64_t>(g.tilesDown) * g.tileHeight;
  if (posterWidth > INT32_MAX || posterHeight > INT32_MAX) return Stopped(res::IDS_NO_MEMORY);
  const int width = static_cast<int>(posterWidth), height = static_cast<int>(posterHeight);
  state.pixelsPerInch = inputs.setup.printer.dpiX / PosterPrintScale(inputs.setup.params);
  if (inputs.rowSink != nullptr && EnlargesCellByCell(inputs, width, height)) {
    state.streamed = true;
    state.previousPoster.ReleasePixels();
    return std::nullopt;
  }
  // A kept block of the poster's size is reused as it stands: the resampling into the poster
  // clears it first, and the cells laid over an enlargement write every pixel.
  if (state.previousPoster.Is24Bit() && state.previousPoster.GetWidth() == width &&
      state.previousPoster.GetHeight() == height) {
    poster.TakePixels(state.previousPoster);
  } else {
    state.previousPoster.ReleasePixels();
    if (!poster.Create(width, height, TRUE)) return Stopped(res::IDS_NO_MEMORY);
  }
  poster.SetPixelsPerInch(state.pixelsPerInch);

  return std::nullopt;
}

// The main image at the poster's size. Enlarged both ways, it is made cell by cell as each cell
// is blended, so the poster is written once rather than three times (cleared, resampled, laid).
// Otherwise it is resampled into the poster image itself: every cell then blends the main
// image's pixels under it and overwrites them, each pixel read once before it is written. Both
// give the bytes of a separate resampled copy without a second poster-sized image.
std::optional<PosterBuildResult> ResampleMain(BuildState& state, const PosterBuildInputs& inputs,
                                              CDibImage& poster, CProgress& progress) {
  progress.SetStage(res::IDS_STAGE_RESAMPLE_MAIN);
  const int width = state.grid.tilesAcross * state.grid.tileWidth;
  const int height = state.grid.tilesDown * state.grid.tileHeight;
  if (EnlargesCellByCell(inputs, width, height)) {
    progress.SetDetail(res::IDS_PREPARING_RESAMPLE);
    state.mainEnlargement.emplace(*inputs.mainImage, width, height);
    if (!state.mainEnlargement->HasMemory()) return Stopped(res::IDS_NO_MEMORY);
    return std::nullopt;
  }
  poster.SetProgress(&progress);
  const BOOL resampled = ResampleFrom(poster, poster.GetWidth(), poster.GetHeight(),
                                      *inputs.mainImage, 0, state.threads);
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

// Takes the tiles that could not be read out of the list and out of the order before any cell
// is given one: the grid, laid out with them, stays as it is. A result when no tile is left.
std::optional<PosterBuildResult> LeaveOutPassedOver(BuildState& state,
                                                    const PosterBuildInputs& inputs,
                                                    TileOrderShuffle& order) {
  TileImages& images = state.tileImages;
  if (images.passedOverEntries.empty()) return std::nullopt;
  state.passedOver.insert(state.passedOver.end(), images.passedOverFiles.begin(),
                          images.passedOverFiles.end());
  state.tileCount = RemovePassedOver(images, *inputs.tiles);
  if (state.tileCount < 1) return NoTileLeft(state);
  if (!order.Prepare(state.tileCount, inputs.seed)) return Stopped(res::IDS_NO_MEMORY);
  return std::nullopt;
}

// Every step of the build, in order; state tells afterwards how far it came.
PosterBuildResult Build(BuildState& state, const PosterBuildInputs& inputs, CDibImage& poster,
                        TileOrderShuffle& order, CProgress& sink) {
  try {
    state.previousPoster.TakePixels(poster);
    state.threads = COrderedWork::ThreadsFor(inputs.threads);
    if (auto stop = Prepare(state, inputs, poster, order, sink)) return *stop;
    // The tiles are read on the helper threads while the main image is resampled.
    CTileReading reading(TileRequest(state, inputs));
    if (auto stop = ResampleMain(state, inputs, poster, sink)) return *stop;
    sink.SetStage(res::IDS_STAGE_READ_TILES);
    if (auto stop = reading.Collect(sink, state.tileImages)) return *stop;
    if (auto stop = LeaveOutPassedOver(state, inputs, order)) return *stop;
    const auto cells = ChooseCellTiles(state, inputs, order, poster, sink);
    if (!cells) return Stopped();
    if (auto stop = LayTiles(state, inputs, *cells, poster, sink)) return *stop;
    PosterBuildResult result;
    result.built = TRUE;
    result.grid = state.grid;
    result.incompleteFiles = std::move(state.tileImages.incompleteFiles);
    result.filesDecoded = state.tileImages.filesDecoded;
    result.tilesUsed = CountDistinct(*cells, state.tileCount);
    result.cellTiles = std::move(*cells);
    result.passedOverFiles = std::move(state.passedOver);
    return result;
  } catch (const std::bad_alloc&) {
    return Stopped(res::IDS_NO_MEMORY);
  }
}

}  // namespace

PosterBuildResult BuildPoster(const PosterBuildInputs& inputs, CDibImage& poster,
                              TileOrderShuffle& order, CProgress* progress) {
  SilentProgress silent;
  CProgress& sink = progress ? *progress : silent;
  if (inputs.tileCache) inputs.tileCache->BeginBuild();
  BuildState state;
  PosterBuildResult result = Build(state, inputs, poster, order, sink);
  result.streamed = state.streamed;
  return result;
}
