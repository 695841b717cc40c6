// Reusing shaped tiles: within one build for a list that names a file many times, and across
// builds for a rebuild that changes only emphasis, frame, order or seed.
#include "engine/ShapedTileCache.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "BuildFixture.h"
#include "support/TestSupport.h"

namespace {

namespace fs = std::filesystem;

// Rewrites the file with other pixels of the same size, and gives it back its modification
// time: a build that opened it would see the new pixels.
void ReplaceKeepingStamp(const std::string& path, int width, int height, int variant) {
  const fs::file_time_type modified = fs::last_write_time(path);
  const auto bytes = fs::file_size(path);
  test::MakePatternTile(fs::path(path).filename().string(), width, height, variant);
  ASSERT_EQ(fs::file_size(path), bytes);
  fs::last_write_time(path, modified);
}

void UseSecondSettings(PosterBuildInputs& inputs) {
  PosterParams& p = inputs.setup.params;
  p.Emphasis = 6;
  p.Borders = BorderStyle::ButtonFrame;
  p.TileOrder = TileOrderMode::Sequential;
  inputs.seed = 99;
}

std::shared_ptr<const CDibImage> TileOf(int width, int height) {
  auto image = std::make_shared<CDibImage>();
  test::Fill(*image, width, height, test::Pattern);
  return image;
}

}  // namespace

TEST(ShapedTileReuse, ARebuildWithOtherEmphasisFrameOrderAndSeedOpensNoTileFile) {
  test::PosterBuild b;
  b.AddMixedTiles("reuse-", 6);
  b.inputs.setup.params.Borders = BorderStyle::NoBorders;
  ShapedTileCache cache;
  b.inputs.tileCache = &cache;
  const PosterBuildResult first = b.Build(2);
  ASSERT_TRUE(first.built);
  EXPECT_EQ(first.filesDecoded, 6);

  // The poster the second settings give from the files as they are now.
  test::PosterBuild fresh;
  for (int i = 0; i < b.tiles.GetCount(); ++i) ASSERT_TRUE(fresh.tiles.AddFile(b.tiles.GetText(i)));
  UseSecondSettings(fresh.inputs);
  ASSERT_TRUE(fresh.Build(2).built);

  // Other pixels under the same stamps: only a build that opens the files can see them.
  static const int kSizes[][2] = {{30, 20}, {18, 33}, {25, 25}, {51, 17}, {13, 40}, {9, 7}};
  for (int i = 0; i < 6; ++i)
    ReplaceKeepingStamp(test::ScratchPath("reuse-" + std::to_string(i) + ".bmp"), kSizes[i][0],
                        kSizes[i][1], 40 + i);
  UseSecondSettings(b.inputs);
  const PosterBuildResult rebuilt = b.Build(2);
  ASSERT_TRUE(rebuilt.built);
  EXPECT_EQ(rebuilt.filesDecoded, 0);
  EXPECT_TRUE(test::SamePixels(b.poster, fresh.poster));

  // A file whose stamp changed is read again, and only that one.
  const std::string changed = test::ScratchPath("reuse-2.bmp");
  fs::last_write_time(changed, fs::last_write_time(changed) + std::chrono::seconds(5));
  const PosterBuildResult afterTouch = b.Build(2);
  ASSERT_TRUE(afterTouch.built);
  EXPECT_EQ(afterTouch.filesDecoded, 1);
  EXPECT_FALSE(test::SamePixels(b.poster, fresh.poster));

  // Another grid shapes every tile anew.
  b.inputs.setup.params.TileSize = TileSizePreset::Medium;
  const PosterBuildResult otherGrid = b.Build(2);
  ASSERT_TRUE(otherGrid.built);
  EXPECT_EQ(otherGrid.filesDecoded, 6);
}

TEST(ShapedTileReuse, AFileNamedManyTimesIsDecodedOncePerBuild) {
  test::PosterBuild b;
  const std::string a = test::MakePatternTile("dup-a.bmp", 30, 20, 1);
  const std::string c = test::MakePatternTile("dup-c.bmp", 20, 30, 2);
  for (int i = 0; i < 40; ++i) ASSERT_TRUE(b.tiles.AddFile(a));
  for (int i = 0; i < 15; ++i) ASSERT_TRUE(b.tiles.AddFile(c));
  for (int threads : {1, 8}) {
    const PosterBuildResult r = b.Build(threads);
    ASSERT_TRUE(r.built);
    EXPECT_EQ(r.filesDecoded, 2) << threads << " threads";
  }
  CDibImage shared;
  shared.TakePixels(b.poster);
  // The same poster as from two entries: with sequential order and 40 + 15 entries the cells
  // show a, then c, in that proportion; compare against a list of distinct copies instead.
  test::PosterBuild copies;
  for (int i = 0; i < 40; ++i)
    ASSERT_TRUE(copies.tiles.AddFile(
        test::MakePatternTile("dupcopy-a" + std::to_string(i) + ".bmp", 30, 20, 1)));
  for (int i = 0; i < 15; ++i)
    ASSERT_TRUE(copies.tiles.AddFile(
        test::MakePatternTile("dupcopy-c" + std::to_string(i) + ".bmp", 20, 30, 2)));
  const PosterBuildResult r = copies.Build(8);
  ASSERT_TRUE(r.built);
  EXPECT_EQ(r.filesDecoded, 55);
  EXPECT_TRUE(test::SamePixels(shared, copies.poster));
}

TEST(ShapedTileCache, DropsTilesTheRunningBuildDoesNotUseWhenTheBudgetWouldPass) {
  const TileShape shapeA{10, 8, 10, 8, true, true, false};
  const TileShape shapeB{12, 9, 12, 9, true, true, false};
  const FileStamp stamp{100, 1};
  const std::size_t tileBytes = TileOf(12, 9)->GetImageBytes();
  ShapedTileCache cache(2 * tileBytes);

  cache.BeginBuild();
  EXPECT_TRUE(cache.Keep("a1", stamp, shapeA, TileOf(10, 8)));
  EXPECT_TRUE(cache.Keep("a2", stamp, shapeA, TileOf(10, 8)));
  // A new grid: its first tile does not fit beside the old ones, which the build no longer
  // uses, so they go.
  cache.BeginBuild();
  EXPECT_TRUE(cache.Keep("b1", stamp, shapeB, TileOf(12, 9)));
  EXPECT_EQ(cache.Find("a1", stamp, shapeA), nullptr);
  EXPECT_TRUE(cache.Keep("b2", stamp, shapeB, TileOf(12, 9)));
  // Both kept tiles are in use: a third is not kept, and the budget holds.
  EXPECT_FALSE(cache.Keep("b3", stamp, shapeB, TileOf(12, 9)));
  EXPECT_LE(cache.GetBytes(), cache.GetBudget());
  EXPECT_EQ(cache.GetTileCount(), 2u);
  // The next build uses b1 only: b2 makes room for b3.
  cache.BeginBuild();
  EXPECT_NE(cache.Find("b1", stamp, shapeB), nullptr);
  EXPECT_TRUE(cache.Keep("b3", stamp, shapeB, TileOf(12, 9)));
  EXPECT_NE(cache.Find("b1", stamp, shapeB), nullptr);
  EXPECT_EQ(cache.Find("b2", stamp, shapeB), nullptr);
  // Another stamp of the same path is another file.
  EXPECT_EQ(cache.Find("b1", FileStamp{100, 2}, shapeB), nullptr);
  EXPECT_GT(DefaultTileCacheBudget(), std::size_t{0});
}

TEST(ShapedTileReuse, ACacheTooSmallForTheTilesStillGivesThePoster) {
  test::PosterBuild b;
  b.AddMixedTiles("tiny-", 5);
  ASSERT_TRUE(b.Build(2).built);
  CDibImage plain;
  plain.TakePixels(b.poster);
  ShapedTileCache cache(1);
  b.inputs.tileCache = &cache;
  for (int round = 0; round < 2; ++round) {
    const PosterBuildResult r = b.Build(2);
    ASSERT_TRUE(r.built);
    EXPECT_EQ(r.filesDecoded, 5);
    EXPECT_TRUE(test::SamePixels(plain, b.poster));
  }
  EXPECT_EQ(cache.GetBytes(), 0u);
}
