#include "engine/TileGrid.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "TileFiles.h"

namespace {

using Sizes = std::vector<std::pair<int, int>>;

// A list of tile files with the given sizes, named prefix0.bmp, prefix1.bmp, ...
TileList MakeList(const std::string& prefix, const Sizes& sizes) {
  TileList list;
  for (std::size_t i = 0; i < sizes.size(); ++i) {
    const std::string name = prefix + std::to_string(i) + ".bmp";
    EXPECT_TRUE(list.AddFile(test::MakeTileFile(name, sizes[i].first, sizes[i].second)));
  }
  return list;
}

// The 640 × 480 main image printed 10 inches wide on the 600 dpi stand-in printer.
PosterSetup Setup640(TileSizePreset preset = TileSizePreset::Medium, unsigned custom = 100) {
  PosterSetup setup;
  setup.params.TileSize = preset;
  setup.params.Custom = custom;
  setup.imageWidth = 640;
  setup.imageHeight = 480;
  setup.printSize = {10.0, 7.5};
  return setup;
}

void ExpectGrid(const TileGrid& grid, int across, int down, int width, int height) {
  EXPECT_EQ(grid.tilesAcross, across);
  EXPECT_EQ(grid.tilesDown, down);
  EXPECT_EQ(grid.tileWidth, width);
  EXPECT_EQ(grid.tileHeight, height);
}

TEST(TileGridTest, MediumTilesOnA640By480Image) {
  // Two landscape tiles averaging 640 × 480.
  TileList list = MakeList("avg", {{600, 500}, {680, 460}});
  const PosterSetup setup = Setup640();
  const TileGridResult result = ComputeTileGrid(list, TRUE, setup);
  ASSERT_TRUE(result.success);
  EXPECT_EQ(result.average.width, 640);
  EXPECT_EQ(result.average.height, 480);
  EXPECT_TRUE(result.average.landscapeMajority);
  ExpectGrid(result.grid, 44, 43, 34, 26);
  EXPECT_EQ(result.grid.tilesAcross * result.grid.tileWidth, 1496);
  EXPECT_EQ(result.grid.tilesDown * result.grid.tileHeight, 1118);
  ASSERT_TRUE(result.printScale.has_value());
  EXPECT_EQ(*result.printScale, 4.0);
  EXPECT_FALSE(IsPosterTooSmall(result.grid, BorderStyle::SingleLine));
}

TEST(TileGridTest, TilesAcrossFollowTheSizePresetOnly) {
  const AverageTileSize average{640, 480, false};
  const PosterResolution resolution{1500.0, 1125.0};
  const auto across = [&](TileSizePreset preset, unsigned custom) {
    const PosterSetup setup = Setup640(preset, custom);
    return ComputeGridForAverage(640, TileSizeFactor(setup.params), resolution, average)
        .tilesAcross;
  };
  EXPECT_EQ(across(TileSizePreset::Small, 100), 80);
  EXPECT_EQ(across(TileSizePreset::Medium, 100), 44);
  EXPECT_EQ(across(TileSizePreset::Large, 100), 31);
  EXPECT_EQ(across(TileSizePreset::Custom, 100), 25);
  EXPECT_EQ(across(TileSizePreset::Custom, 500), 11);
  // The print size changes the tile size, not the count.
  const TileGrid wide = ComputeGridForAverage(640, 0.33, {3000.0, 2250.0}, average);
  ExpectGrid(wide, 44, 44, 68, 51);
}

TEST(TileGridTest, WithoutAMainImageTheTileSizeIsTheAverage) {
  TileList list = MakeList("nomain", {{30, 20}, {50, 41}});
  PosterSetup setup = Setup640();
  setup.imageWidth = 0;
  setup.imageHeight = 0;
  setup.params.Rotate = 0;
  const TileGridResult result = ComputeTileGrid(list, FALSE, setup);
  ASSERT_TRUE(result.success);
  ExpectGrid(result.grid, 0, 0, 40, 30);
  EXPECT_TRUE(IsPosterTooSmall(result.grid, BorderStyle::NoBorders));
}

TEST(TileGridTest, RotateTurnsTheAverageToTheMajorityOrientation) {
  // Portrait sizes first: 10 × 30, 20 × 40, 30 × 50; landscape 60 × 20, 80 × 40.
  const Sizes threePortraitTwoLandscape = {{10, 30}, {20, 40}, {30, 50}, {60, 20}, {80, 40}};
  TileList list = MakeList("maj", threePortraitTwoLandscape);
  auto average = ComputeAverageTileSize(list, TRUE);
  ASSERT_TRUE(average.has_value());
  // Long sides 30+40+50+60+80 = 260, short sides 10+20+30+20+40 = 120: portrait wins.
  EXPECT_EQ(average->width, 24);
  EXPECT_EQ(average->height, 52);
  EXPECT_FALSE(average->landscapeMajority);

  average = ComputeAverageTileSize(list, FALSE);
  ASSERT_TRUE(average.has_value());
  EXPECT_EQ(average->width, 40);   // 200 / 5
  EXPECT_EQ(average->height, 36);  // 180 / 5
  EXPECT_FALSE(average->landscapeMajority);

  // Two and two: a tie goes to portrait. A square tile counts as landscape.
  TileList tie = MakeList("tie", {{10, 30}, {20, 40}, {60, 20}, {80, 40}});
  average = ComputeAverageTileSize(tie, TRUE);
  EXPECT_EQ(average->width, 22);   // (10+20+20+40) / 4, integer division
  EXPECT_EQ(average->height, 52);  // (30+40+60+80) / 4
  EXPECT_FALSE(average->landscapeMajority);

  TileList squares = MakeList("sq", {{10, 30}, {20, 20}, {60, 20}});
  average = ComputeAverageTileSize(squares, TRUE);
  EXPECT_EQ(average->width, 36);   // (30+20+60) / 3
  EXPECT_EQ(average->height, 16);  // (10+20+20) / 3
  EXPECT_TRUE(average->landscapeMajority);
}

TEST(TileGridTest, EntriesWithoutRecordsAreNotCountedUnlessReprobed) {
  TileList list = MakeList("norec", {{8, 6}, {12, 10}});
  list.ReleaseAllSizeInfo();
  const PosterSetup setup = Setup640();
  const TileGridResult stored = ComputeTileGrid(list, FALSE, setup);
  EXPECT_FALSE(stored.success);
  ASSERT_TRUE(stored.printScale.has_value());  // the list was not empty
  EXPECT_EQ(list.GetCount(), 2);

  const TileGridResult reprobed = ComputeTileGrid(list, TRUE, setup);
  ASSERT_TRUE(reprobed.success);
  EXPECT_EQ(reprobed.average.width, 10);
  EXPECT_EQ(reprobed.average.height, 8);
}

TEST(TileGridTest, ReprobeRemovesEntriesWhoseFilesAreGone) {
  TileList list = MakeList("gone", {{8, 6}, {12, 10}, {16, 12}});
  std::remove(list.GetText(1).c_str());
  PosterSetup setup = Setup640();
  setup.params.DPIFraction = DPIFractionCode::Eighth;
  const TileGridResult result = ComputeTileGrid(list, TRUE, setup);
  ASSERT_TRUE(result.success);
  EXPECT_EQ(list.GetCount(), 2);
  EXPECT_EQ(result.average.width, 12);
  EXPECT_EQ(*result.printScale, 8.0);

  std::remove(list.GetText(0).c_str());
  std::remove(list.GetText(1).c_str());
  EXPECT_FALSE(ComputeTileGrid(list, TRUE, setup).success);
  EXPECT_EQ(list.GetCount(), 0);

  const TileGridResult empty = ComputeTileGrid(list, TRUE, setup);
  EXPECT_FALSE(empty.success);
  EXPECT_FALSE(empty.printScale.has_value());
}

TEST(TileGridTest, UnusableFiguresGiveAnEmptyGrid) {
  const AverageTileSize average{640, 480, false};
  // Print size so small that the tile height rounds to 0, or no print size at all.
  ExpectGrid(ComputeGridForAverage(640, 0.33, {1.5, 1.1}, average), 0, 0, 0, 0);
  ExpectGrid(ComputeGridForAverage(640, 0.33, {0.0, 0.0}, average), 0, 0, 0, 0);
  // An average with no width or no height.
  ExpectGrid(ComputeGridForAverage(640, 0.33, {1500.0, 1125.0}, {0, 0, false}), 0, 0, 0, 0);
  ExpectGrid(ComputeGridForAverage(640, 0.33, {1500.0, 1125.0}, {5, 0, false}), 0, 0, 0, 0);
  // A zero or negative size factor.
  ExpectGrid(ComputeGridForAverage(640, 0.0, {1500.0, 1125.0}, average), 0, 0, 0, 0);
  ExpectGrid(ComputeGridForAverage(640, -1.0, {1500.0, 1125.0}, average), 0, 0, 0, 0);
  // A factor so large that not one tile fits across.
  ExpectGrid(ComputeGridForAverage(640, 1000.0, {1500.0, 1125.0}, average), 0, 0, 0, 0);
  // Poster sizes that are not numbers or do not fit an int.
  constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
  ExpectGrid(ComputeGridForAverage(640, 0.33, {kNaN, kNaN}, average), 0, 0, 0, 0);
  ExpectGrid(ComputeGridForAverage(640, 0.33, {1500.0, kNaN}, average), 0, 0, 0, 0);
  ExpectGrid(ComputeGridForAverage(640, 0.33, {1e300, 1e300}, average), 0, 0, 0, 0);
}

TEST(TileGridTest, NegativePrintSizesLeaveAGridTheTooSmallTestRefuses) {
  const TileGrid grid = ComputeGridForAverage(640, 0.33, {-1500.0, -1125.0}, {640, 480, false});
  EXPECT_TRUE(IsPosterTooSmall(grid, BorderStyle::NoBorders));
}

TEST(TileGridTest, SingleLineTilesAreOnePixelSmallerThanTheCell) {
  const TileGrid grid{3, 2, 10, 8};
  const TileImageSize line = GetTileImageSize(grid, BorderStyle::SingleLine);
  EXPECT_EQ(line.width, 9);
  EXPECT_EQ(line.height, 7);
  const TileImageSize frame = GetTileImageSize(grid, BorderStyle::ButtonFrame);
  EXPECT_EQ(frame.width, 10);
  EXPECT_EQ(frame.height, 8);
  const TileImageSize none = GetTileImageSize(grid, BorderStyle::NoBorders);
  EXPECT_EQ(none.width, 10);
  EXPECT_EQ(none.height, 8);
}

TEST(TileGridTest, TooSmallWhenAnyFigureLeavesNothingToDraw) {
  EXPECT_FALSE(IsPosterTooSmall({3, 2, 10, 8}, BorderStyle::SingleLine));
  EXPECT_FALSE(IsPosterTooSmall({1, 1, 1, 1}, BorderStyle::NoBorders));
  // A one-pixel cell leaves no tile image with a single line.
  EXPECT_TRUE(IsPosterTooSmall({1, 1, 1, 1}, BorderStyle::SingleLine));
  EXPECT_TRUE(IsPosterTooSmall({1, 1, 2, 1}, BorderStyle::SingleLine));
  EXPECT_TRUE(IsPosterTooSmall({3, 0, 10, 8}, BorderStyle::NoBorders));
  EXPECT_TRUE(IsPosterTooSmall({0, 2, 10, 8}, BorderStyle::NoBorders));
  EXPECT_TRUE(IsPosterTooSmall({3, 2, 0, 8}, BorderStyle::ButtonFrame));
  EXPECT_TRUE(IsPosterTooSmall({3, 2, 10, -1}, BorderStyle::ButtonFrame));
  // The poster's pixel size is computed without overflow.
  constexpr int kMax = std::numeric_limits<int>::max();
  EXPECT_FALSE(IsPosterTooSmall({kMax, kMax, kMax, kMax}, BorderStyle::NoBorders));
}

}  // namespace
