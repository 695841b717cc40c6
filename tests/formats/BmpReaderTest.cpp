#include "formats/BmpReader.h"

#include <gtest/gtest.h>

#include <cstring>

#include "formats/ImageFile.h"
#include "support/TestSupport.h"

using test::Bgr;
using test::Bytes;
using test::PixelAt;
using test::Put16;
using test::Put32;

namespace {

struct BmpFields {
  int width = 1;
  int height = 1;
  int bitCount = 24;
  std::uint32_t compression = 0;
  std::uint32_t clrUsed = 0;
  std::vector<Bgr> table;  // written as 4-byte entries (3-byte with the 12-byte header)
  Bytes pixels;            // the file rows, bottom row first
  bool coreHeader = false;
  std::uint32_t offBits = 0;  // 0: right after the colour table
};

Bytes MakeBmp(const BmpFields& s) {
  Bytes info;
  if (s.coreHeader) {
    Put32(info, 12);
    Put16(info, static_cast<std::uint32_t>(s.width));
    Put16(info, static_cast<std::uint32_t>(s.height));
    Put16(info, 1);
    Put16(info, static_cast<std::uint32_t>(s.bitCount));
  } else {
    Put32(info, 40);
    Put32(info, static_cast<std::uint32_t>(s.width));
    Put32(info, static_cast<std::uint32_t>(s.height));
    Put16(info, 1);
    Put16(info, static_cast<std::uint32_t>(s.bitCount));
    Put32(info, s.compression);
    for (int i = 0; i < 3; ++i) Put32(info, 0);
    Put32(info, s.clrUsed);
    Put32(info, 0);
  }
  for (const Bgr& c : s.table) {
    info.insert(info.end(), c.begin(), c.end());
    if (!s.coreHeader) info.push_back(0);
  }
  const std::uint32_t offBits = s.offBits ? s.offBits : static_cast<std::uint32_t>(14 + info.size());
  Bytes file = {'B', 'M'};
  Put32(file, static_cast<std::uint32_t>(14 + info.size() + s.pixels.size()));
  Put32(file, 0);
  Put32(file, offBits);
  file.insert(file.end(), info.begin(), info.end());
  file.insert(file.end(), s.pixels.begin(), s.pixels.end());
  return file;
}

std::string WriteBmp(const std::string& name, const BmpFields& fields) {
  const std::string path = test::ScratchPath(name);
  test::WriteFile(path, MakeBmp(fields));
  return path;
}

const Bgr kRed = {0, 0, 255}, kGreen = {0, 255, 0}, kBlue = {255, 0, 0}, kBlack = {0, 0, 0};

}  // namespace

TEST(BmpReader, TwentyFourBitRowsAreCopiedUnchanged) {
  BmpFields s;
  s.width = 3;
  s.height = 2;
  // Bottom row first; 9 pixel bytes and 3 padding bytes per row.
  s.pixels = {1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 0, 0, 11, 12, 13, 14, 15, 16, 17, 18, 19, 0, 0, 0};
  CDibImage image;
  ASSERT_TRUE(Load(image, WriteBmp("rgb24.bmp", s)));
  ASSERT_EQ(image.GetWidth(), 3);
  EXPECT_EQ(PixelAt(image, 0, 1), (Bgr{1, 2, 3}));
  EXPECT_EQ(PixelAt(image, 2, 0), (Bgr{17, 18, 19}));
  EXPECT_EQ(0, std::memcmp(image.GetBits(), s.pixels.data(), s.pixels.size()));
}

TEST(BmpReader, OneBitPixelsTakeBitsMostSignificantFirst) {
  BmpFields s;
  s.width = 10;
  s.bitCount = 1;
  s.table = {kRed, kGreen};
  s.pixels = {0b10100000, 0b10000000, 0, 0};  // a row of 4 bytes
  CDibImage image;
  ASSERT_TRUE(Load(image, WriteBmp("mono.bmp", s)));
  EXPECT_EQ(PixelAt(image, 0, 0), kGreen);
  EXPECT_EQ(PixelAt(image, 1, 0), kRed);
  EXPECT_EQ(PixelAt(image, 2, 0), kGreen);
  EXPECT_EQ(PixelAt(image, 8, 0), kGreen);  // top bit of the second byte
  EXPECT_EQ(PixelAt(image, 9, 0), kRed);
}

TEST(BmpReader, FourBitTableOfThreeLeavesOtherIndexesBlack) {
  BmpFields s;
  s.width = 4;
  s.bitCount = 4;
  s.clrUsed = 3;
  s.table = {kRed, kGreen, kBlue};
  s.pixels = {0x12, 0x3F, 0, 0};
  CDibImage image;
  // An earlier file with a full table must not leak its colours into this one.
  BmpFields full = s;
  full.clrUsed = 16;
  full.table.assign(16, Bgr{200, 200, 200});
  ASSERT_TRUE(Load(image, WriteBmp("full4.bmp", full)));
  ASSERT_TRUE(Load(image, WriteBmp("three4.bmp", s)));
  EXPECT_EQ(PixelAt(image, 0, 0), kGreen);
  EXPECT_EQ(PixelAt(image, 1, 0), kBlue);
  EXPECT_EQ(PixelAt(image, 2, 0), kBlack);
  EXPECT_EQ(PixelAt(image, 3, 0), kBlack);
}

TEST(BmpReader, EightBitWithoutColourCountReadsAllEntries) {
  BmpFields s;
  s.width = 2;
  s.bitCount = 8;
  for (int i = 0; i < 256; ++i)
    s.table.push_back({static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(255 - i), 7});
  s.pixels = {0, 255, 0, 0};
  CDibImage image;
  ASSERT_TRUE(Load(image, WriteBmp("pal8.bmp", s)));
  EXPECT_EQ(PixelAt(image, 0, 0), (Bgr{0, 255, 7}));
  EXPECT_EQ(PixelAt(image, 1, 0), (Bgr{255, 0, 7}));
}

TEST(BmpReader, CoreHeaderPixelsFollowTheTableWhateverTheOffsetSays) {
  BmpFields s;
  s.coreHeader = true;
  s.width = 2;
  s.bitCount = 24;
  s.offBits = 1000;
  s.pixels = {1, 2, 3, 4, 5, 6, 0, 0};
  // 40 bytes of information header are always read: pad the file past 54 bytes.
  s.pixels.resize(40, 0);
  CDibImage image;
  ASSERT_TRUE(Load(image, WriteBmp("core24.bmp", s)));
  EXPECT_EQ(PixelAt(image, 1, 0), (Bgr{4, 5, 6}));

  BmpFields pal = s;
  pal.bitCount = 1;
  pal.table = {kBlue, kRed};
  pal.pixels = {0x40, 0, 0, 0};
  pal.pixels.resize(40, 0);
  ASSERT_TRUE(Load(image, WriteBmp("core1.bmp", pal)));
  EXPECT_EQ(PixelAt(image, 0, 0), kBlue);
  EXPECT_EQ(PixelAt(image, 1, 0), kRed);

  s.pixels.resize(8);  // 34 bytes in all: the 40-byte header read comes up short
  int w, h;
  EXPECT_FALSE(Probe(image, WriteBmp("core-short.bmp", s), w, h));
}

TEST(BmpReader, ProbeAcceptsWhatTheReadRefusesByBitCount) {
  CDibImage image;
  int w = 0, h = 0;
  for (int bits : {16, 32}) {
    BmpFields s;
    s.width = 5;
    s.height = 4;
    s.bitCount = bits;
    s.pixels.assign(static_cast<std::size_t>(DibRowBytes(5, bits) * 4), 0);
    const std::string path = WriteBmp("deep.bmp", s);
    EXPECT_TRUE(Probe(image, path, w, h));
    EXPECT_EQ(w, 5);
    EXPECT_EQ(h, 4);
    EXPECT_FALSE(Load(image, path)) << bits;
  }
  for (std::uint32_t compression : {1u, 2u}) {
    BmpFields s;
    s.bitCount = 8;
    s.compression = compression;
    s.table.assign(256, kRed);
    s.pixels = {0, 0, 0, 0};
    const std::string path = WriteBmp("rle.bmp", s);
    EXPECT_FALSE(Probe(image, path, w, h));
    EXPECT_FALSE(Load(image, path));
  }
  BmpFields topDown;
  topDown.height = -2;
  topDown.pixels.assign(8, 0);
  EXPECT_FALSE(Probe(image, WriteBmp("topdown.bmp", topDown), w, h));
  EXPECT_FALSE(Load(image, WriteBmp("topdown.bmp", topDown)));
}

TEST(BmpReader, RefusesColourCountsAboveTheTable) {
  BmpFields s;
  s.bitCount = 8;
  s.clrUsed = 257;
  s.table.assign(257, kRed);
  s.pixels = {0, 0, 0, 0};
  CDibImage image;
  EXPECT_FALSE(Load(image, WriteBmp("clr257.bmp", s)));
}

TEST(BmpReader, SizesThatCannotBeAllocatedAreRefusedNotCrashed) {
  CDibImage image;
  for (auto [w, h] : {std::pair{0x7FFFFFFF, 1}, std::pair{0x40000000, 0x40000000}}) {
    BmpFields s;
    s.width = w;
    s.height = h;
    s.pixels.assign(64, 0);
    EXPECT_FALSE(Load(image, WriteBmp("huge.bmp", s)));
    EXPECT_FALSE(image.IsValid());
  }
}

TEST(BmpReader, TruncatedFileKeepsTheBottomRowsAndBlackensTheRest) {
  CDibImage original;
  test::Fill(original, 5, 6, [](int x, int y) {
    return Bgr{static_cast<std::uint8_t>(x + 1), static_cast<std::uint8_t>(y + 1), 99};
  });
  const std::size_t rowBytes = original.GetRowBytes();
  BmpFields s;
  s.width = 5;
  s.height = 6;
  s.pixels.assign(original.GetBits(), original.GetBits() + 3 * rowBytes + 5);  // 3 rows and a bit
  CDibImage image;
  ASSERT_TRUE(Load(image, WriteBmp("cut.bmp", s)));
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 5; ++x)
      EXPECT_EQ(PixelAt(image, x, y), y >= 3 ? PixelAt(original, x, y) : kBlack) << x << "," << y;
}

TEST(BmpReader, ExpandRowsSelectTableEntries) {
  const RGBQUAD table[16] = {{1, 2, 3, 0}, {4, 5, 6, 0}, {7, 8, 9, 0}};
  const std::uint8_t source[] = {0x21, 0x00};
  std::uint8_t out[3 * 4] = {};
  ExpandRow4(out, source, 3, table);
  const std::uint8_t expected4[] = {7, 8, 9, 4, 5, 6, 1, 2, 3};
  EXPECT_EQ(0, std::memcmp(out, expected4, sizeof expected4));
  const std::uint8_t indexes[] = {2, 0};
  ExpandRow8(out, indexes, 2, table);
  const std::uint8_t expected8[] = {7, 8, 9, 1, 2, 3};
  EXPECT_EQ(0, std::memcmp(out, expected8, sizeof expected8));
}
