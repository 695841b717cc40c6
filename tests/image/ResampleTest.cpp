// The two entry points: which procedure runs, what is refused, the nearest-neighbour first
// stage of strong reductions, and resampling in place.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <vector>

#include "ResampleReference.h"
#include "image/Resample.h"
#include "support/TestSupport.h"

using test::Bgr;
using test::PixelAt;

namespace {

// The raw bytes of every row, to prove an image untouched.
std::vector<std::uint8_t> RowBytes(const CDibImage& image) {
  const std::uint8_t* bits = image.GetBits();
  return std::vector<std::uint8_t>(bits, bits + image.GetImageBytes());
}

// A large image of noise, filled a row at a time (a callback per pixel would dominate).
void FillLargeNoise(CDibImage& image, int width, int height) {
  ASSERT_TRUE(image.Create(width, height, TRUE));
  std::uint32_t state = 12345;
  for (int y = 0; y < height; ++y) {
    std::uint8_t* row = image.GetPixelAddress(0, y);
    for (int k = 0; k < 3 * width; ++k) {
      state = state * 1664525u + 1013904223u;
      row[k] = static_cast<std::uint8_t>(state >> 24);
    }
  }
}

}  // namespace

TEST(Resample, EightBitImagesAreRefusedByBothEntryPoints) {
  CDibImage gray;
  ASSERT_TRUE(gray.Create(6, 4, FALSE));
  gray.GetPixelAddress(2, 1)[0] = 7;
  const std::vector<std::uint8_t> before = RowBytes(gray);
  EXPECT_FALSE(Resample(gray, 3, 2));
  EXPECT_EQ(gray.GetWidth(), 6);
  EXPECT_EQ(RowBytes(gray), before);

  CDibImage destination;
  test::Fill(destination, 2, 2, test::Pattern);
  EXPECT_FALSE(ResampleFrom(destination, 3, 2, gray, 0));
  EXPECT_EQ(destination.GetWidth(), 2);
  EXPECT_EQ(PixelAt(destination, 1, 1), test::Pattern(1, 1));

  CDibImage empty;
  EXPECT_FALSE(Resample(empty, 3, 2));
}

TEST(Resample, SizesBelowOneAreRefusedAndChangeNothing) {
  CDibImage image;
  test::Fill(image, 5, 5, ref::Noise);
  const std::vector<std::uint8_t> before = RowBytes(image);
  for (const auto& [w, h] : std::vector<std::pair<int, int>>{{0, 3}, {3, 0}, {-2, 3}, {3, INT_MIN}})
    EXPECT_FALSE(Resample(image, w, h)) << w << " x " << h;
  EXPECT_EQ(RowBytes(image), before);

  CDibImage destination;
  test::Fill(destination, 2, 2, test::Pattern);
  EXPECT_FALSE(ResampleFrom(destination, 0, 0, image, 4));
  EXPECT_EQ(destination.GetWidth(), 2);
}

TEST(Resample, ReducingOrEnlargingEachDirectionChoosesTheProcedure) {
  CDibImage source;
  test::Fill(source, 16, 12, ref::Noise);
  using Reference = ref::Picture (*)(const CDibImage&, int, int);
  struct Case {
    int width, height;
    Reference reference;
    // For an equal size: what would come out if it counted as reducing.
    Reference ifEqualReduced;
  };
  const std::vector<Case> cases{
      {8, 6, ref::ReduceBoth, nullptr},
      {8, 20, ref::ReduceAcrossEnlargeDown, nullptr},
      {8, 12, ref::ReduceAcrossEnlargeDown, ref::ReduceBoth},
      {20, 6, ref::EnlargeAcrossReduceDown, nullptr},
      {16, 6, ref::EnlargeAcrossReduceDown, ref::ReduceBoth},
      {20, 20, ref::EnlargeBoth, nullptr},
      {16, 20, ref::EnlargeBoth, ref::ReduceAcrossEnlargeDown},
      {20, 12, ref::EnlargeBoth, ref::EnlargeAcrossReduceDown},
  };
  for (const Case& c : cases) {
    CDibImage result;
    ASSERT_TRUE(ResampleFrom(result, c.width, c.height, source, 0));
    EXPECT_TRUE(ref::Matches(result, c.reference(source, c.width, c.height)))
        << c.width << " x " << c.height;
    if (c.ifEqualReduced != nullptr) {
      EXPECT_FALSE(ref::Matches(result, c.ifEqualReduced(source, c.width, c.height)))
          << c.width << " x " << c.height;
    }
  }
}

TEST(Resample, InPlaceGivesTheSameBytesAsIntoAnotherImage) {
  CDibImage source;
  test::Fill(source, 13, 9, ref::Noise);
  for (const auto& [w, h] : std::vector<std::pair<int, int>>{{5, 4}, {5, 20}, {30, 4}, {30, 20}}) {
    CDibImage copy;
    ASSERT_TRUE(ResampleFrom(copy, w, h, source, 0));
    EXPECT_EQ(source.GetWidth(), 13);  // the source is only read

    CDibImage inPlace;
    test::Fill(inPlace, 13, 9, ref::Noise);
    ASSERT_TRUE(Resample(inPlace, w, h));
    EXPECT_TRUE(inPlace.IsValid());
    EXPECT_TRUE(test::SamePixels(inPlace, copy)) << w << " x " << h;

    // Naming one image as both destination and source resamples it in place.
    CDibImage self;
    test::Fill(self, 13, 9, ref::Noise);
    ASSERT_TRUE(ResampleFrom(self, w, h, self, 0));
    EXPECT_TRUE(test::SamePixels(self, copy)) << w << " x " << h;
  }
}

TEST(Resample, ADestinationThatCannotBeMadeFailsCleanly) {
  CDibImage image;
  test::Fill(image, 4, 3, ref::Noise);
  const std::vector<std::uint8_t> before = RowBytes(image);
  EXPECT_FALSE(Resample(image, INT_MAX, INT_MAX));
  EXPECT_EQ(RowBytes(image), before);

  CDibImage destination;
  test::Fill(destination, 2, 2, test::Pattern);
  EXPECT_FALSE(ResampleFrom(destination, INT_MAX, INT_MAX, image, 0));
  EXPECT_EQ(destination.GetBits(), nullptr);
  EXPECT_FALSE(destination.IsValid());
}

TEST(ResamplePreShrink, AStrongReductionFirstDrawsTheSourceByNearestNeighbour) {
  CDibImage source;
  FillLargeNoise(source, 4000, 3000);
  CDibImage thumbnail;
  ASSERT_TRUE(ResampleFrom(thumbnail, 100, 75, source, 4));

  // 400 × 300 is smaller than the source, so the box average runs from a stretched copy.
  CDibImage stretched;
  ASSERT_TRUE(stretched.Create(400, 300, TRUE));
  stretched.StretchFrom(0, 0, 400, 300, source);
  CDibImage expected;
  ASSERT_TRUE(ResampleFrom(expected, 100, 75, stretched, 0));
  EXPECT_TRUE(test::SamePixels(thumbnail, expected));

  CDibImage direct;
  ASSERT_TRUE(ResampleFrom(direct, 100, 75, source, 0));
  EXPECT_FALSE(test::SamePixels(thumbnail, direct));
}

TEST(ResamplePreShrink, ANearbySizeOrAnEnlargedDirectionSkipsTheFirstStage) {
  CDibImage source;
  FillLargeNoise(source, 500, 500);
  // 800 × 800 is not smaller than 500 × 500 in either direction.
  CDibImage withFirstStage, without;
  ASSERT_TRUE(ResampleFrom(withFirstStage, 200, 200, source, 4));
  ASSERT_TRUE(ResampleFrom(without, 200, 200, source, 0));
  EXPECT_TRUE(test::SamePixels(withFirstStage, without));

  // Only a reduction in both directions has a first stage.
  ASSERT_TRUE(ResampleFrom(withFirstStage, 20, 600, source, 4));
  ASSERT_TRUE(ResampleFrom(without, 20, 600, source, 0));
  EXPECT_TRUE(test::SamePixels(withFirstStage, without));

  // Smaller in one direction is enough: 4 × 10 is 16 × 40 before the box average.
  CDibImage tall;
  FillLargeNoise(tall, 20, 30);
  ASSERT_TRUE(ResampleFrom(withFirstStage, 4, 10, tall, 4));
  CDibImage stretched;
  ASSERT_TRUE(stretched.Create(16, 40, TRUE));
  stretched.StretchFrom(0, 0, 16, 40, tall);
  EXPECT_TRUE(ref::Matches(withFirstStage, ref::ReduceBoth(stretched, 4, 10)));
}
