#include "engine/ButtonFrame.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "support/TestSupport.h"

namespace {

using test::Bgr;

Bgr Grey(int v) {
  const auto b = static_cast<std::uint8_t>(v);
  return {b, b, b};
}

Bgr Flat(int, int) { return Grey(100); }

// The frame colour of pixel (x, y), or nothing inside the frame, written step by step from the
// frame's definition with black shadow and white highlight: the ramp entry k is grey k.
struct Expected {
  bool inFrame = false;
  int rampIndex = 0;
  int alpha = 0;
};

Expected ReferenceFrame(int W, int H, int p, int x, int y) {
  const int W1 = W == 1 ? 1 : W - 1;
  const int H1 = H == 1 ? 1 : H - 1;
  const double cx = W1 / 2.0, cy = H1 / 2.0;
  int bx = static_cast<int>(std::trunc((p * cx + 25) * 0.02));
  int by = static_cast<int>(std::trunc((p * cy + 25) * 0.02));
  if (bx < 1) bx = 1;
  if (by < 1) by = 1;
  const int x2 = W1 - bx, y2 = H1 - by;
  Expected e;
  if (bx <= x && x <= x2 && by <= y && y <= y2) return e;
  e.inFrame = true;
  const int kx = x < bx ? x : (x > x2 ? W1 - x : bx);
  const int ky = y < by ? y : (y > y2 ? H1 - y : by);
  const int shadeX = static_cast<int>(std::trunc(std::abs(kx - bx) / double(bx) * 255));
  const int shadeY = static_cast<int>(std::trunc(std::abs(ky - by) / double(by) * 255));
  int A = 255 - std::max(shadeX, shadeY);
  A = std::clamp(A, 0, 255);
  const double I = (std::abs(std::trunc(x - cx)) - (cx - bx)) / bx;
  const double J = (std::abs(std::trunc(y - cy)) - (cy - by)) / by;
  const bool near = std::abs(I - J) <= 0.01;
  if (x > W1 - bx && I >= J) {
    e.rampIndex = (near && y < H1 - by) ? 128 : A / 2;
  } else if (y <= H1 - by) {
    e.rampIndex = A / 2 + 128;
  } else if (J < I) {
    e.rampIndex = A / 2 + 128;
  } else {
    e.rampIndex = (near && x < W1 - bx) ? 128 : A / 2;
  }
  e.alpha = static_cast<int>(std::trunc(std::min(std::max(I, J), 1.0) * 256));
  if (e.alpha == 255) e.alpha = 256;
  return e;
}

Bgr ReferencePixel(int W, int H, int p, bool blended, int x, int y) {
  const Bgr before = test::Pattern(x, y);
  const Expected e = ReferenceFrame(W, H, p, x, y);
  if (!e.inFrame) return before;
  if (!blended) return Grey(e.rampIndex);
  Bgr after;
  for (int c = 0; c < 3; ++c)
    after[c] = static_cast<std::uint8_t>(
        (before[c] * (256 - e.alpha) + e.rampIndex * e.alpha + 128) >> 8);
  return after;
}

void ExpectMatchesReference(int W, int H, int p, bool blended) {
  CDibImage image;
  test::Fill(image, W, H, test::Pattern);
  DrawButtonFrame(image, p, blended ? TRUE : FALSE);
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x)
      ASSERT_EQ(test::PixelAt(image, x, y), ReferencePixel(W, H, p, blended, x, y))
          << W << " x " << H << " thickness " << p << (blended ? " blended" : "") << " at ("
          << x << ", " << y << ")";
}

TEST(ButtonFrameTest, A100By80TileHasStripsOf5And4Pixels) {
  CDibImage image;
  test::Fill(image, 100, 80, Flat);
  DrawButtonFrame(image, 5, FALSE);
  // Left strip x 0..4 and right strip x 95..99; top strip y 0..3 and bottom strip y 76..79.
  EXPECT_NE(test::PixelAt(image, 4, 40), Grey(100));
  EXPECT_EQ(test::PixelAt(image, 5, 40), Grey(100));
  EXPECT_EQ(test::PixelAt(image, 94, 40), Grey(100));
  EXPECT_NE(test::PixelAt(image, 95, 40), Grey(100));
  EXPECT_NE(test::PixelAt(image, 50, 3), Grey(100));
  EXPECT_EQ(test::PixelAt(image, 50, 4), Grey(100));
  EXPECT_EQ(test::PixelAt(image, 50, 75), Grey(100));
  EXPECT_NE(test::PixelAt(image, 50, 76), Grey(100));
  // The left strip is light, 128 at the outer edge rising inwards; the right strip dark.
  EXPECT_EQ(test::PixelAt(image, 0, 40), Grey(128));
  EXPECT_EQ(test::PixelAt(image, 2, 40), Grey(179));
  EXPECT_EQ(test::PixelAt(image, 4, 40), Grey(230));
  EXPECT_EQ(test::PixelAt(image, 99, 40), Grey(0));
  EXPECT_EQ(test::PixelAt(image, 50, 79), Grey(0));
  // Corners: top-left light; top-right falls on the dark side of its diagonal (I 0.9 > J 0.875).
  EXPECT_EQ(test::PixelAt(image, 0, 0), Grey(128));
  EXPECT_EQ(test::PixelAt(image, 99, 0), Grey(0));
}

TEST(ButtonFrameTest, BlendingFadesTheFrameTowardsTheInside) {
  CDibImage image;
  test::Fill(image, 100, 80, Flat);
  DrawButtonFrame(image, 5, TRUE);
  // (2, 40): colour 179, I = 0.5, alpha 128: (100 × 128 + 179 × 128 + 128) >> 8 = 140.
  EXPECT_EQ(test::PixelAt(image, 2, 40), Grey(140));
  // (4, 40): colour 230, I = 0.1, alpha 25: (100 × 231 + 230 × 25 + 128) >> 8 = 113.
  EXPECT_EQ(test::PixelAt(image, 4, 40), Grey(113));
  // (0, 0): colour 128, I = 0.9, alpha 230: (100 × 26 + 128 × 230 + 128) >> 8 = 125.
  EXPECT_EQ(test::PixelAt(image, 0, 0), Grey(125));
  EXPECT_EQ(test::PixelAt(image, 50, 40), Grey(100));
}

TEST(ButtonFrameTest, A12By10TileByHand) {
  // W1 = 11, H1 = 9: both strips are one pixel (bx = trunc(1.05), by = trunc(0.95) raised to 1).
  // Every frame pixel lies half deep (I or J = 0.5, alpha 128). The top row and the left column
  // are light (128), the top-right and bottom-left corners included as their diagonal seams;
  // the rest of the right column and of the bottom row is dark (0).
  CDibImage image;
  test::Fill(image, 12, 10, Flat);
  DrawButtonFrame(image, 5, TRUE);
  const Bgr light = Grey((100 * 128 + 128 * 128 + 128) >> 8);  // 114
  const Bgr dark = Grey((100 * 128 + 128) >> 8);               // 50
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 12; ++x) {
      Bgr expected = Grey(100);
      if (y == 0 || x == 0) expected = light;
      else if (x == 11 || y == 9) expected = dark;
      EXPECT_EQ(test::PixelAt(image, x, y), expected) << "(" << x << ", " << y << ")";
    }
}

TEST(ButtonFrameTest, AOneByOneTileIsAllFrame) {
  CDibImage image;
  test::Fill(image, 1, 1, Flat);
  DrawButtonFrame(image, 5, FALSE);
  EXPECT_EQ(test::PixelAt(image, 0, 0), Grey(128));
  test::Fill(image, 1, 1, Flat);
  DrawButtonFrame(image, 5, TRUE);
  EXPECT_EQ(test::PixelAt(image, 0, 0), Grey(114));
}

TEST(ButtonFrameTest, MatchesTheFormulaOnManySizes) {
  for (const bool blended : {false, true})
    for (const int p : {5, 0, 1, 12})
      for (const auto& [w, h] : {std::pair{12, 10}, {1, 1}, {2, 2}, {1, 7}, {9, 1}, {3, 2},
                                {7, 3}, {21, 21}, {40, 9}, {60, 45}, {100, 80}, {45, 60}})
        ExpectMatchesReference(w, h, p, blended);
}

TEST(ButtonFrameTest, HugeThicknessFramesEverythingWithoutOverflow) {
  ExpectMatchesReference(30, 20, 1000, true);
  CDibImage image;
  test::Fill(image, 30, 20, Flat);
  DrawButtonFrame(image, 2147483647, TRUE);  // strips far wider than the image
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 30; ++x) ASSERT_NE(test::PixelAt(image, x, y), Grey(100));
}

TEST(ButtonFrameTest, OnlyTwentyFourBitImagesAreFramed) {
  CDibImage image;
  ASSERT_TRUE(image.Create(8, 8, FALSE));
  std::fill(image.GetBits(), image.GetBits() + image.GetImageBytes(), std::uint8_t{77});
  DrawButtonFrame(image, 5, TRUE);
  EXPECT_TRUE(std::all_of(image.GetBits(), image.GetBits() + image.GetImageBytes(),
                          [](std::uint8_t b) { return b == 77; }));
  CDibImage empty;
  DrawButtonFrame(empty, 5, TRUE);
  EXPECT_FALSE(empty.IsValid());
}

}  // namespace
