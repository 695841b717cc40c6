#include "image/Orientation.h"

#include <gtest/gtest.h>

#include "support/TestSupport.h"

namespace {

// The stored pixel that upright pixel (x, y) shows, for a stored picture of w × h, from the
// meaning of the EXIF tag: where the stored top row and left column appear when upright.
std::pair<int, int> StoredPixel(int orientation, int x, int y, int w, int h) {
  switch (orientation) {
    case 2: return {w - 1 - x, y};          // top row at the top, read right to left
    case 3: return {w - 1 - x, h - 1 - y};  // top row at the bottom, right to left
    case 4: return {x, h - 1 - y};          // top row at the bottom
    case 5: return {y, x};                  // top row down the left side
    case 6: return {y, h - 1 - x};          // top row down the right side
    case 7: return {w - 1 - y, h - 1 - x};  // top row up the right side
    case 8: return {w - 1 - y, x};          // top row up the left side
    default: return {x, y};
  }
}

}  // namespace

TEST(Orientation, EachOfTheEightShowsTheStoredPictureUpright) {
  // Sizes above the walk's block of 64 and odd, so block edges and the middle row and column of
  // the in-place mirrors are all crossed.
  for (const auto& [w, h] : {std::pair{5, 3}, std::pair{70, 131}}) {
    CDibImage stored;
    test::Fill(stored, w, h, test::Pattern);
    for (int orientation = 1; orientation <= 8; ++orientation) {
      CDibImage image;
      test::Fill(image, w, h, test::Pattern);
      ASSERT_TRUE(TurnUpright(image, orientation));
      const bool swapped = OrientationSwapsSides(orientation);
      ASSERT_EQ(image.GetWidth(), swapped ? h : w) << orientation;
      ASSERT_EQ(image.GetHeight(), swapped ? w : h) << orientation;
      for (int y = 0; y < image.GetHeight(); ++y)
        for (int x = 0; x < image.GetWidth(); ++x) {
          const auto [sx, sy] = StoredPixel(orientation, x, y, w, h);
          ASSERT_EQ(test::PixelAt(image, x, y), test::PixelAt(stored, sx, sy))
              << "orientation " << orientation << " at " << x << "," << y;
        }
    }
  }
}

TEST(Orientation, UnknownValuesChangeNothing) {
  CDibImage image, stored;
  test::Fill(image, 4, 3, test::Pattern);
  test::Fill(stored, 4, 3, test::Pattern);
  for (const int value : {0, 9, -1, 65535}) {
    EXPECT_FALSE(IsKnownOrientation(value));
    EXPECT_FALSE(OrientationSwapsSides(value));
    ASSERT_TRUE(TurnUpright(image, value));
    EXPECT_TRUE(test::SamePixels(image, stored));
  }
}
