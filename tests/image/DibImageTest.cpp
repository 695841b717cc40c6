#include "image/DibImage.h"

#include <gtest/gtest.h>

#include <cstring>

#include "support/TestSupport.h"

using test::Bgr;
using test::Fill;
using test::Pattern;
using test::PixelAt;

namespace {

Bgr Gray(std::uint8_t v) { return {v, v, v}; }

}  // namespace

TEST(DibImageLayout, RowsArePaddedToFourBytesAndZeroed) {
  EXPECT_EQ(DibRowBytes(3, 24), 12);
  EXPECT_EQ(DibRowBytes(5, 8), 8);
  EXPECT_EQ(DibRowBytes(10, 1), 4);
  // No overflow for the widest width a 32-bit header can hold.
  EXPECT_EQ(DibRowBytes(0x7FFFFFFF, 24), 6442450944LL);

  CDibImage image;
  ASSERT_TRUE(image.Create(3, 2, TRUE));
  EXPECT_EQ(image.GetRowBytes(), 12u);
  EXPECT_EQ(image.GetImageBytes(), 24u);
  for (std::size_t i = 0; i < image.GetImageBytes(); ++i) EXPECT_EQ(image.GetBits()[i], 0);
}

TEST(DibImageLayout, ImagesMadeFromFreedMemoryAreBlackToo) {
  // Freed pixel blocks are kept for reuse: a new image must not show an old one's bytes.
  for (auto [w, h] : {std::pair{900, 700}, std::pair{700, 900}, std::pair{640, 500}}) {
    {
      CDibImage old;
      Fill(old, 900, 700, [](int, int) { return Gray(0xAB); });
    }
    CDibImage image;
    ASSERT_TRUE(image.Create(w, h, TRUE));
    const std::uint8_t* bits = image.GetBits();
    for (std::size_t i = 0; i < image.GetImageBytes(); ++i) ASSERT_EQ(bits[i], 0) << i;
    EXPECT_EQ(image.GetInfoHeader()->biWidth, w);
  }
}

TEST(DibImageLayout, CreatingAgainAtTheSameSizeKeepsTheBlockAndBlacksIt) {
  CDibImage image;
  Fill(image, 33, 17, [](int, int) { return Gray(0xCD); });
  const std::uint8_t* block = image.GetBits();
  ASSERT_TRUE(image.Create(33, 17, TRUE));
  EXPECT_EQ(image.GetBits(), block);
  for (std::size_t i = 0; i < image.GetImageBytes(); ++i) ASSERT_EQ(image.GetBits()[i], 0) << i;
  // Another size, or an 8-bit image, gets a block of its own.
  ASSERT_TRUE(image.Create(17, 33, TRUE));
  EXPECT_EQ(image.GetWidth(), 17);
  ASSERT_TRUE(image.Create(17, 33, FALSE));
  EXPECT_EQ(image.GetBitCount(), 8);
}

TEST(DibImageLayout, HeaderDescribesABottomUpBitmap) {
  CDibImage image;
  ASSERT_TRUE(image.Create(1, 1, TRUE));
  const BITMAPINFOHEADER* h = image.GetInfoHeader();
  EXPECT_EQ(h->biSize, 40u);
  EXPECT_EQ(h->biWidth, 1);
  EXPECT_EQ(h->biHeight, 1);
  EXPECT_EQ(h->biPlanes, 1);
  EXPECT_EQ(h->biBitCount, 24);
  EXPECT_EQ(h->biCompression, 0u);
  EXPECT_EQ(h->biClrUsed, 0u);
  // The block holds header, a 256-entry colour table and the one padded row: 1068 bytes.
  EXPECT_EQ(image.GetBits() - reinterpret_cast<std::uint8_t*>(image.GetInfoHeader()), 1064);
  EXPECT_EQ(PixelAt(image, 0, 0), Gray(0));
  EXPECT_TRUE(image.IsValid());
}

TEST(DibImageLayout, TopLeftAddressingWalksRowsBackwards) {
  CDibImage image;
  ASSERT_TRUE(image.Create(4, 3, TRUE));
  // (0, 0) is the first pixel of the last stored row; (0, height - 1) the first stored byte.
  EXPECT_EQ(image.GetPixelAddress(0, 0), image.GetBits() + 2 * image.GetRowBytes());
  EXPECT_EQ(image.GetPixelAddress(0, 2), image.GetBits());
  EXPECT_EQ(image.GetPixelAddress(3, 1), image.GetBits() + image.GetRowBytes() + 9);

  CDibImage gray;
  ASSERT_TRUE(gray.Create(5, 2, FALSE));
  EXPECT_EQ(gray.GetPixelAddress(4, 0), gray.GetBits() + gray.GetRowBytes() + 4);
}

TEST(DibImageCreate, RefusesSizesThatCannotBeAllocated) {
  CDibImage image;
  EXPECT_FALSE(image.Create(0, 5, TRUE));
  EXPECT_FALSE(image.Create(5, -1, TRUE));
  // Rows of more than 2 GB do not fit the signed row arithmetic of the format.
  EXPECT_FALSE(image.Create(0x7FFFFFFF, 1, TRUE));
  EXPECT_FALSE(image.IsValid());
  EXPECT_EQ(image.GetBits(), nullptr);
  // 8-bit images need a palette: an empty colour table makes no valid image.
  EXPECT_FALSE(image.Create(4, 4, FALSE, nullptr, 300));
}

TEST(DibImageCreate, EightBitImagesKeepTheirColourTable) {
  RGBQUAD table[2] = {{1, 2, 3, 9}, {4, 5, 6, 9}};
  CDibImage image;
  ASSERT_TRUE(image.Create(5, 2, FALSE, table, 2));
  EXPECT_TRUE(image.IsValid());
  EXPECT_EQ(image.GetInfoHeader()->biClrUsed, 2u);
  EXPECT_EQ(image.GetColorTable()[1].rgbRed, 6);
  CDibImage noTable;
  ASSERT_TRUE(noTable.Create(5, 2, FALSE, nullptr, 0));
  EXPECT_FALSE(noTable.IsValid());
}

TEST(DibImagePixels, ReleaseCloseAndTakePixels) {
  CDibImage a, b;
  Fill(a, 3, 2, Pattern);
  ASSERT_TRUE(b.Create(7, 7, TRUE));
  b.TakePixels(a);
  EXPECT_EQ(b.GetWidth(), 3);
  EXPECT_EQ(b.GetHeight(), 2);
  EXPECT_EQ(PixelAt(b, 2, 1), Pattern(2, 1));
  EXPECT_EQ(a.GetBits(), nullptr);
  EXPECT_FALSE(a.IsValid());
  b.ReleasePixels();
  EXPECT_FALSE(b.IsValid());
  b.Close();
  EXPECT_EQ(b.GetBits(), nullptr);
}

TEST(DibImagePixels, ClearBlackensEveryByte) {
  CDibImage image;
  Fill(image, 5, 3, Pattern);
  image.Clear();
  for (std::size_t i = 0; i < image.GetImageBytes(); ++i) ASSERT_EQ(image.GetBits()[i], 0);
}

TEST(DibImageCopyRect, CopiesTheClippedRectangleOnly) {
  CDibImage source, target;
  Fill(source, 6, 5, Pattern);
  Fill(target, 4, 4, [](int, int) { return Gray(7); });
  target.CopyRect(source, 1, 2, 2, 5, 3, 1);  // h cut to target height - dy = 2
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) {
      const bool inside = x >= 1 && x < 3 && y >= 2 && y < 4;
      EXPECT_EQ(PixelAt(target, x, y), inside ? Pattern(x + 2, y - 1) : Gray(7)) << x << "," << y;
    }
}

TEST(DibImageCopyRect, MinusOneCopiesAsMuchAsFits) {
  CDibImage source, target;
  Fill(source, 3, 2, Pattern);
  Fill(target, 5, 5, [](int, int) { return Gray(9); });
  target.CopyRect(source, 1, 1, -1, -1, 0, 0);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 5; ++x) {
      const bool inside = x >= 1 && x < 4 && y >= 1 && y < 3;
      EXPECT_EQ(PixelAt(target, x, y), inside ? Pattern(x - 1, y - 1) : Gray(9));
    }
}

TEST(DibImageCopyRect, OutOfRangeOriginsDoNothing) {
  CDibImage source, target;
  Fill(source, 3, 3, Pattern);
  Fill(target, 3, 3, [](int, int) { return Gray(5); });
  const int origins[][4] = {{3, 0, 0, 0}, {0, 3, 0, 0}, {-1, 0, 0, 0}, {0, 0, 3, 0},
                            {0, 0, 0, 3}, {0, 0, 0, -1}};
  for (const auto& o : origins) target.CopyRect(source, o[0], o[1], -1, -1, o[2], o[3]);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 3; ++x) EXPECT_EQ(PixelAt(target, x, y), Gray(5));
}

TEST(DibImageCropToRect, KeepsTheRectangleAndItsDepth) {
  CDibImage image;
  Fill(image, 6, 4, Pattern);
  ASSERT_TRUE(image.CropToRect(2, 1, -1, -1));
  ASSERT_EQ(image.GetWidth(), 4);
  ASSERT_EQ(image.GetHeight(), 3);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_EQ(PixelAt(image, x, y), Pattern(x + 2, y + 1));

  ASSERT_TRUE(image.CropToRect(1, 1, 10, 1));  // width cut to what is left
  EXPECT_EQ(image.GetWidth(), 3);
  EXPECT_EQ(image.GetHeight(), 1);
  EXPECT_EQ(PixelAt(image, 0, 0), Pattern(3, 2));
}

TEST(DibImageCropToRect, RefusesOriginsOutsideAndLeavesTheImage) {
  CDibImage image;
  Fill(image, 4, 3, Pattern);
  EXPECT_FALSE(image.CropToRect(4, 0, -1, -1));
  EXPECT_FALSE(image.CropToRect(0, 3, -1, -1));
  EXPECT_FALSE(image.CropToRect(-1, 0, 2, 2));
  EXPECT_FALSE(image.CropToRect(0, 0, 0, 2));
  EXPECT_EQ(image.GetWidth(), 4);
  EXPECT_EQ(PixelAt(image, 3, 2), Pattern(3, 2));

  RGBQUAD table[3] = {{1, 1, 1, 0}, {2, 2, 2, 0}, {3, 3, 3, 0}};
  CDibImage indexed;
  ASSERT_TRUE(indexed.Create(5, 2, FALSE, table, 3));
  indexed.GetPixelAddress(4, 1)[0] = 2;
  ASSERT_TRUE(indexed.CropToRect(3, 1, -1, -1));
  EXPECT_EQ(indexed.GetBitCount(), 8);
  EXPECT_EQ(indexed.GetColorTable()[2].rgbRed, 3);
  EXPECT_EQ(indexed.GetPixelAddress(1, 0)[0], 2);
  EXPECT_TRUE(indexed.IsValid());
}

TEST(DibImageRotateLeft, TurnsAQuarterCounterClockwise) {
  CDibImage image;
  Fill(image, 4, 2, Pattern);
  ASSERT_TRUE(image.RotateLeft());
  ASSERT_EQ(image.GetWidth(), 2);
  ASSERT_EQ(image.GetHeight(), 4);
  EXPECT_EQ(PixelAt(image, 0, 0), Pattern(3, 0));  // former top-right
  EXPECT_EQ(PixelAt(image, 0, 3), Pattern(0, 0));  // former top-left
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 2; ++x) EXPECT_EQ(PixelAt(image, x, y), Pattern(3 - y, x));
}

TEST(DibImageRotateLeft, TallImagesAndEightBitImagesTurnAlike) {
  // Taller than the band of rows the turn works through, with a partial last band.
  CDibImage image;
  Fill(image, 7, 75, Pattern);
  ASSERT_TRUE(image.RotateLeft());
  ASSERT_EQ(image.GetWidth(), 75);
  ASSERT_EQ(image.GetHeight(), 7);
  for (int y = 0; y < 7; ++y)
    for (int x = 0; x < 75; ++x) ASSERT_EQ(PixelAt(image, x, y), Pattern(6 - y, x)) << x << "," << y;

  RGBQUAD table[2] = {};
  CDibImage indexed;
  ASSERT_TRUE(indexed.Create(5, 40, FALSE, table, 2));
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 5; ++x) *indexed.GetPixelAddress(x, y) = static_cast<std::uint8_t>(x * 40 + y);
  ASSERT_TRUE(indexed.RotateLeft());
  ASSERT_EQ(indexed.GetWidth(), 40);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 40; ++x) ASSERT_EQ(*indexed.GetPixelAddress(x, y), (4 - y) * 40 + x);
}

TEST(DibImageStretchFrom, NearestNeighbourRepeatsPixels) {
  CDibImage source, target;
  Fill(source, 2, 2, Pattern);
  Fill(target, 5, 5, [](int, int) { return Gray(3); });
  target.StretchFrom(0, 0, 4, 4, source);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 5; ++x)
      EXPECT_EQ(PixelAt(target, x, y), (x < 4 && y < 4) ? Pattern(x / 2, y / 2) : Gray(3));
}

TEST(DibImageStretchFrom, ReducesByFlooredPositionsAndClipsAtTheEdges) {
  CDibImage source, target;
  Fill(source, 7, 5, Pattern);
  Fill(target, 4, 4, [](int, int) { return Gray(3); });
  // The height is cut to 2 before the positions are computed, so the whole source is squeezed
  // into the rows that remain.
  target.StretchFrom(1, 2, 3, 3, source);
  for (int i = 0; i < 2; ++i)
    for (int j = 0; j < 3; ++j) EXPECT_EQ(PixelAt(target, 1 + j, 2 + i), Pattern(j * 7 / 3, i * 5 / 2));
  EXPECT_EQ(PixelAt(target, 0, 2), Gray(3));
  EXPECT_EQ(PixelAt(target, 1, 1), Gray(3));

  CDibImage untouched;
  Fill(untouched, 2, 2, [](int, int) { return Gray(1); });
  untouched.StretchFrom(2, 0, 1, 1, source);
  untouched.StretchFrom(-1, 0, 2, 2, source);
  untouched.StretchFrom(0, 0, 0, 2, source);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 2; ++x) EXPECT_EQ(PixelAt(untouched, x, y), Gray(1));
}

TEST(DibImageBlendFrom, WeighsOwnAndSourceBytesWithTruncation) {
  CDibImage own, source;
  Fill(own, 2, 2, [](int, int) { return Gray(200); });
  Fill(source, 3, 3, [](int x, int y) { return Gray(static_cast<std::uint8_t>(40 + x + 10 * y)); });
  own.BlendFrom(source, 1, 1, 1, 1, 3, 5);
  // (5 × 200 + 3 × 51) / 8 = 144; only the top-left w × h of this image changes.
  EXPECT_EQ(PixelAt(own, 0, 0), Gray(144));
  EXPECT_EQ(PixelAt(own, 1, 0), Gray(200));

  Fill(own, 1, 1, [](int, int) { return Gray(200); });
  Fill(source, 1, 1, [](int, int) { return Gray(40); });
  own.BlendFrom(source, 0, 0, 1, 1, 3, 5);
  EXPECT_EQ(PixelAt(own, 0, 0), Gray(140));
  // A weight sum that is not a power of two divides the same way.
  Fill(own, 1, 1, [](int, int) { return Gray(200); });
  own.BlendFrom(source, 0, 0, 1, 1, 1, 2);
  EXPECT_EQ(PixelAt(own, 0, 0), Gray(146));
  // The largest weights that still divide by shifting: 256 × 255 must not wrap.
  Fill(own, 1, 1, [](int, int) { return Gray(255); });
  Fill(source, 1, 1, [](int, int) { return Gray(255); });
  own.BlendFrom(source, 0, 0, 1, 1, 56, 200);
  EXPECT_EQ(PixelAt(own, 0, 0), Gray(255));
  own.BlendFrom(source, 0, 0, 1, 1, 300, 212);  // sum 512: the wide arithmetic
  EXPECT_EQ(PixelAt(own, 0, 0), Gray(255));
}

TEST(DibImageBlendFrom, RectanglesOutsideEitherImageDoNothing) {
  CDibImage own, source;
  Fill(own, 2, 2, [](int, int) { return Gray(10); });
  Fill(source, 3, 3, [](int, int) { return Gray(250); });
  own.BlendFrom(source, 2, 0, 2, 2, 4, 4);   // x + w past the source
  own.BlendFrom(source, -1, 0, 1, 1, 4, 4);  // negative origin
  own.BlendFrom(source, 0, 0, 3, 1, 4, 4);   // wider than this image
  own.BlendFrom(source, 0, 0, 0, 1, 4, 4);   // empty
  own.BlendFrom(source, 0, 0, 1, 1, 0, 0);   // no weight at all
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 2; ++x) EXPECT_EQ(PixelAt(own, x, y), Gray(10));
}
