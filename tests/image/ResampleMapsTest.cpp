// The box map and the 64ths position, including sizes whose products pass 32 and 64 bits.
#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "image/ResampleMaps.h"

using resample::BoxMapEntry;
using resample::FillBoxMap;
using resample::PositionIn64ths;

TEST(ResampleBoxMap, HalvingThirtyTwoGathersPairsAfterALoneFirstPosition) {
  std::vector<int> map(33);
  FillBoxMap(map.data(), 32, 16);
  // Boxes {0}, {1, 2}, …, {29, 30}; 31 and the closing entry belong to 16, which is dropped.
  EXPECT_EQ(map[0], 0);
  for (int c = 1; c < 16; ++c) {
    EXPECT_EQ(map[2 * c - 1], c) << c;
    EXPECT_EQ(map[2 * c], c) << c;
  }
  EXPECT_EQ(map[31], 16);
  EXPECT_EQ(map[32], 16);
}

TEST(ResampleBoxMap, EntriesRunFromZeroToTheDestinationCountInSteps) {
  for (int s : {2, 3, 17, 1000})
    for (int d = 1; d <= s; ++d) {
      std::vector<int> map(s + 1);
      FillBoxMap(map.data(), s, d);
      EXPECT_EQ(map[0], 0);
      EXPECT_EQ(map[s], d);
      for (int k = 1; k <= s; ++k) ASSERT_LE(static_cast<unsigned>(map[k] - map[k - 1]), 1u);
    }
  // No overflow for the widest sizes: 15 × S and k × D are 64-bit.
  EXPECT_EQ(BoxMapEntry(INT_MAX, INT_MAX, INT_MAX - 1), INT_MAX - 1);
  EXPECT_EQ(BoxMapEntry(0, INT_MAX, 1), 0);
}

TEST(ResamplePosition64ths, StartsHalfAPixelBackAndStopsAtTheLastSourcePosition) {
  // 4 → 8: 64ths positions 32i - 32, the first clamped to 0.
  const int expected[8][3] = {{0, 1, 0},  {0, 1, 0}, {0, 1, 32}, {1, 2, 0},
                              {1, 2, 32}, {2, 3, 0}, {2, 3, 32}, {3, 3, 0}};
  for (int i = 0; i < 8; ++i) {
    const resample::Position64ths p = PositionIn64ths(i, 4, 8);
    EXPECT_EQ(p.index, expected[i][0]) << i;
    EXPECT_EQ(p.next, expected[i][1]) << i;
    EXPECT_EQ(p.fraction, expected[i][2]) << i;
  }
  // Equal counts: half a pixel back everywhere but the first.
  const resample::Position64ths same = PositionIn64ths(5, 9, 9);
  EXPECT_EQ(same.index, 4);
  EXPECT_EQ(same.fraction, 32);
}

TEST(ResamplePosition64ths, IsExactWhereTheProductPassesSixtyFourBits) {
  // 64 × i × S passes 64 bits here; the exact 64ths position is worked out with 128 bits.
  const int s = INT_MAX - 10, d = INT_MAX;
  for (int i : {1, 12345, 1 << 30, INT_MAX - 1}) {
    const auto exact = static_cast<__int128>(64) * i * s / d - 32;
    const resample::Position64ths p = PositionIn64ths(i, s, d);
    EXPECT_EQ(p.index, static_cast<int>(exact / 64)) << i;
    EXPECT_EQ(p.fraction, static_cast<int>(exact % 64)) << i;
  }
  // 32-bit overflow of a realistic poster enlargement: 64 × 9000 × 3000 > 2^31.
  const resample::Position64ths p = PositionIn64ths(8999, 3000, 9000);
  EXPECT_EQ(64LL * 8999 * 3000 / 9000 - 32, 64LL * p.index + p.fraction);
  EXPECT_EQ(p.next, 2999);
}
