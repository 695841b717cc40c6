#include "image/ReduceTurned.h"

#include <gtest/gtest.h>

#include <random>

#include "image/Resample.h"
#include "support/TestSupport.h"

namespace {

// The three steps the one pass stands for.
bool TurnCutReduce(CDibImage& image, const TurnedRect& r, int newWidth, int newHeight) {
  return image.RotateLeft() && image.CropToRect(r.x, r.y, r.width, r.height) &&
         Resample(image, newWidth, newHeight);
}

test::Bgr Noise(int x, int y) {
  const unsigned v = static_cast<unsigned>(x * 7919 + y * 104729) * 2654435761u;
  return {static_cast<std::uint8_t>(v >> 24), static_cast<std::uint8_t>(v >> 16),
          static_cast<std::uint8_t>(v >> 8)};
}

}  // namespace

TEST(ReduceTurned, GivesTheBytesOfTurningCuttingAndReducing) {
  std::mt19937 random(20261207);
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); };
  for (int trial = 0; trial < 300; ++trial) {
    const int width = pick(2, 90), height = pick(2, 90);
    // The rectangle in turned coordinates: the turned picture is height × width.
    TurnedRect r;
    r.width = pick(2, height);
    r.height = pick(2, width);
    r.x = pick(0, height - r.width);
    r.y = pick(0, width - r.height);
    const int newWidth = pick(1, r.width - 1), newHeight = pick(1, r.height - 1);
    CDibImage fused, stepwise;
    test::Fill(fused, width, height, Noise);
    test::Fill(stepwise, width, height, Noise);
    ASSERT_TRUE(TurnCutReduce(stepwise, r, newWidth, newHeight));
    ASSERT_TRUE(ReduceTurnedRect(fused, r, newWidth, newHeight));
    ASSERT_TRUE(test::SamePixels(fused, stepwise))
        << width << "x" << height << " rect " << r.x << "," << r.y << " " << r.width << "x"
        << r.height << " to " << newWidth << "x" << newHeight;
  }
}

TEST(ReduceTurned, RefusesWhatIsNoReductionOrLiesOutside) {
  CDibImage image;
  test::Fill(image, 8, 6, Noise);
  // Turned, the picture is 6 × 8.
  EXPECT_FALSE(ReduceTurnedRect(image, {0, 0, 6, 8}, 6, 4));  // width not reduced
  EXPECT_FALSE(ReduceTurnedRect(image, {0, 0, 6, 8}, 3, 8));  // height not reduced
  EXPECT_FALSE(ReduceTurnedRect(image, {1, 0, 6, 8}, 3, 4));  // past the right edge
  EXPECT_FALSE(ReduceTurnedRect(image, {0, 0, 6, 8}, 0, 4));
  EXPECT_EQ(image.GetWidth(), 8);
  EXPECT_TRUE(ReduceTurnedRect(image, {0, 0, 6, 8}, 3, 4));
  EXPECT_EQ(image.GetWidth(), 3);
  EXPECT_EQ(image.GetHeight(), 4);
}
