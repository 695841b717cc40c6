#include "formats/GifReader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "formats/GifTestEncoder.h"
#include "formats/ImageFile.h"
#include "support/TestSupport.h"

namespace {

using namespace gif_test;

std::string Saved(const std::string& name, const Bytes& bytes) {
  const std::string path = test::ScratchPath(name);
  test::WriteFile(path, bytes);
  return path;
}

// One image of width × height pixels under a global table, compressed at codeSize.
GifFile OneImage(int width, int height, const std::vector<int>& pixels, int codeSize,
                 const ColorList& globalTable) {
  GifFile file;
  file.globalTable = globalTable;
  GifImage image;
  image.width = width;
  image.height = height;
  image.codeSize = codeSize;
  image.data = EncodeLzw(pixels, codeSize).bytes;
  file.images.push_back(image);
  return file;
}

// How many pixels, in picture order, show their value under table before the rest, all black,
// begins; a failure when neither holds somewhere.
testing::AssertionResult LeadingPixels(const CDibImage& image, const std::vector<int>& pixels,
                                       const ColorList& table, std::size_t& shown) {
  const int width = image.GetWidth();
  if (static_cast<std::size_t>(width) * image.GetHeight() != pixels.size())
    return testing::AssertionFailure() << "size " << width << " x " << image.GetHeight();
  shown = 0;
  while (shown < pixels.size() &&
         test::PixelAt(image, shown % width, shown / width) == Shown(table, pixels[shown]))
    ++shown;
  for (std::size_t i = shown; i < pixels.size(); ++i)
    if (test::PixelAt(image, i % width, i / width) != test::Bgr{0, 0, 0})
      return testing::AssertionFailure() << "pixel " << i << " is neither its colour nor black";
  return testing::AssertionSuccess();
}

testing::AssertionResult ShowsAll(const CDibImage& image, const std::vector<int>& pixels,
                                  const ColorList& table) {
  std::size_t shown = 0;
  testing::AssertionResult result = LeadingPixels(image, pixels, table, shown);
  if (result && shown != pixels.size())
    return testing::AssertionFailure() << "pixel " << shown << " differs";
  return result;
}

// Writes, probes and loads bytes; the probe must report the loaded size.
testing::AssertionResult LoadsAs(const Bytes& bytes, CDibImage& image, int width, int height) {
  const std::string path = Saved("picture.gif", bytes);
  int probedWidth = 0, probedHeight = 0;
  if (!Probe(image, path, probedWidth, probedHeight)) return testing::AssertionFailure() << "probe";
  if (!Load(image, path)) return testing::AssertionFailure() << "load";
  if (probedWidth != width || probedHeight != height || image.GetWidth() != width ||
      image.GetHeight() != height)
    return testing::AssertionFailure() << "probed " << probedWidth << " x " << probedHeight
                                       << ", loaded " << image.GetWidth() << " x "
                                       << image.GetHeight();
  return testing::AssertionSuccess();
}

// The four passes of an interlaced image, written out as picture rows in decoding order.
std::vector<int> InterlacedOrder(int height) {
  std::vector<int> rows;
  const std::initializer_list<std::pair<int, int>> passes = {{0, 8}, {4, 8}, {2, 4}, {1, 2}};
  for (const auto& [start, step] : passes)
    for (int row = start; row < height; row += step) rows.push_back(row);
  return rows;
}

}  // namespace

class GifReferenceFile : public testing::TestWithParam<const char*> {};

// The files and their RGB dumps come from tests/data/gif/make_gifs.py.
TEST_P(GifReferenceFile, MatchesAnIndependentDecoderBitForBit) {
  const std::string base = std::string(TEST_DATA_DIR) + "/gif/" + GetParam();
  const Bytes rgb = test::ReadFile(base + ".rgb");
  CDibImage image;
  int width = 0, height = 0;
  ASSERT_TRUE(Probe(image, base + ".gif", width, height));
  ASSERT_TRUE(Load(image, base + ".gif"));
  ASSERT_EQ(image.GetWidth(), width);
  ASSERT_EQ(image.GetHeight(), height);
  ASSERT_EQ(rgb.size(), static_cast<std::size_t>(width) * height * 3);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const std::uint8_t* p = &rgb[(static_cast<std::size_t>(y) * width + x) * 3];
      ASSERT_EQ(test::PixelAt(image, x, y), (test::Bgr{p[2], p[1], p[0]})) << x << ", " << y;
    }
}

INSTANTIATE_TEST_SUITE_P(Pillow, GifReferenceFile,
                         testing::Values("v87a_global_2col", "v87a_global_16col",
                                         "v87a_interlaced_4col", "v89a_extensions",
                                         "v89a_interlaced_256col", "local_and_global_table",
                                         "quantized_photo", "multi_image"),
                         [](const testing::TestParamInfo<const char*>& info) {
                           return std::string(info.param);
                         });

TEST(GifReader, EveryInitialCodeSizeShowsItsPixels) {
  for (int codeSize = 2; codeSize <= 11; ++codeSize) {
    SCOPED_TRACE(codeSize);
    // Above 8 bits, values keep their low byte: 256 colours are all there is.
    const ColorList table = DistinctColors(1 << std::min(codeSize, 8));
    const std::vector<int> pixels = RandomPixels(23 * 19, 1 << codeSize, codeSize);
    CDibImage image;
    ASSERT_TRUE(LoadsAs(OneImage(23, 19, pixels, codeSize, table).Build(), image, 23, 19));
    EXPECT_TRUE(image.Is24Bit());
    EXPECT_TRUE(ShowsAll(image, pixels, table));
  }
}

TEST(GifReader, An87aFileWithEveryKindOfExtensionReadsLikeWithout) {
  const ColorList table = DistinctColors(16);
  const std::vector<int> pixels = RandomPixels(12 * 7, 16, 3);
  GifFile file = OneImage(12, 7, pixels, 4, table);
  file.version = "87a";
  file.beforeImages = {
      0x21, 0xF9, 4, 0x05, 10, 0, 3, 0,                                       // graphic control
      0x21, 0xFE, 5, 'h', 'e', 'l', 'l', 'o', 0,                              // comment
      0x21, 0xFF, 11, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0',  // application
      3, 1, 0, 0, 0,
      0x21, 0x01, 12, 0, 0, 0, 0, 12, 0, 7, 0, 8, 8, 1, 0, 2, 'h', 'i', 0,    // plain text
      0x00, 0x99};                                                            // stray bytes
  CDibImage image;
  ASSERT_TRUE(LoadsAs(file.Build(), image, 12, 7));
  EXPECT_TRUE(ShowsAll(image, pixels, table));
}

TEST(GifReader, TheColourTableInForceIsLocalElseGlobalElseGreys) {
  const std::vector<int> pixels = RandomPixels(9 * 8, 16, 5);
  const ColorList global = DistinctColors(16);
  ColorList local = DistinctColors(32);
  local.erase(local.begin(), local.begin() + 16);
  CDibImage image;

  GifFile file = OneImage(9, 8, pixels, 4, global);
  ASSERT_TRUE(LoadsAs(file.Build(), image, 9, 8));
  EXPECT_TRUE(ShowsAll(image, pixels, global));

  file.images[0].localTable = local;
  ASSERT_TRUE(LoadsAs(file.Build(), image, 9, 8));
  EXPECT_TRUE(ShowsAll(image, pixels, local));

  std::vector<int> all(256);
  for (int v = 0; v < 256; ++v) all[v] = v;
  ASSERT_TRUE(LoadsAs(OneImage(16, 16, all, 8, {}).Build(), image, 16, 16));
  for (int v = 0; v < 256; ++v) {
    const auto grey = static_cast<std::uint8_t>(v);
    ASSERT_EQ(test::PixelAt(image, v % 16, v / 16), (test::Bgr{grey, grey, grey})) << v;
  }
}

TEST(GifReader, ValuesBeyondTheTableInForceAreBlackWhateverCameBefore) {
  const std::vector<int> pixels = RandomPixels(10 * 10, 8, 11);
  const ColorList wide = DistinctColors(256);
  const ColorList narrow = DistinctColors(2);
  CDibImage image;
  // A file with a full table first, so that stale entries would show if they were kept.
  ASSERT_TRUE(LoadsAs(OneImage(10, 10, pixels, 3, wide).Build(), image, 10, 10));
  ASSERT_TRUE(LoadsAs(OneImage(10, 10, pixels, 3, narrow).Build(), image, 10, 10));
  EXPECT_TRUE(ShowsAll(image, pixels, narrow));

  // A short local table under a full global one, and under none (where greys were set).
  for (const ColorList& global : {wide, ColorList{}}) {
    GifFile file = OneImage(10, 10, pixels, 3, global);
    file.images[0].localTable = narrow;
    ASSERT_TRUE(LoadsAs(file.Build(), image, 10, 10));
    EXPECT_TRUE(ShowsAll(image, pixels, narrow));
  }
}

TEST(GifReader, InterlacedRowsLandInPictureOrder) {
  const ColorList table = DistinctColors(256);
  for (int height = 1; height <= 20; ++height) {
    SCOPED_TRACE(height);
    // Decoded row i is filled with value i.
    std::vector<int> decoded;
    for (int i = 0; i < height; ++i) decoded.insert(decoded.end(), 3, i);
    GifFile file = OneImage(3, height, decoded, 8, table);
    file.images[0].interlaced = true;
    CDibImage image;
    ASSERT_TRUE(LoadsAs(file.Build(), image, 3, height));
    const std::vector<int> order = InterlacedOrder(height);
    for (int i = 0; i < height; ++i)
      EXPECT_EQ(test::PixelAt(image, 1, order[i]), Shown(table, i)) << "decoded row " << i;
  }
  EXPECT_EQ(InterlacedOrder(10), (std::vector<int>{0, 8, 4, 2, 6, 1, 3, 5, 7, 9}));
}

TEST(GifReader, AnInterlacedPictureEndingEarlyHasItsLaterPassesBlack) {
  const ColorList table = DistinctColors(16);
  std::vector<int> decoded;
  for (int i = 0; i < 5; ++i) decoded.insert(decoded.end(), 4, i + 1);
  GifFile file = OneImage(4, 10, decoded, 4, table);
  file.images[0].interlaced = true;
  CDibImage image;
  ASSERT_TRUE(LoadsAs(file.Build(), image, 4, 10));
  for (int row : {0, 8, 4, 2, 6})
    EXPECT_NE(test::PixelAt(image, 3, row), (test::Bgr{0, 0, 0})) << row;
  for (int row : {1, 3, 5, 7, 9}) EXPECT_EQ(test::PixelAt(image, 3, row), (test::Bgr{0, 0, 0}));
}

TEST(GifReader, OnlyTheFirstImageCountsAndTheProbeReportsItsSizeNotTheScreens) {
  const ColorList table = DistinctColors(16);
  const std::vector<int> first = RandomPixels(7 * 5, 16, 1);
  GifFile file = OneImage(7, 5, first, 4, table);
  file.screenWidth = 50;
  file.screenHeight = 40;
  file.images[0].left = 3;
  file.images[0].top = 4;
  GifImage second;
  second.width = second.height = 30;
  second.codeSize = 4;
  second.data = EncodeLzw(std::vector<int>(900, 9), 4).bytes;
  file.images.push_back(second);
  CDibImage image;
  ASSERT_TRUE(LoadsAs(file.Build(), image, 7, 5));
  EXPECT_TRUE(ShowsAll(image, first, table));
}

TEST(GifReader, DataEndingEarlyLoadsWithTheRestBlack) {
  const ColorList table = DistinctColors(64);
  const std::vector<int> pixels = RandomPixels(20 * 16, 64, 21);
  const Bytes packed = EncodeLzw(pixels, 6).bytes;
  CDibImage image;
  std::size_t shown = 0;

  // An end code after 100 pixels: the 12th row stops after its first pixel.
  const std::vector<int> head(pixels.begin(), pixels.begin() + 100);
  ASSERT_TRUE(LoadsAs(OneImage(20, 16, head, 6, table).Build(), image, 20, 16));
  EXPECT_TRUE(LeadingPixels(image, pixels, table, shown));
  EXPECT_EQ(shown, 100u);

  // The zero-length sub-block halfway through the codes.
  GifFile file = OneImage(20, 16, pixels, 6, table);
  file.images[0].data.resize(packed.size() / 2);
  ASSERT_TRUE(LoadsAs(file.Build(), image, 20, 16));
  EXPECT_TRUE(LeadingPixels(image, pixels, table, shown));
  EXPECT_GT(shown, 60u);
  EXPECT_LT(shown, pixels.size());

  // The end of the file in the middle of a sub-block.
  Bytes cut = OneImage(20, 16, pixels, 6, table).Build();
  cut.resize(cut.size() - packed.size() / 2);
  ASSERT_TRUE(LoadsAs(cut, image, 20, 16));
  EXPECT_TRUE(LeadingPixels(image, pixels, table, shown));
  EXPECT_GT(shown, 60u);
  EXPECT_LT(shown, pixels.size());
}

TEST(GifReader, AnImageWithoutDataIsBlackButLoaded) {
  const ColorList table = DistinctColors(4);
  Bytes bytes = OneImage(5, 3, {1}, 2, table).Build();
  // Only the zero-length sub-block: the stream starts as after a clear code, and the end
  // code met there stands for pixel 0.
  GifFile empty = OneImage(5, 3, {1}, 2, table);
  empty.images[0].data.clear();
  CDibImage image;
  ASSERT_TRUE(LoadsAs(empty.Build(), image, 5, 3));
  EXPECT_EQ(test::PixelAt(image, 0, 0), Shown(table, 0));
  EXPECT_EQ(test::PixelAt(image, 1, 0), (test::Bgr{0, 0, 0}));

  // The file ends right after the code size.
  const std::size_t dataBytes = SubBlocks(EncodeLzw({1}, 2).bytes).size() + 1;  // and trailer
  bytes.resize(bytes.size() - dataBytes);
  ASSERT_TRUE(LoadsAs(bytes, image, 5, 3));
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x) EXPECT_EQ(test::PixelAt(image, x, y), (test::Bgr{0, 0, 0}));
}

TEST(GifReader, OnlyAPictureItsDataCouldFillIsRead) {
  // Two megapixels of one value, coded as tightly as LZW allows: the data's bound must admit it.
  const std::vector<int> pixels(2048 * 1024, 1);
  GifFile file = OneImage(2048, 1024, pixels, 2, DistinctColors(4));
  CDibImage image;
  ASSERT_TRUE(LoadsAs(file.Build(), image, 2048, 1024));
  EXPECT_TRUE(LoadedWhole(image));
  // The same picture without its data is past what the few bytes left could fill.
  file.images[0].data.clear();
  const std::string bare = Saved("bare.gif", file.Build());
  int width = 0, height = 0;
  EXPECT_FALSE(Probe(image, bare, width, height));
  EXPECT_FALSE(Load(image, bare));
}

TEST(GifReader, MalformedHeadersAreRefusedByProbeAndLoad) {
  const ColorList table = DistinctColors(4);
  const Bytes good = OneImage(4, 4, RandomPixels(16, 4, 2), 2, table).Build();
  const std::size_t descriptorAt = 13 + 3 * 4;
  auto changed = [&](std::size_t at, std::uint8_t value) {
    Bytes bytes = good;
    bytes[at] = value;
    return bytes;
  };
  auto cut = [&](std::size_t size) { return Bytes(good.begin(), good.begin() + size); };
  Bytes trailerFirst = cut(descriptorAt);
  trailerFirst.push_back(0x3B);
  Bytes endInExtension = cut(descriptorAt);
  endInExtension.insert(endInExtension.end(), {0x21, 0xFE, 8, 'a', 'b'});

  const std::vector<std::pair<const char*, Bytes>> refused = {
      {"not GIF", changed(1, 'X')},
      {"short signature", cut(12)},
      {"short global table", cut(20)},
      {"trailer before any image", trailerFirst},
      {"end inside an extension", endInExtension},
      {"short image descriptor", cut(descriptorAt + 6)},
      {"zero width", changed(descriptorAt + 5, 0)},
      {"zero height", changed(descriptorAt + 7, 0)},
  };
  for (const auto& [what, bytes] : refused) {
    SCOPED_TRACE(what);
    const std::string path = Saved("refused.gif", bytes);
    CDibImage image;
    int width = -1, height = -1;
    EXPECT_FALSE(Probe(image, path, width, height));
    EXPECT_FALSE(Load(image, path));
  }
}

TEST(GifReader, WhatFollowsTheDescriptorIsCheckedByLoadOnly) {
  const ColorList table = DistinctColors(4);
  GifFile file = OneImage(4, 4, RandomPixels(16, 4, 2), 2, table);
  file.images[0].localTable = table;
  const Bytes good = file.Build();
  const std::size_t codeSizeAt = 13 + 3 * 4 + 10 + 3 * 4;
  ASSERT_EQ(good[codeSizeAt], 2);

  std::vector<Bytes> refused;
  for (std::uint8_t codeSize : {0, 1, 12, 255}) {
    refused.push_back(good);
    refused.back()[codeSizeAt] = codeSize;
  }
  refused.emplace_back(good.begin(), good.begin() + codeSizeAt);      // no code size
  refused.emplace_back(good.begin(), good.begin() + codeSizeAt - 5);  // short local table
  for (const Bytes& bytes : refused) {
    const std::string path = Saved("after-descriptor.gif", bytes);
    CDibImage image;
    int width = 0, height = 0;
    EXPECT_TRUE(Probe(image, path, width, height));
    EXPECT_EQ(width, 4);
    EXPECT_FALSE(Load(image, path));
  }
}

TEST(GifReader, TheCommandLineKnowsGifByItsFirstByte) {
  const ColorList table = DistinctColors(4);
  const std::string path =
      Saved("named.bmp", OneImage(6, 2, RandomPixels(12, 4, 8), 2, table).Build());
  const test::CommandResult result = test::RunCli({"probe", path});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.out, path + ": 6 x 2 GIF\n");
}
