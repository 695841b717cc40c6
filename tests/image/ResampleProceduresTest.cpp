// The four resampling procedures, byte for byte: small cases worked out by hand, then sweeps of
// tiny sizes against the literal reference.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <vector>

#include "ResampleReference.h"
#include "image/Resample.h"
#include "support/TestSupport.h"

using test::Bgr;
using test::PixelAt;

namespace {

// A 24-bit image whose blue bytes are the grid (rows from the top); green and red stay 0.
template <std::size_t W, std::size_t H>
void FillBlue(CDibImage& image, const std::array<std::array<int, W>, H>& grid) {
  test::Fill(image, W, H, [&](int x, int y) {
    return Bgr{static_cast<std::uint8_t>(grid[y][x]), 0, 0};
  });
}

template <std::size_t W, std::size_t H>
void ExpectBlue(const CDibImage& image, const std::array<std::array<int, W>, H>& grid) {
  ASSERT_EQ(image.GetWidth(), static_cast<int>(W));
  ASSERT_EQ(image.GetHeight(), static_cast<int>(H));
  for (std::size_t y = 0; y < H; ++y)
    for (std::size_t x = 0; x < W; ++x)
      EXPECT_EQ(PixelAt(image, x, y), (Bgr{static_cast<std::uint8_t>(grid[y][x]), 0, 0}))
          << "at (" << x << ", " << y << ")";
}

void FillWhite(CDibImage& image, int width, int height) {
  test::Fill(image, width, height, [](int, int) { return Bgr{255, 255, 255}; });
}

}  // namespace

TEST(ResampleReduceBoth, AveragesBoxesAndDropsTheLastRowAndColumn) {
  // 4 → 2 in both directions: boxes {0} and {1, 2}; position 3 has map entry 2 and is dropped.
  CDibImage image;
  FillBlue<4, 4>(image, {{{10, 20, 30, 40},  //
                          {50, 61, 70, 80},
                          {90, 100, 111, 120},
                          {200, 200, 200, 200}}});
  ASSERT_TRUE(Resample(image, 2, 2));
  // (61 + 70 + 100 + 111) / 2 / 2 = 85, truncated.
  ExpectBlue<2, 2>(image, {{{10, 25}, {70, 85}}});
}

TEST(ResampleReduceBoth, HalvingThirtyTwoColumnsLeavesColumnThirtyOneOut) {
  // Blue 8 × x in row 0; row 1 (white) is dropped by the 2 → 1 row map. Boxes {0}, {1, 2}, …,
  // {29, 30}: pixel c > 0 is (8(2c - 1) + 16c) / 2 = 16c - 4, and column 31 (248) adds nothing.
  CDibImage image;
  test::Fill(image, 32, 2, [](int x, int y) {
    return y == 0 ? Bgr{static_cast<std::uint8_t>(8 * x), 1, 2} : Bgr{255, 255, 255};
  });
  CDibImage halved;
  ASSERT_TRUE(ResampleFrom(halved, 16, 1, image, 0));
  EXPECT_EQ(PixelAt(halved, 0, 0), (Bgr{0, 1, 2}));
  for (int c = 1; c < 16; ++c)
    EXPECT_EQ(PixelAt(halved, c, 0), (Bgr{static_cast<std::uint8_t>(16 * c - 4), 1, 2})) << c;

  // The same boxes across when the single row is kept (reduce across, enlarge down).
  ASSERT_TRUE(image.CropToRect(0, 0, 32, 1));
  ASSERT_TRUE(Resample(image, 16, 1));
  EXPECT_TRUE(test::SamePixels(image, halved));
}

TEST(ResampleReduceAcrossEnlargeDown, InterpolatesRowsInSixtyFourthsThenAveragesBoxes) {
  // 4 → 8 rows: row i samples 64ths position 32i - 32 (0 at the top); 4 → 2 columns: boxes {0}
  // and {1, 2}, column 3 dropped. Each interpolated value is truncated before the box average:
  // row 2 column 2 is (11 + 14) / 2 = 12, so the box gives (1 + 12) / 2 = 6, not 7.
  CDibImage image;
  FillBlue<4, 4>(image, {{{0, 1, 11, 200},  //
                          {101, 2, 14, 200},
                          {50, 3, 13, 200},
                          {7, 4, 12, 200}}});
  ASSERT_TRUE(Resample(image, 2, 8));
  ExpectBlue<2, 8>(image, {{{0, 6}, {0, 6}, {50, 6}, {101, 8}, {75, 7}, {50, 8}, {28, 7}, {7, 8}}});
}

TEST(ResampleEnlargeAcrossReduceDown, InterpolatesColumnsInSixtyFourthsThenAveragesRows) {
  // The previous case turned on its side: the same numbers come out transposed.
  CDibImage image;
  FillBlue<4, 4>(image, {{{0, 101, 50, 7},  //
                          {1, 2, 3, 4},
                          {11, 14, 13, 12},
                          {200, 200, 200, 200}}});
  ASSERT_TRUE(Resample(image, 8, 2));
  ExpectBlue<8, 2>(image, {{{0, 0, 50, 101, 75, 50, 28, 7},  //
                            {6, 6, 6, 8, 7, 8, 7, 8}}});
}

TEST(ResampleEnlargeBoth, DoublingMixesNeighboursInHundredths) {
  // Odd destination columns and rows sit on a source pixel plus half (lean 0: the pixel itself
  // or its right/lower neighbour at weight 0); even ones half a pixel before it (lean 50:
  // four quarters, edges standing in for missing neighbours).
  CDibImage image;
  FillBlue<2, 2>(image, {{{99, 200}, {7, 255}}});
  ASSERT_TRUE(Resample(image, 4, 4));
  ExpectBlue<4, 4>(image, {{{96, 98, 148, 200},  //
                            {98, 99, 149, 200},
                            {50, 52, 138, 227},
                            {6, 7, 130, 255}}});
}

TEST(ResampleEnlargeBoth, SameSizeAveragesEachPixelWithItsUpperLeftNeighbours) {
  // Not a copy: t = u = -50, so every byte is the sum of four truncated quarters of the pixel,
  // its left, upper and upper-left neighbours (the pixel itself standing in at the edges).
  CDibImage image;
  test::Fill(image, 5, 4, ref::Noise);
  CDibImage same;
  ASSERT_TRUE(ResampleFrom(same, 5, 4, image, 0));
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 5; ++x) {
      const int left = x > 0 ? x - 1 : 0, up = y > 0 ? y - 1 : 0;
      Bgr expected{};
      for (int k = 0; k < 3; ++k)
        expected[k] = static_cast<std::uint8_t>(
            PixelAt(image, x, y)[k] * 25 / 100 + PixelAt(image, left, y)[k] * 25 / 100 +
            PixelAt(image, x, up)[k] * 25 / 100 + PixelAt(image, left, up)[k] * 25 / 100);
      EXPECT_EQ(PixelAt(same, x, y), expected) << "at (" << x << ", " << y << ")";
    }
}

TEST(ResampleEnlargeBoth, WhiteLosesUpToThreeLevelsButBoxesAndSixtyFourthsKeepIt) {
  CDibImage white;
  FillWhite(white, 4, 4);
  CDibImage same;
  ASSERT_TRUE(ResampleFrom(same, 4, 4, white, 0));
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_EQ(PixelAt(same, x, y), (Bgr{252, 252, 252}));

  // Doubling: from four quarters (252) to the pixel alone at the odd positions (255).
  CDibImage enlarged;
  ASSERT_TRUE(ResampleFrom(enlarged, 8, 8, white, 0));
  int lowest = 255, highest = 0;
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x)
      for (std::uint8_t byte : PixelAt(enlarged, x, y)) {
        lowest = std::min<int>(lowest, byte);
        highest = std::max<int>(highest, byte);
      }
  EXPECT_EQ(lowest, 252);
  EXPECT_EQ(highest, 255);

  const std::array<std::array<int, 2>, 3> boxAndSixtyFourths{{{3, 3}, {3, 9}, {9, 3}}};
  for (const auto& size : boxAndSixtyFourths) {
    CDibImage result;
    ASSERT_TRUE(ResampleFrom(result, size[0], size[1], white, 0));
    for (int y = 0; y < size[1]; ++y)
      for (int x = 0; x < size[0]; ++x)
        EXPECT_EQ(PixelAt(result, x, y), (Bgr{255, 255, 255}))
            << size[0] << " x " << size[1] << " at (" << x << ", " << y << ")";
  }
}

namespace {

constexpr std::array<int, 5> kSourceSizes{4, 5, 7, 11, 16};

std::vector<int> ReducedSizes(int s) { return {1, 2, 3, s / 2 + 1, s - 1}; }
std::vector<int> EnlargedSizes(int s) { return {s, s + 1, 2 * s - 1, 3 * s}; }

using Reference = ref::Picture (*)(const CDibImage&, int, int);

// Every source size against every destination size of the procedure's kind, noise pictures.
void SweepAgainstReference(Reference reference, bool reduceAcross, bool reduceDown) {
  for (int sw : kSourceSizes)
    for (int sh : kSourceSizes) {
      CDibImage source;
      test::Fill(source, sw, sh, ref::Noise);
      for (int dw : reduceAcross ? ReducedSizes(sw) : EnlargedSizes(sw))
        for (int dh : reduceDown ? ReducedSizes(sh) : EnlargedSizes(sh)) {
          CDibImage result;
          ASSERT_TRUE(ResampleFrom(result, dw, dh, source, 0));
          EXPECT_TRUE(ref::Matches(result, reference(source, dw, dh)))
              << sw << " x " << sh << " -> " << dw << " x " << dh;
        }
    }
}

}  // namespace

TEST(ResampleReduceBoth, MatchesTheReferenceOnTinySizes) {
  SweepAgainstReference(ref::ReduceBoth, true, true);
}

TEST(ResampleReduceAcrossEnlargeDown, MatchesTheReferenceOnTinySizes) {
  SweepAgainstReference(ref::ReduceAcrossEnlargeDown, true, false);
}

TEST(ResampleEnlargeAcrossReduceDown, MatchesTheReferenceOnTinySizes) {
  SweepAgainstReference(ref::EnlargeAcrossReduceDown, false, true);
}

TEST(ResampleEnlargeBoth, MatchesTheReferenceOnTinySizes) {
  SweepAgainstReference(ref::EnlargeBoth, false, false);
}
