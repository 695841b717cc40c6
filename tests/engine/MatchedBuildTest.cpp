// Builds in matched tile order, through the whole pipeline.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "engine/BuildPoster.h"
#include "formats/BmpWriter.h"
#include "image/Progress.h"
#include "resources/StringTable.h"
#include "support/TestSupport.h"

using test::Bgr;
using test::PixelAt;

namespace {

constexpr int kColours = 6;
constexpr int kCellPx = 20;  // cells of 20 × 20 pixels, 8 across and 6 down
constexpr int kAcross = 8, kDown = 6;

Bgr Shade(int i) {
  return {static_cast<std::uint8_t>(30 + 40 * i), static_cast<std::uint8_t>(200 - 30 * i),
          static_cast<std::uint8_t>(i % 2 ? 40 : 220)};
}

// The shade nearest to a pixel: the resampling of tiles and main image may move a byte or two,
// the shades lie 30 apart.
int NearestShade(Bgr pixel) {
  int best = 0, bestDistance = 1 << 30;
  for (int i = 0; i < kColours; ++i) {
    int distance = 0;
    for (int c = 0; c < 3; ++c) distance += std::abs(pixel[c] - Shade(i)[c]);
    if (distance < bestDistance) best = i, bestDistance = distance;
  }
  return best;
}

// The colour of cell (row, col) of the main image: equal colours never touch, diagonals
// included, and each of the six is used eight times.
int CellColour(int row, int col) { return (row * 3 + col) % kColours; }

// Presses Cancel once the matching stage has set a number of percentages.
class MatchWatcher : public CProgress {
 public:
  std::vector<std::string> stages;
  int cancelAfterMatchPercents = -1;

 protected:
  void ShowStage(const std::string& text) override { stages.push_back(text); }
  void ShowDetail(const std::string&) override {}
  void ShowPercent(int) override {
    if (stages.empty() || stages.back() != res::LoadString(res::IDS_STAGE_MATCH_TILES)) return;
    if (--cancelAfterMatchPercents == 0) SetCancel(TRUE);
  }
};

// A 160 × 120 main image of flat 20-pixel blocks printed at one pixel per dot: with square tiles
// and a custom size of 250 % the grid is 8 × 6 cells of 20 × 20 pixels, one per block.
struct MatchedBuild {
  CDibImage main;
  TileList tiles;
  PosterBuildInputs inputs;
  CDibImage poster;
  TileOrderShuffle order;

  explicit MatchedBuild(int tileCount) {
    test::Fill(main, kAcross * kCellPx, kDown * kCellPx,
               [](int x, int y) { return Shade(CellColour(y / kCellPx, x / kCellPx)); });
    // The tiles in the reverse order of their colours, so that list order is no match.
    for (int i = 0; i < tileCount; ++i) {
      CDibImage tile;
      const Bgr colour = Shade(kColours - 1 - i);
      test::Fill(tile, 12, 12, [&](int, int) { return colour; });
      const std::string path = test::ScratchPath("matched" + std::to_string(i) + ".bmp");
      EXPECT_EQ(WriteBmpFile(tile, test::Target(path), nullptr), SaveResult::kSaved);
      EXPECT_TRUE(tiles.AddFile(path));
    }
    inputs.mainImage = &main;
    inputs.tiles = &tiles;
    inputs.setup.imageWidth = main.GetWidth();
    inputs.setup.imageHeight = main.GetHeight();
    inputs.setup.printSize = {1.0, 0.75};
    inputs.setup.printer.dpiX = inputs.setup.printer.dpiY = 160;
    inputs.setup.params.DPIFraction = DPIFractionCode::Whole;
    inputs.setup.params.TileSize = TileSizePreset::Custom;
    inputs.setup.params.Custom = 250;
    inputs.setup.params.Borders = BorderStyle::NoBorders;
    inputs.setup.params.Emphasis = 7;
    inputs.setup.params.TileOrder = TileOrderMode::Matched;
  }
  PosterBuildResult Build(CProgress* progress = nullptr) {
    return BuildPoster(inputs, poster, order, progress);
  }
  Bgr CellCentre(int row, int col) const {
    return PixelAt(poster, col * kCellPx + kCellPx / 2, row * kCellPx + kCellPx / 2);
  }
};

}  // namespace

TEST(MatchedBuild, FlatBlocksGetTheTilesOfTheirColours) {
  MatchedBuild build(kColours);
  const PosterBuildResult result = build.Build();
  ASSERT_TRUE(result.built);
  ASSERT_EQ(result.grid.tilesAcross, kAcross);
  ASSERT_EQ(result.grid.tilesDown, kDown);
  ASSERT_EQ(result.grid.tileWidth, kCellPx);
  EXPECT_EQ(result.tilesUsed, kColours);
  // Each block holds the tile of its own colour.
  for (int row = 0; row < kDown; ++row)
    for (int col = 0; col < kAcross; ++col)
      EXPECT_EQ(NearestShade(build.CellCentre(row, col)), CellColour(row, col))
          << row << ", " << col;

  // The same inputs give the same poster.
  CDibImage first;
  first.TakePixels(build.poster);
  ASSERT_TRUE(build.Build().built);
  EXPECT_TRUE(test::SamePixels(first, build.poster));

  // In random order the blocks do not get their colours.
  build.inputs.setup.params.TileOrder = TileOrderMode::Random;
  build.inputs.seed = 3;
  ASSERT_TRUE(build.Build().built);
  int matching = 0;
  for (int row = 0; row < kDown; ++row)
    for (int col = 0; col < kAcross; ++col)
      matching += NearestShade(build.CellCentre(row, col)) == CellColour(row, col);
  EXPECT_LT(matching, kAcross * kDown / 2);
}

TEST(MatchedBuild, OneTileStillBuilds) {
  MatchedBuild build(1);
  const PosterBuildResult result = build.Build();
  ASSERT_TRUE(result.built);
  EXPECT_EQ(result.tilesUsed, 1);
  // Every cell holds the one tile (colour 5), blended 7 : 1 with its block.
  const Bgr tile = Shade(kColours - 1);
  for (int row = 0; row < kDown; ++row)
    for (int col = 0; col < kAcross; ++col) {
      const Bgr block = Shade(CellColour(row, col));
      const Bgr pixel = build.CellCentre(row, col);
      for (int c = 0; c < 3; ++c)
        EXPECT_NEAR(pixel[c], (7 * tile[c] + block[c]) / 8, 2) << row << ", " << col;
    }
}

TEST(MatchedBuild, CancelDuringMatchingStopsTheBuildBeforeAnyCellIsLaid) {
  for (const int percents : {1, 3}) {
    MatchedBuild build(kColours);
    MatchWatcher progress;
    progress.cancelAfterMatchPercents = percents;
    EXPECT_FALSE(build.Build(&progress).built);
    ASSERT_FALSE(progress.stages.empty());
    EXPECT_EQ(progress.stages.back(), res::LoadString(res::IDS_STAGE_MATCH_TILES)) << percents;
  }
}
