// The enlargement made a rectangle at a time, or at chosen columns and rows only: every pixel
// has the bytes of the literal reading of the enlarging rules, wherever the rectangle starts,
// however narrow it is and in whatever order one thread's rows are turned to it.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "ResampleReference.h"
#include "image/Enlargement.h"
#include "support/TestSupport.h"

namespace {

struct Sizes {
  int sourceWidth;
  int sourceHeight;
  int width;
  int height;
};

// Source widths from one pixel, and factors from none (every block of four columns fits a
// shuffle) to a few percent (many do not), to sevenfold.
constexpr Sizes kSizes[] = {
    {1, 1, 5, 3},      {3, 5, 3, 5},    {17, 6, 18, 13}, {40, 9, 43, 9},
    {40, 23, 120, 70}, {13, 7, 93, 50}, {64, 4, 97, 11}, {2, 30, 9, 31},
};

int Between(std::mt19937& random, int low, int high) {
  return std::uniform_int_distribution<int>(low, high)(random);
}

// A random increasing selection of [0, count), never empty.
std::vector<int> SomeOf(std::mt19937& random, int count) {
  std::vector<int> picked;
  for (int i = 0; i < count; ++i)
    if (Between(random, 0, 2) == 0) picked.push_back(i);
  if (picked.empty()) picked.push_back(Between(random, 0, count - 1));
  return picked;
}

}  // namespace

TEST(Enlargement, ARectangleAnywhereHasTheBytesOfTheWholeEnlargement) {
  std::mt19937 random(2026);
  for (const Sizes& s : kSizes) {
    CDibImage source;
    test::Fill(source, s.sourceWidth, s.sourceHeight, ref::Noise);
    const ref::Picture whole = ref::EnlargeBoth(source, s.width, s.height);
    const CEnlargement enlargement(source, s.width, s.height);
    ASSERT_TRUE(enlargement.HasMemory());
    CEnlargement::Rows rows(enlargement, s.width);
    ASSERT_TRUE(rows.HasMemory());
    CDibImage target;
    ASSERT_TRUE(target.Create(s.width + 3, s.height + 2, TRUE));
    for (int trial = 0; trial < 40; ++trial) {
      const int x = Between(random, 0, s.width - 1), y = Between(random, 0, s.height - 1);
      const int w = Between(random, 1, s.width - x), h = Between(random, 1, s.height - y);
      const int tx = Between(random, 0, 3), ty = Between(random, 0, 2);
      enlargement.Paint(target, tx, ty, x, y, w, h, rows);
      for (int i = 0; i < h; ++i)
        for (int j = 0; j < w; ++j)
          ASSERT_EQ(test::PixelAt(target, tx + j, ty + i), whole.pixels[(y + i) * s.width + x + j])
              << s.sourceWidth << " x " << s.sourceHeight << " -> " << s.width << " x " << s.height
              << ", rectangle " << w << " x " << h << " at " << x << ", " << y;
    }
  }
}

TEST(Enlargement, ChosenColumnsAndRowsHaveTheBytesOfTheWholeEnlargement) {
  std::mt19937 random(7);
  for (const Sizes& s : kSizes) {
    CDibImage source;
    test::Fill(source, s.sourceWidth, s.sourceHeight, ref::Noise);
    const ref::Picture whole = ref::EnlargeBoth(source, s.width, s.height);
    for (int trial = 0; trial < 5; ++trial) {
      const std::vector<int> columns = SomeOf(random, s.width), rows = SomeOf(random, s.height);
      const CEnlargement picked(source, s.width, s.height, columns, rows);
      ASSERT_TRUE(picked.HasMemory());
      ASSERT_EQ(picked.GetWidth(), static_cast<int>(columns.size()));
      ASSERT_EQ(picked.GetHeight(), static_cast<int>(rows.size()));
      CEnlargement::Rows spread(picked, picked.GetWidth());
      CDibImage image;
      ASSERT_TRUE(image.Create(picked.GetWidth(), picked.GetHeight(), TRUE));
      picked.Paint(image, 0, 0, 0, 0, picked.GetWidth(), picked.GetHeight(), spread);
      for (std::size_t i = 0; i < rows.size(); ++i)
        for (std::size_t j = 0; j < columns.size(); ++j)
          ASSERT_EQ(test::PixelAt(image, static_cast<int>(j), static_cast<int>(i)),
                    whole.pixels[rows[i] * s.width + columns[j]])
              << s.sourceWidth << " x " << s.sourceHeight << " -> " << s.width << " x " << s.height
              << " at column " << columns[j] << ", row " << rows[i];
    }
  }
}
