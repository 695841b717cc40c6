// The per-cell blend of tile and main image in eighths, and the single line it leaves.
#include <gtest/gtest.h>

#include "engine/TileGrid.h"
#include "image/DibImage.h"
#include "support/TestSupport.h"

namespace {

using test::Bgr;

Bgr Grey(int v) {
  const auto b = static_cast<std::uint8_t>(v);
  return {b, b, b};
}

// Blends a cell of tile bytes over main bytes as the build does for each cell.
int BlendOne(int emphasis, int tileByte, int mainByte) {
  CDibImage cell, main;
  test::Fill(cell, 2, 2, [&](int, int) { return Grey(tileByte); });
  test::Fill(main, 4, 4, [&](int, int) { return Grey(mainByte); });
  cell.BlendFrom(main, 2, 2, 2, 2, 8 - emphasis, emphasis);
  return test::PixelAt(cell, 1, 1)[0];
}

TEST(CellBlendTest, EmphasisWeighsTheTileInEighths) {
  EXPECT_EQ(BlendOne(4, 200, 100), 150);
  EXPECT_EQ(BlendOne(1, 200, 100), 112);  // (200 + 7 × 100) / 8
  EXPECT_EQ(BlendOne(7, 200, 100), 187);  // (1400 + 100) / 8
}

TEST(CellBlendTest, SingleLineCellsStartBlackAndTakeHalfTheMainImage) {
  const TileGrid grid{2, 1, 10, 8};
  const TileImageSize tileSize = GetTileImageSize(grid, BorderStyle::SingleLine);
  CDibImage main, tile, cell;
  test::Fill(main, 20, 8, [](int x, int y) { return Grey(100 + x + y); });
  test::Fill(tile, tileSize.width, tileSize.height, [](int, int) { return Grey(200); });
  ASSERT_TRUE(cell.Create(grid.tileWidth, grid.tileHeight, TRUE));
  cell.CopyRect(tile, 0, 0, tileSize.width, tileSize.height, 0, 0);
  cell.BlendFrom(main, 0, 0, grid.tileWidth, grid.tileHeight, 4, 4);
  // The line: last column and bottom row, half the main image's value.
  for (int y = 0; y < 8; ++y) EXPECT_EQ(test::PixelAt(cell, 9, y), Grey((100 + 9 + y) / 2));
  for (int x = 0; x < 10; ++x) EXPECT_EQ(test::PixelAt(cell, x, 7), Grey((100 + x + 7) / 2));
  EXPECT_EQ(test::PixelAt(cell, 3, 2), Grey((200 + 100 + 3 + 2) / 2));
}

}  // namespace
