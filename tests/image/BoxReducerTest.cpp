#include "image/BoxReducer.h"

#include <gtest/gtest.h>

#include <random>

#include "image/Resample.h"
#include "support/TestSupport.h"

namespace {

// The steps the one pass stands for.
bool TurnCutReduce(CDibImage& image, bool turned, const TurnedRect& r, int newWidth,
                   int newHeight) {
  return (!turned || image.RotateLeft()) && image.CropToRect(r.x, r.y, r.width, r.height) &&
         Resample(image, newWidth, newHeight);
}

test::Bgr Noise(int x, int y) {
  const unsigned v = static_cast<unsigned>(x * 7919 + y * 104729) * 2654435761u;
  return {static_cast<std::uint8_t>(v >> 24), static_cast<std::uint8_t>(v >> 16),
          static_cast<std::uint8_t>(v >> 8)};
}

struct Case {
  int width, height;  // the stored picture
  bool turned;
  TurnedRect rect;
  int newWidth, newHeight;
};

Case RandomCase(std::mt19937& random) {
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); };
  Case c{};
  c.width = pick(2, 90);
  c.height = pick(2, 90);
  c.turned = pick(0, 1) == 1;
  const int shownW = c.turned ? c.height : c.width, shownH = c.turned ? c.width : c.height;
  c.rect.width = pick(2, shownW);
  c.rect.height = pick(2, shownH);
  c.rect.x = pick(0, shownW - c.rect.width);
  c.rect.y = pick(0, shownH - c.rect.height);
  c.newWidth = pick(1, c.rect.width - 1);
  c.newHeight = pick(1, c.rect.height - 1);
  return c;
}

::testing::AssertionResult Described(bool same, const Case& c) {
  if (same) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << c.width << "x" << c.height << (c.turned ? " turned" : "") << " rect " << c.rect.x
         << "," << c.rect.y << " " << c.rect.width << "x" << c.rect.height << " to "
         << c.newWidth << "x" << c.newHeight;
}

}  // namespace

TEST(BoxReducer, GivesTheBytesOfTurningCuttingAndReducing) {
  std::mt19937 random(20261207);
  for (int trial = 0; trial < 400; ++trial) {
    const Case c = RandomCase(random);
    CDibImage fused, stepwise;
    test::Fill(fused, c.width, c.height, Noise);
    test::Fill(stepwise, c.width, c.height, Noise);
    ASSERT_TRUE(TurnCutReduce(stepwise, c.turned, c.rect, c.newWidth, c.newHeight));
    ASSERT_TRUE(ReduceRect(fused, c.turned, c.rect, c.newWidth, c.newHeight));
    ASSERT_TRUE(Described(test::SamePixels(fused, stepwise), c));
  }
}

// A file that ends early leaves its last rows black in a loaded picture; a reducer that is
// never handed those rows must give the same bytes.
TEST(BoxReducer, RowsThatNeverComeCountAsBlack) {
  std::mt19937 random(7);
  for (int trial = 0; trial < 100; ++trial) {
    const Case c = RandomCase(random);
    const int rowsRead = std::uniform_int_distribution<int>(0, c.height)(random);
    const auto cutShort = [&](int x, int y) { return y < rowsRead ? Noise(x, y) : test::Bgr{0, 0, 0}; };
    CDibImage loaded, reduced;
    test::Fill(loaded, c.width, c.height, cutShort);
    ASSERT_TRUE(ReduceRect(loaded, c.turned, c.rect, c.newWidth, c.newHeight));
    CDibImage source;
    test::Fill(source, c.width, c.height, Noise);
    CBoxReducer reducer(c.width, c.turned, c.rect, c.newWidth, c.newHeight);
    for (int y = 0; y < rowsRead; ++y) reducer.AddRow(y, source.GetPixelAddress(0, y));
    ASSERT_TRUE(reducer.Finish(reduced));
    ASSERT_TRUE(Described(test::SamePixels(reduced, loaded), c)) << " after " << rowsRead << " rows";
  }
}

TEST(BoxReducer, RefusesWhatIsNoReductionOrLiesOutside) {
  CDibImage image;
  test::Fill(image, 8, 6, Noise);
  // Turned, the picture is 6 × 8.
  EXPECT_FALSE(ReduceRect(image, true, {0, 0, 6, 8}, 6, 4));  // width not reduced
  EXPECT_FALSE(ReduceRect(image, true, {0, 0, 6, 8}, 3, 8));  // height not reduced
  EXPECT_FALSE(ReduceRect(image, true, {1, 0, 6, 8}, 3, 4));  // past the right edge
  EXPECT_FALSE(ReduceRect(image, false, {0, 0, 6, 8}, 3, 4));  // unturned it is 8 × 6
  EXPECT_FALSE(ReduceRect(image, true, {0, 0, 6, 8}, 0, 4));
  EXPECT_EQ(image.GetWidth(), 8);
  EXPECT_TRUE(ReduceRect(image, true, {0, 0, 6, 8}, 3, 4));
  EXPECT_EQ(image.GetWidth(), 3);
  EXPECT_EQ(image.GetHeight(), 4);
}
