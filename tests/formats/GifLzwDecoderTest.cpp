#include "formats/GifLzwDecoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "formats/GifTestEncoder.h"

namespace {

using gif_test::Bytes;
using gif_test::CodePacker;

// Feeds bytes to a decoder through a stream in memory, as the reader feeds it a file.
class MemoryDecoder {
 public:
  MemoryDecoder(Bytes bytes, int codeSize) : m_bytes(std::move(bytes)) {
    m_file = fmemopen(m_bytes.data(), m_bytes.size(), "rb");
    if (m_file == nullptr) throw std::runtime_error("fmemopen failed");
    m_decoder = std::make_unique<CGifLzwDecoder>(m_file, codeSize);
  }
  ~MemoryDecoder() { std::fclose(m_file); }

  // At most limit values, decoded in calls of chunk values.
  std::vector<int> Decode(std::size_t limit = 1 << 16, int chunk = 97) {
    std::vector<int> values;
    std::vector<std::uint8_t> buffer(static_cast<std::size_t>(chunk));
    while (values.size() < limit) {
      const int n = m_decoder->Decode(buffer.data(), chunk);
      values.insert(values.end(), buffer.begin(), buffer.begin() + n);
      if (n < chunk) break;
    }
    return values;
  }
  CGifLzwDecoder& Decoder() { return *m_decoder; }

 private:
  Bytes m_bytes;
  std::FILE* m_file = nullptr;
  std::unique_ptr<CGifLzwDecoder> m_decoder;
};

std::vector<int> DecodeBlocks(const Bytes& packed, int codeSize, std::size_t blockSize = 255) {
  MemoryDecoder decoder(gif_test::SubBlocks(packed, blockSize), codeSize);
  return decoder.Decode();
}

// Hand-made streams: each code with the width the decoder reads it at.
Bytes Codes(std::initializer_list<std::pair<int, int>> codes) {
  CodePacker packer;
  for (const auto& [code, width] : codes) packer.Put(code, width);
  return packer.Finish();
}

std::vector<int> LowBytes(std::vector<int> values) {
  for (int& v : values) v &= 0xFF;
  return values;
}

}  // namespace

TEST(GifLzwDecoder, DecodesWhatTheEncoderWroteAtEveryCodeSizeAndSubBlockLength) {
  for (int codeSize = 2; codeSize <= 11; ++codeSize) {
    // Enough values to fill the table and go on after a clear code at every size.
    const std::vector<int> pixels = gif_test::RandomPixels(9000, 1 << codeSize, codeSize);
    const Bytes packed = gif_test::EncodeLzw(pixels, codeSize).bytes;
    // One- and two-byte sub-blocks make 12-bit codes span up to three of them.
    for (std::size_t blockSize : {255u, 2u, 1u}) {
      SCOPED_TRACE("code size " + std::to_string(codeSize) + ", sub-blocks of " +
                   std::to_string(blockSize));
      EXPECT_EQ(DecodeBlocks(packed, codeSize, blockSize), LowBytes(pixels));
    }
  }
}

TEST(GifLzwDecoder, AFullTableWithoutClearCodeKeepsTwelveBitCodesAndItsEntries) {
  for (int codeSize : {2, 8}) {
    SCOPED_TRACE(codeSize);
    const std::vector<int> pixels = gif_test::RandomPixels(60000, 1 << codeSize, 40 + codeSize);
    const gif_test::EncodedData data = gif_test::EncodeLzw(pixels, codeSize, false);
    ASSERT_GT(data.codesWhileFull, 1000);
    EXPECT_EQ(DecodeBlocks(data.bytes, codeSize), pixels);
  }
}

TEST(GifLzwDecoder, AStreamWithoutLeadingClearCodeDecodesAsIfItHadOne) {
  // Code size 2: clear 4, end 5, codes 3 bits wide until slot 8 is reached.
  const std::vector<int> expected = {1, 2, 1, 2, 3};
  EXPECT_EQ(DecodeBlocks(Codes({{4, 3}, {1, 3}, {2, 3}, {6, 3}, {3, 4}, {5, 4}}), 2), expected);
  EXPECT_EQ(DecodeBlocks(Codes({{1, 3}, {2, 3}, {6, 3}, {3, 4}, {5, 4}}), 2), expected);
}

TEST(GifLzwDecoder, EndCodeRightAfterClearGivesPixelZeroAndDecodingGoesOn) {
  EXPECT_EQ(DecodeBlocks(Codes({{4, 3}, {5, 3}, {1, 3}, {2, 3}, {5, 4}}), 2),
            (std::vector<int>{0, 1, 2}));
  // Any table code straight after a clear is taken as pixel 0 as well.
  EXPECT_EQ(DecodeBlocks(Codes({{4, 3}, {7, 3}, {3, 3}, {5, 3}}), 2), (std::vector<int>{0, 3}));
  // Repeated clear codes are passed over.
  EXPECT_EQ(DecodeBlocks(Codes({{4, 3}, {4, 3}, {4, 3}, {2, 3}, {5, 3}}), 2),
            (std::vector<int>{2}));
}

TEST(GifLzwDecoder, ACodeAboveTheNextFreeSlotActsAsThatSlotWithZeroAsNextPrevious) {
  // After clear and 1, slot 6 is next: code 7 decodes as 6 would ("1 1"). Slot 7 is then made
  // from previous code 0, so code 7 reads "0 1"; the width grows to 4 as slot 8 comes next.
  EXPECT_EQ(DecodeBlocks(Codes({{4, 3}, {1, 3}, {7, 3}, {6, 3}, {7, 4}, {5, 4}}), 2),
            (std::vector<int>{1, 1, 1, 1, 1, 0, 1}));
  // With code 6 itself, slot 7 follows from 6 and reads "1 1 1".
  EXPECT_EQ(DecodeBlocks(Codes({{4, 3}, {1, 3}, {6, 3}, {6, 3}, {7, 4}, {5, 4}}), 2),
            (std::vector<int>{1, 1, 1, 1, 1, 1, 1, 1}));
}

TEST(GifLzwDecoder, TheLongestStringOfAFullTableIsReturnedWhole) {
  // Each code names the slot about to be filled, so slot k holds k - 4 zeros; the last code,
  // sent again once the table is full, is the longest string there is: 4091 zeros.
  CodePacker packer;
  packer.Put(4, 3);
  packer.Put(0, 3);
  int width = 3;
  std::size_t total = 1;
  for (int slot = 6; slot < 4096; ++slot) {
    packer.Put(slot, width);
    total += static_cast<std::size_t>(slot - 4);
    if (slot + 1 >= (1 << width) && width < 12) ++width;
  }
  packer.Put(4095, 12);
  packer.Put(5, 12);
  total += 4091;
  const std::vector<int> values =
      MemoryDecoder(gif_test::SubBlocks(packer.Finish()), 2).Decode(total + 10, 5000);
  ASSERT_EQ(values.size(), total);
  EXPECT_EQ(std::count(values.begin(), values.end(), 0), static_cast<long>(total));
}

TEST(GifLzwDecoder, DecodingStopsForGoodAtTheEndOfTheData) {
  const std::vector<int> pixels = gif_test::RandomPixels(500, 16, 7);
  const Bytes packed = gif_test::EncodeLzw(pixels, 4).bytes;

  // End code: exactly the pixels before it, then nothing more.
  MemoryDecoder whole(gif_test::SubBlocks(packed), 4);
  EXPECT_EQ(whole.Decode(), pixels);
  std::uint8_t spare[8];
  EXPECT_EQ(whole.Decoder().Decode(spare, 8), 0);

  // Zero-length sub-block, and the file ending inside a sub-block: a leading part.
  const Bytes half(packed.begin(), packed.begin() + static_cast<long>(packed.size() / 2));
  Bytes cut = gif_test::SubBlocks(packed);
  cut.resize(cut.size() / 2);
  for (const Bytes& stream : {gif_test::SubBlocks(half), cut}) {
    MemoryDecoder decoder(stream, 4);
    const std::vector<int> values = decoder.Decode();
    ASSERT_GT(values.size(), 100u);
    ASSERT_LT(values.size(), pixels.size());
    EXPECT_TRUE(std::equal(values.begin(), values.end(), pixels.begin()));
    EXPECT_EQ(decoder.Decoder().Decode(spare, 8), 0);
  }
}
