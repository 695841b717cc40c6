#include "engine/PosterLimits.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>

#include "engine/BuildPoster.h"
#include "formats/BmpWriter.h"
#include "formats/JpegPosterSettings.h"
#include "formats/JpegWriter.h"
#include "resources/StringTable.h"

namespace {

constexpr double kMegabyte = 1024.0 * 1024.0;

// Bytes of a 24-bit picture whose rows are padded to 4 bytes.
double PictureBytes(double width, double height) {
  return std::floor((width * 3 + 3) / 4) * 4 * height;
}

struct PosterSize {
  double width = 0;
  double height = 0;
  TileGrid grid;  // empty when the figures leave the range a grid can be laid out in
};

PosterSize PredictSize(const TileList& tiles, const PosterSetup& setup) {
  const PosterResolution resolution =
      ComputePosterResolution(setup.printSize, setup.printer, setup.params);
  if (const auto average = ComputeAverageTileSize(tiles, setup.params.Rotate)) {
    const TileGrid grid = ComputeGridForAverage(setup.imageWidth, TileSizeFactor(setup.params),
                                                resolution, *average);
    if (grid.tilesAcross > 0 && grid.tilesDown > 0)
      return {static_cast<double>(grid.tilesAcross) * grid.tileWidth,
              static_cast<double>(grid.tilesDown) * grid.tileHeight, grid};
  }
  return {resolution.pixelsWide, resolution.pixelsHigh, {}};
}

double LargestTileBytes(const TileList& tiles) {
  double largest = 0;
  for (int i = 0; i < tiles.GetCount(); ++i)
    if (const auto size = tiles.GetSizeInfo(i))
      largest = std::max(largest, PictureBytes(size->width, size->height));
  return largest;
}

// A side as the format checks take it, held within the int64 range.
std::int64_t Side(double pixels) { return static_cast<std::int64_t>(std::min(pixels, 1e18)); }

bool FormatHolds(PosterFileFormat format, const PosterSize& size) {
  switch (format) {
    case PosterFileFormat::kBmp: return BmpCanHold(Side(size.width), Side(size.height));
    case PosterFileFormat::kJpeg: return JpegCanHold(Side(size.width), Side(size.height));
    case PosterFileFormat::kNone: return true;
  }
  return true;
}

// Whether the build lays a poster of this size straight into its file (see BuildPoster).
bool BuildsIntoFile(const PosterSetup& setup, double posterWidth, double posterHeight) {
  return setup.params.TileOrder != TileOrderMode::Matched && posterWidth >= setup.imageWidth &&
         posterHeight >= setup.imageHeight;
}

struct Limits {
  PosterFileFormat format;
  std::uint64_t memoryBytes;
  bool toFile = false;  // the build may lay the poster straight into its file
  std::string memoryHolder;  // empty: the machine
};

double NeededBytes(const TileList& tiles, const PosterSetup& setup, const Limits& limits) {
  return EstimateBuildBytes(tiles, setup, limits.toFile ? limits.format : PosterFileFormat::kNone,
                            limits.toFile);
}

bool Fits(const TileList& tiles, const PosterSetup& setup, const Limits& limits) {
  return NeededBytes(tiles, setup, limits) <= static_cast<double>(limits.memoryBytes) &&
         FormatHolds(limits.format, PredictSize(tiles, setup));
}

PosterSetup WithWidth(PosterSetup setup, double width) {
  setup.printSize.width = width;
  setup.printSize.height = HeightForWidth(width, setup.imageWidth, setup.imageHeight);
  return setup;
}

// The widest print width in hundredths of an inch below the current one that fits, if any.
std::optional<double> FittingWidth(const TileList& tiles, const PosterSetup& setup,
                                   const Limits& limits) {
  double low = 1, high = std::floor(std::min(setup.printSize.width * 100, 1e15));
  if (!Fits(tiles, WithWidth(setup, low / 100), limits)) return std::nullopt;
  while (high - low > 1) {
    const double middle = std::floor((low + high) / 2);
    (Fits(tiles, WithWidth(setup, middle / 100), limits) ? low : high) = middle;
  }
  return low / 100;
}

// The smallest coarser poster resolution that fits, as its divisor, if any.
std::optional<int> FittingDivisor(const TileList& tiles, const PosterSetup& setup,
                                  const Limits& limits) {
  constexpr std::array kCodes = {DPIFractionCode::Whole, DPIFractionCode::Half,
                                 DPIFractionCode::Third, DPIFractionCode::Quarter,
                                 DPIFractionCode::Eighth, DPIFractionCode::Sixteenth};
  const int current = DPIFractionDivisor(setup.params.DPIFraction);
  for (DPIFractionCode code : kCodes) {
    if (DPIFractionDivisor(code) <= current) continue;
    PosterSetup coarser = setup;
    coarser.params.DPIFraction = code;
    if (Fits(tiles, coarser, limits)) return DPIFractionDivisor(code);
  }
  return std::nullopt;
}

// A whole number with commas between groups of three digits.
std::string Grouped(double value) {
  const std::string digits =
      std::to_string(static_cast<unsigned long long>(std::min(std::max(value, 0.0), 1e19)));
  std::string grouped;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) grouped += ',';
    grouped += digits[i];
  }
  return grouped;
}

std::string Inches(double inches) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f", inches);
  return text;
}

// The sentence that says which limit the poster passes.
std::string LimitSentence(const TileList& tiles, const PosterSetup& setup, const Limits& limits,
                          const PosterSize& size) {
  const std::string w = Grouped(size.width), h = Grouped(size.height);
  const double needed = NeededBytes(tiles, setup, limits);
  if (needed > static_cast<double>(limits.memoryBytes)) {
    const std::string neededMb = Grouped(std::ceil(needed / kMegabyte));
    const std::string availableMb = Grouped(std::floor(limits.memoryBytes / kMegabyte));
    if (!limits.memoryHolder.empty())
      return res::FormatString(res::IDS_POSTER_PAST_PROCESS,
                               {w, h, neededMb, availableMb, limits.memoryHolder});
    return res::FormatString(res::IDS_POSTER_PAST_MEMORY, {w, h, neededMb, availableMb});
  }
  if (limits.format == PosterFileFormat::kJpeg)
    return res::FormatString(res::IDS_POSTER_PAST_JPEG, {w, h});
  return res::FormatString(res::IDS_POSTER_PAST_BMP,
                           {w, h, Grouped(std::ceil(PictureBytes(size.width, size.height) / kMegabyte))});
}

// The settings that would fit; the other format too, where it alone would do.
std::string RemedySentences(const TileList& tiles, const PosterSetup& setup,
                            const Limits& limits) {
  std::string text;
  const auto add = [&text](const std::string& sentence) { text.append(1, ' ').append(sentence); };
  if (const auto width = FittingWidth(tiles, setup, limits))
    add(res::FormatString(res::IDS_FITTING_WIDTH, {Inches(*width)}));
  if (const auto divisor = FittingDivisor(tiles, setup, limits))
    add(res::FormatString(res::IDS_FITTING_FRACTION, {std::to_string(*divisor)}));
  if (limits.format != PosterFileFormat::kNone) {
    const PosterFileFormat other =
        limits.format == PosterFileFormat::kJpeg ? PosterFileFormat::kBmp : PosterFileFormat::kJpeg;
    if (Fits(tiles, setup, {other, limits.memoryBytes, limits.toFile, limits.memoryHolder}))
      add(res::LoadString(other == PosterFileFormat::kJpeg ? res::IDS_FITTING_AS_JPEG
                                                           : res::IDS_FITTING_AS_BMP));
  }
  return text;
}

}  // namespace

double EstimateBuildBytes(const TileList& tiles, const PosterSetup& setup,
                          PosterFileFormat format, bool toFile) {
  const PosterSize size = PredictSize(tiles, setup);
  const TileGrid& g = size.grid;
  const double tileImages = tiles.GetCount() * PictureBytes(g.tileWidth, g.tileHeight);
  double poster = PictureBytes(size.width, size.height);
  // Laid straight into its file, the poster is held a few cell rows at a time, and one row at
  // least however tall its cells.
  if (toFile && g.tileHeight > 0 && BuildsIntoFile(setup, size.width, size.height))
    poster = std::min(poster, std::max(static_cast<double>(kStreamedRowsBytes),
                                       PictureBytes(size.width, g.tileHeight)));
  // What the JPEG library keeps of the picture while it writes the file, laid or saved whole.
  if (toFile && format == PosterFileFormat::kJpeg)
    poster += static_cast<double>(JpegCodingBytes(Side(size.width), Side(size.height)));
  return poster + tileImages +
         PictureBytes(setup.imageWidth, setup.imageHeight) + LargestTileBytes(tiles);
}

PredictedPoster PredictPoster(const TileList& tiles, const PosterSetup& setup) {
  const PosterSize size = PredictSize(tiles, setup);
  return {Side(size.width), Side(size.height), BuildsIntoFile(setup, size.width, size.height)};
}

PosterLimitCheck CheckPosterLimits(const TileList& tiles, const PosterSetup& setup,
                                   PosterFileFormat format, std::uint64_t memoryBytes,
                                   bool toFile, const std::string& memoryHolder) {
  const Limits limits{format, memoryBytes, toFile, memoryHolder};
  if (Fits(tiles, setup, limits)) return {};
  const PosterSize size = PredictSize(tiles, setup);
  return {false, LimitSentence(tiles, setup, limits, size) + RemedySentences(tiles, setup, limits)};
}

