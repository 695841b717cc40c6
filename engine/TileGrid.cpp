#include "engine/TileGrid.h"

#include <cmath>
#include <cstdint>
#include <limits>

namespace {

// trunc(value) as an int; nothing when it is not a number or does not fit. The lowest int is
// left out so that a side can always be lessened by one.
std::optional<int> TruncToInt(double value) {
  const double whole = std::trunc(value);
  if (!(whole > std::numeric_limits<int>::min() && whole <= std::numeric_limits<int>::max()))
    return std::nullopt;
  return static_cast<int>(whole);
}

bool HasMainImage(const PosterSetup& setup) {
  return setup.imageWidth >= 1 && setup.imageHeight >= 1;
}

}  // namespace

std::optional<AverageTileSize> ComputeAverageTileSize(const TileList& tiles, BOOL rotate) {
  std::int64_t sumA = 0, sumB = 0;  // with rotate: long sides and short sides
  int counted = 0, landscape = 0;
  for (int i = 0; i < tiles.GetCount(); ++i) {
    const std::optional<TileSizeInfo> size = tiles.GetSizeInfo(i);
    if (!size) continue;
    ++counted;
    if (rotate && size->width < size->height) {
      sumA += size->height;
      sumB += size->width;
    } else {
      sumA += size->width;
      sumB += size->height;
      if (rotate) ++landscape;
    }
  }
  if (counted == 0) return std::nullopt;
  const int avgA = static_cast<int>(sumA / counted);
  const int avgB = static_cast<int>(sumB / counted);
  if (!rotate) return AverageTileSize{avgA, avgB, false};
  // Ties go to portrait.
  if (landscape > counted / 2) return AverageTileSize{avgA, avgB, true};
  return AverageTileSize{avgB, avgA, false};
}

TileGrid ComputeGridForAverage(int imageWidth, double tileSizeFactor,
                               const PosterResolution& resolution,
                               const AverageTileSize& average) {
  if (imageWidth < 1 || average.width < 1 || average.height < 1) return {};
  // Written as imageWidth / sqrt(imageWidth × g), not sqrt(imageWidth / g): the two can
  // truncate to different counts.
  const std::optional<int> tilesAcross =
      TruncToInt(imageWidth / std::sqrt(imageWidth * tileSizeFactor));
  if (!tilesAcross || *tilesAcross < 1) return {};
  const double tileWidthReal = resolution.pixelsWide / *tilesAcross;
  const double tileHeightReal = tileWidthReal * average.height / average.width;
  const std::optional<int> tileWidth = TruncToInt(tileWidthReal + 0.5);
  const std::optional<int> tileHeight = TruncToInt(tileHeightReal + 0.5);
  if (!tileWidth || !tileHeight || *tileHeight < 1) return {};
  const std::optional<int> tilesDown = TruncToInt(resolution.pixelsHigh / *tileHeight);
  if (!tilesDown) return {};
  return TileGrid{*tilesAcross, *tilesDown, *tileWidth, *tileHeight};
}

TileGridResult ComputeTileGrid(TileList& tiles, BOOL reprobe, const PosterSetup& setup) {
  TileGridResult result;
  if (tiles.GetCount() == 0) return result;
  result.printScale = PosterPrintScale(setup.params);
  if (reprobe) tiles.Reprobe(LoadOptionsFor(setup.params));
  const std::optional<AverageTileSize> average =
      ComputeAverageTileSize(tiles, setup.params.Rotate);
  if (!average) return result;
  result.success = TRUE;
  result.average = *average;
  if (!HasMainImage(setup)) {
    result.grid = TileGrid{0, 0, average->width, average->height};
    return result;
  }
  const PosterResolution resolution =
      ComputePosterResolution(setup.printSize, setup.printer, setup.params);
  result.grid = ComputeGridForAverage(setup.imageWidth, TileSizeFactor(setup.params), resolution,
                                      *average);
  return result;
}

TileImageSize GetTileImageSize(const TileGrid& grid, BorderStyle borders) {
  if (borders == BorderStyle::SingleLine) return {grid.tileWidth - 1, grid.tileHeight - 1};
  return {grid.tileWidth, grid.tileHeight};
}

BOOL IsPosterTooSmall(const TileGrid& grid, BorderStyle borders) {
  const TileImageSize tileImage = GetTileImageSize(grid, borders);
  const std::int64_t posterWidth = std::int64_t{grid.tilesAcross} * grid.tileWidth;
  const std::int64_t posterHeight = std::int64_t{grid.tilesDown} * grid.tileHeight;
  return tileImage.width <= 0 || tileImage.height <= 0 || posterWidth <= 0 ||
         posterHeight <= 0 || grid.tilesAcross <= 0 || grid.tilesDown <= 0;
}
