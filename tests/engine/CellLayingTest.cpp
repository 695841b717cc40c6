// Laying cells with the main image made from its enlargement a few cells at a time gives the
// bytes of laying them over the whole resampled main image, on one thread or several.
#include <gtest/gtest.h>

#include <random>

#include "engine/CellLaying.h"
#include "engine/TileGrid.h"
#include "image/Enlargement.h"
#include "image/Resample.h"
#include "support/TestSupport.h"

namespace {

// Cells wide enough that a row of them is made in several stretches.
constexpr TileGrid kGrid{12, 3, 200, 150};

std::vector<std::shared_ptr<const CDibImage>> Tiles(BorderStyle borders) {
  const TileImageSize size = GetTileImageSize(kGrid, borders);
  std::vector<std::shared_ptr<const CDibImage>> tiles;
  for (int variant = 0; variant < 3; ++variant) {
    auto tile = std::make_shared<CDibImage>();
    test::Fill(*tile, size.width, size.height, [variant](int x, int y) {
      return test::Bgr{static_cast<std::uint8_t>(x * (variant + 1)),
                       static_cast<std::uint8_t>(y + 40 * variant), 200};
    });
    tiles.push_back(std::move(tile));
  }
  return tiles;
}

}  // namespace

TEST(CellLaying, CellsOverTheEnlargementMatchCellsOverTheResampledMainImage) {
  const int width = kGrid.tilesAcross * kGrid.tileWidth;
  const int height = kGrid.tilesDown * kGrid.tileHeight;
  CDibImage main;
  test::Fill(main, 701, 131, test::Pattern);
  const CEnlargement enlargement(main, width, height);
  ASSERT_TRUE(enlargement.HasMemory());
  std::mt19937 random(12);
  std::vector<int> cellTiles(static_cast<std::size_t>(kGrid.tilesAcross * kGrid.tilesDown));
  for (int& tile : cellTiles) tile = std::uniform_int_distribution<int>(0, 2)(random);

  for (const BorderStyle borders : {BorderStyle::SingleLine, BorderStyle::NoBorders}) {
    const auto tiles = Tiles(borders);
    CellLayout layout;
    layout.grid = kGrid;
    layout.tileWeight = 3;
    layout.singleLine = borders == BorderStyle::SingleLine;
    test::SilentProgress progress;

    CDibImage overResampled;
    ASSERT_TRUE(ResampleFrom(overResampled, width, height, main, 0));
    ASSERT_EQ(LayCells(layout, tiles, cellTiles, overResampled, progress), LayResult::kLaid);

    layout.mainEnlargement = &enlargement;
    for (const int threads : {1, 3}) {
      layout.threads = threads;
      // Whatever the poster held before, every pixel is laid.
      CDibImage poster;
      test::Fill(poster, width, height, [](int x, int y) {
        return test::Bgr{9, 99, uint8_t(x + y)};
      });
      ASSERT_EQ(LayCells(layout, tiles, cellTiles, poster, progress), LayResult::kLaid);
      EXPECT_TRUE(test::SamePixels(poster, overResampled))
          << (layout.singleLine ? "single line, " : "no borders, ") << threads << " threads";
    }
  }
}
