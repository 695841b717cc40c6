#include "engine/TileOrder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace {

std::vector<int> DrawCells(TileOrderShuffle& order, TileOrderMode mode, int cells, int count) {
  std::vector<int> indexes;
  int index = FirstTileIndex(order, mode);
  for (int cell = 0; cell < cells; ++cell) {
    indexes.push_back(index);
    index = NextTileIndex(order, mode, index, count);
  }
  return indexes;
}

TEST(ParkMillerTest, KnownValuesFromStateOne) {
  ParkMillerRandom random;
  random.Seed(1);
  EXPECT_EQ(random.Next(), 16807);
  EXPECT_EQ(random.Next(), 282475249);
  EXPECT_EQ(random.Next(), 1622650073);
  random.Seed(1);
  std::int32_t value = 0;
  for (int i = 0; i < 10000; ++i) value = random.Next();
  EXPECT_EQ(value, 1043618065);
}

TEST(ParkMillerTest, AFixedSeedIsTakenModuloTheGeneratorsModulus) {
  ParkMillerRandom random;
  random.Seed(12345);
  EXPECT_EQ(random.GetState(), 12345);
  random.Seed(2147483647 + std::uint64_t{5});
  EXPECT_EQ(random.GetState(), 5);
  random.Seed(UINT64_MAX);
  EXPECT_EQ(random.GetState(), 3);
  // A zero state would give zeros for ever.
  random.Seed(0);
  EXPECT_EQ(random.GetState(), 1);
  random.Seed(2147483647);
  EXPECT_EQ(random.GetState(), 1);
  EXPECT_EQ(random.Next(), 16807);
}

TEST(ParkMillerTest, TheClockSeedIsASmallPositiveState) {
  ParkMillerRandom random;
  random.Seed(std::nullopt);
  EXPECT_GE(random.GetState(), 1);
  EXPECT_LE(random.GetState(), 32767);
}

TEST(ParkMillerTest, BelowReducesTheNextValue) {
  ParkMillerRandom random;
  random.Seed(1);
  EXPECT_EQ(random.Below(1000), 16807 % 1000);
  EXPECT_EQ(random.Below(1), 0);
  EXPECT_EQ(random.Below(0), 0);
}

TEST(TileOrderTest, PrepareShufflesTheIdentityFromTheSeed) {
  TileOrderShuffle order;
  ASSERT_TRUE(order.Prepare(5, 1));
  EXPECT_EQ(order.GetItems(), (std::vector<int>{4, 2, 3, 1, 0}));
  ASSERT_TRUE(order.Prepare(5, UINT64_MAX));
  EXPECT_EQ(order.GetItems(), (std::vector<int>{1, 3, 4, 0, 2}));
  ASSERT_TRUE(order.Prepare(3, 12345));
  EXPECT_EQ(order.GetItems(), (std::vector<int>{0, 2, 1}));
}

TEST(TileOrderTest, RandomOrderUsesEveryTileOncePerPass) {
  TileOrderShuffle order;
  ASSERT_TRUE(order.Prepare(5, 1));
  const std::vector<int> cells = DrawCells(order, TileOrderMode::Random, 10, 5);
  // The second pass shuffles on from the first pass's permutation, not from the identity.
  EXPECT_EQ(cells, (std::vector<int>{4, 2, 3, 1, 0, 3, 4, 0, 2, 1}));

  for (std::uint64_t seed = 0; seed < 50; ++seed) {
    ASSERT_TRUE(order.Prepare(5, seed));
    const std::vector<int> drawn = DrawCells(order, TileOrderMode::Random, 10, 5);
    for (const int half : {0, 5}) {
      std::vector<int> pass(drawn.begin() + half, drawn.begin() + half + 5);
      std::sort(pass.begin(), pass.end());
      EXPECT_EQ(pass, (std::vector<int>{0, 1, 2, 3, 4})) << "seed " << seed;
    }
  }
}

TEST(TileOrderTest, PreparingAgainWithTheSameSeedRepeatsTheOrder) {
  TileOrderShuffle order;
  ASSERT_TRUE(order.Prepare(7, 99));
  const std::vector<int> first = DrawCells(order, TileOrderMode::Random, 20, 7);
  ASSERT_TRUE(order.Prepare(9, 99));  // a build's first preparation, over more entries
  ASSERT_TRUE(order.Prepare(7, 99));  // and again over the entries that survived
  EXPECT_EQ(DrawCells(order, TileOrderMode::Random, 20, 7), first);
  for (const int index : first) {
    EXPECT_GE(index, 0);
    EXPECT_LT(index, 7);
  }
}

TEST(TileOrderTest, CountsBelowOneMakeAnOrderOfOne) {
  TileOrderShuffle order;
  EXPECT_EQ(order.Draw(), 0);  // nothing prepared yet
  ASSERT_TRUE(order.Prepare(0, 3));
  EXPECT_EQ(order.GetSize(), 1);
  ASSERT_TRUE(order.Prepare(-4, 3));
  EXPECT_EQ(DrawCells(order, TileOrderMode::Random, 3, 1), (std::vector<int>{0, 0, 0}));
}

TEST(TileOrderTest, SequentialOrderLoopsThroughTheList) {
  TileOrderShuffle order;
  ASSERT_TRUE(order.Prepare(3, 1));
  // Three tiles on a 2 × 2 grid: top row first and second, bottom row third and first.
  EXPECT_EQ(DrawCells(order, TileOrderMode::Sequential, 4, 3), (std::vector<int>{0, 1, 2, 0}));
  EXPECT_EQ(DrawCells(order, TileOrderMode::Sequential, 3, 1), (std::vector<int>{0, 0, 0}));
  // Sequential order leaves the random passes alone.
  EXPECT_EQ(order.Draw(), 1);  // the first item of the shuffled {1, 2, 0}
  EXPECT_EQ(NextTileIndex(order, TileOrderMode::Sequential, 2147483647, 5), 0);
}

}  // namespace
