#include "engine/BuildPoster.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <set>

#include "TileFiles.h"
#include "formats/BmpWriter.h"
#include "image/Progress.h"
#include "image/Resample.h"
#include "resources/StringTable.h"
#include "support/TestSupport.h"

using test::Bgr;
using test::PixelAt;

namespace {

// Records the stages and details, and presses Cancel at a chosen moment.
class ScriptedProgress : public CProgress {
 public:
  std::vector<std::string> stages;
  std::vector<std::string> details;
  std::string cancelOnDetail;  // presses Cancel when a detail text starting with this shows
  int percentsSeen = 0;
  int cancelAfterPercents = -1;

 protected:
  void ShowStage(const std::string& text) override { stages.push_back(text); }
  void ShowDetail(const std::string& text) override {
    if (text.empty()) return;
    details.push_back(text);
    if (!cancelOnDetail.empty() && text.rfind(cancelOnDetail, 0) == 0) SetCancel(TRUE);
  }
  void ShowPercent(int) override {
    if (++percentsSeen == cancelAfterPercents) SetCancel(TRUE);
  }
};

// A tile file of one colour.
std::string SolidTile(const std::string& name, int w, int h, Bgr color) {
  CDibImage image;
  test::Fill(image, w, h, [&](int, int) { return color; });
  const std::string path = test::ScratchPath(name);
  EXPECT_EQ(WriteBmpFile(image, test::Target(path), nullptr), SaveResult::kSaved);
  return path;
}

// A main image of 40 × 32 pixels printed at 1 inch on a 160 dpi printer at the full
// resolution: a poster of 160 × 128 pixels before the grid rounds it.
struct Fixture {
  CDibImage main;
  TileList tiles;
  PosterBuildInputs inputs;
  CDibImage poster;
  TileOrderShuffle order;

  Fixture() {
    test::Fill(main, 40, 32, [](int x, int y) {
      return Bgr{static_cast<std::uint8_t>(6 * x), static_cast<std::uint8_t>(8 * y), 128};
    });
    inputs.mainImage = &main;
    inputs.tiles = &tiles;
    inputs.setup.imageWidth = 40;
    inputs.setup.imageHeight = 32;
    inputs.setup.printSize = {1.0, 0.8};
    inputs.setup.printer.dpiX = inputs.setup.printer.dpiY = 160;
    inputs.setup.params.DPIFraction = DPIFractionCode::Whole;
    inputs.setup.params.TileSize = TileSizePreset::Large;
    inputs.seed = 7;
  }
  PosterBuildResult Build(CProgress* progress = nullptr) {
    return BuildPoster(inputs, poster, order, progress);
  }
};

}  // namespace

TEST(BuildPoster, OneEntrySequentialFillsEveryCellWithTheSameTile) {
  Fixture f;
  // Larger than a cell, so the tile is box-averaged and keeps its exact colour.
  ASSERT_TRUE(f.tiles.AddFile(SolidTile("one.bmp", 64, 48, {200, 100, 50})));
  f.inputs.setup.params.TileOrder = TileOrderMode::Sequential;
  f.inputs.setup.params.Borders = BorderStyle::NoBorders;
  f.inputs.setup.params.Emphasis = 7;
  const PosterBuildResult r = f.Build();
  ASSERT_TRUE(r.built);
  ASSERT_GT(r.grid.tilesAcross, 1);
  ASSERT_GT(r.grid.tilesDown, 1);
  EXPECT_EQ(f.poster.GetWidth(), r.grid.tilesAcross * r.grid.tileWidth);
  EXPECT_EQ(f.poster.GetHeight(), r.grid.tilesDown * r.grid.tileHeight);
  // Every cell is 7/8 tile and 1/8 main image, whose red byte is 128 (124 to 128 after the
  // interpolation's truncations): the red byte is the same everywhere.
  for (int y = 0; y < f.poster.GetHeight(); y += 5)
    for (int x = 0; x < f.poster.GetWidth(); x += 5) {
      const Bgr p = PixelAt(f.poster, x, y);
      EXPECT_GE(p[0], 175);
      EXPECT_EQ(p[2], (7 * 50 + 128) / 8) << x << "," << y;
    }
}

TEST(BuildPoster, SingleLineTilesAreOnePixelSmallerThanTheCell) {
  Fixture f;
  ASSERT_TRUE(f.tiles.AddFile(SolidTile("white.bmp", 10, 8, {255, 255, 255})));
  f.inputs.setup.params.TileOrder = TileOrderMode::Sequential;
  f.inputs.setup.params.Borders = BorderStyle::SingleLine;
  f.inputs.setup.params.Emphasis = 4;
  f.inputs.setup.params.Crop = 0;
  const PosterBuildResult r = f.Build();
  ASSERT_TRUE(r.built);
  const int w = r.grid.tileWidth, h = r.grid.tileHeight;
  // The cell's last column and bottom row are the line: black at first, blended each cell. In
  // the first cell the line is half the main image's value.
  CDibImage resampled;
  ASSERT_TRUE(ResampleFrom(resampled, f.poster.GetWidth(), f.poster.GetHeight(), f.main, 0));
  const Bgr mainAt = PixelAt(resampled, w - 1, 0);
  const Bgr line = PixelAt(f.poster, w - 1, 0);
  for (int c = 0; c < 3; ++c) EXPECT_EQ(line[c], mainAt[c] * 4 / 8);
  // Inside the cell the white tile shows through the blend.
  EXPECT_GE(PixelAt(f.poster, w - 2, h - 2)[1], 127);
}

TEST(BuildPoster, ADamagedTileStopsTheBuildWithItsPath) {
  Fixture f;
  ASSERT_TRUE(f.tiles.AddFile(SolidTile("a-good.bmp", 16, 12, {1, 2, 3})));
  const std::string damaged = SolidTile("b-damaged.bmp", 16, 12, {4, 5, 6});
  ASSERT_TRUE(f.tiles.AddFile(damaged));
  ASSERT_TRUE(f.tiles.AddFile(SolidTile("c-after.bmp", 16, 12, {7, 8, 9})));
  // Keep the header (the probe still passes) but make the pixels unreadable as a 16-bit file.
  test::Bytes bytes = test::ReadFile(damaged);
  bytes[28] = 16;
  test::WriteFile(damaged, bytes);
  ScriptedProgress progress;
  const PosterBuildResult r = f.Build(&progress);
  EXPECT_FALSE(r.built);
  EXPECT_EQ(r.messageId, static_cast<unsigned>(res::IDS_TILE_OPEN_ERROR));
  EXPECT_EQ(r.messageArg, damaged);
  // The tile after it is never read.
  for (const std::string& d : progress.details) EXPECT_EQ(d.find("c-after"), std::string::npos);
}

TEST(BuildPoster, DeletedFilesAreRemovedAndNeverDrawn) {
  Fixture f;
  const std::string gone = SolidTile("gone.bmp", 16, 12, {0, 0, 255});
  ASSERT_TRUE(f.tiles.AddFile(SolidTile("kept1.bmp", 16, 12, {0, 255, 0})));
  ASSERT_TRUE(f.tiles.AddFile(gone));
  ASSERT_TRUE(f.tiles.AddFile(SolidTile("kept2.bmp", 16, 12, {255, 0, 0})));
  std::remove(gone.c_str());
  f.inputs.setup.params.Borders = BorderStyle::NoBorders;
  f.inputs.setup.params.Emphasis = 7;
  const PosterBuildResult r = f.Build();
  ASSERT_TRUE(r.built);
  EXPECT_EQ(f.tiles.GetCount(), 2);
  // The random order covers the two survivors only: no cell shows the deleted tile's red.
  for (int y = 1; y < f.poster.GetHeight(); y += r.grid.tileHeight)
    for (int x = 1; x < f.poster.GetWidth(); x += r.grid.tileWidth)
      EXPECT_LT(PixelAt(f.poster, x, y)[2], 200) << x << "," << y;
}

TEST(BuildPoster, AListOfDeletedFilesEndsQuietlyNotBuilt) {
  Fixture f;
  for (const char* name : {"x1.bmp", "x2.bmp"}) {
    const std::string path = SolidTile(name, 8, 8, {9, 9, 9});
    ASSERT_TRUE(f.tiles.AddFile(path));
    std::remove(path.c_str());
  }
  const PosterBuildResult r = f.Build();
  EXPECT_FALSE(r.built);
  EXPECT_EQ(r.messageId, 0u);
  EXPECT_EQ(f.tiles.GetCount(), 0);
  EXPECT_FALSE(f.Build().built);  // an empty list does nothing at all
}

TEST(BuildPoster, TilesThatMayBePassedOverAreLeftOutOfEveryOrderWhenUnreadable) {
  for (const TileOrderMode mode : {TileOrderMode::Random, TileOrderMode::Matched}) {
    Fixture f;
    f.inputs.setup.params.TileOrder = mode;
    f.inputs.mayPassOver = [](const std::string&) { return true; };
    const std::string gone = SolidTile("pass-gone.bmp", 16, 12, {0, 0, 250});
    const std::string damaged = SolidTile("pass-damaged.bmp", 16, 12, {0, 0, 255});
    for (const std::string& path : {SolidTile("pass-kept1.bmp", 16, 12, {0, 9, 0}), gone, damaged,
                                    SolidTile("pass-kept2.bmp", 16, 12, {9, 0, 0})})
      ASSERT_TRUE(f.tiles.AddFile(path));
    // Vanished before the build looks again, or unreadable (a 16-bit header) once it reads.
    std::remove(gone.c_str());
    test::Bytes bytes = test::ReadFile(damaged);
    bytes[28] = 16;
    test::WriteFile(damaged, bytes);
    const PosterBuildResult r = f.Build();
    ASSERT_TRUE(r.built) << r.messageId;
    EXPECT_EQ(r.passedOverFiles, (std::vector<std::string>{gone, damaged}));
    EXPECT_EQ(f.tiles.GetCount(), 2);
    for (const int tile : r.cellTiles) ASSERT_TRUE(tile == 0 || tile == 1) << tile;
  }
  // With nothing left to lay, the build says why.
  Fixture f;
  f.inputs.mayPassOver = [](const std::string&) { return true; };
  const std::string damaged = SolidTile("only-damaged.bmp", 16, 12, {1, 1, 1});
  ASSERT_TRUE(f.tiles.AddFile(damaged));
  test::Bytes bytes = test::ReadFile(damaged);
  bytes[28] = 16;
  test::WriteFile(damaged, bytes);
  const PosterBuildResult r = f.Build();
  EXPECT_FALSE(r.built);
  EXPECT_EQ(r.messageId, static_cast<unsigned>(res::IDS_NO_TILE_READ));
  EXPECT_EQ(r.passedOverFiles, std::vector<std::string>{damaged});
}

TEST(BuildPoster, TooSmallAPosterIsReported) {
  Fixture f;
  ASSERT_TRUE(f.tiles.AddFile(SolidTile("t.bmp", 8, 8, {9, 9, 9})));
  f.inputs.setup.printSize = {0.01, 0.01};
  const PosterBuildResult r = f.Build();
  EXPECT_FALSE(r.built);
  EXPECT_EQ(r.messageId, static_cast<unsigned>(res::IDS_POSTER_TOO_SMALL));
}

TEST(BuildPoster, CancelWhileTheMainImageIsResampledStopsAtTheFirstTile) {
  Fixture f;
  ASSERT_TRUE(f.tiles.AddFile(SolidTile("t1.bmp", 16, 12, {9, 9, 9})));
  ScriptedProgress progress;
  progress.cancelOnDetail = "Preparing to resample image";
  const PosterBuildResult r = f.Build(&progress);
  EXPECT_FALSE(r.built);
  EXPECT_EQ(r.messageId, 0u);
  ASSERT_FALSE(progress.stages.empty());
  EXPECT_EQ(progress.stages.back(), "Reading tile image files . . .");
  // The first tile's path was shown, then its percentage check ended the build.
  EXPECT_NE(progress.details.back().find("t1.bmp"), std::string::npos);
}

TEST(BuildPoster, ReportsStagesAndCellsInOrder) {
  Fixture f;
  ASSERT_TRUE(f.tiles.AddFile(SolidTile("s.bmp", 16, 12, {9, 9, 9})));
  ScriptedProgress progress;
  const PosterBuildResult r = f.Build(&progress);
  ASSERT_TRUE(r.built);
  const std::vector<std::string> expected = {
      "Allocating memory for tile images . . .", "Obtaining tile image sizes . . .",
      "Creating poster image . . .", "Resampling main poster image . . .",
      "Reading tile image files . . .", "Laying tiles . . ."};
  EXPECT_EQ(progress.stages, expected);
  // The last cell's detail: row and column, each left-aligned in five places.
  char last[32];
  std::snprintf(last, sizeof last, "%-5d x %-5d", r.grid.tilesDown - 1, r.grid.tilesAcross - 1);
  EXPECT_EQ(progress.details.back(), last);
  EXPECT_EQ(progress.details.back().size(), 13u);
  // Cancel while laying: the poster is not built.
  ScriptedProgress cancelling;
  cancelling.cancelOnDetail = "1     x 1    ";
  EXPECT_FALSE(f.Build(&cancelling).built);
}
