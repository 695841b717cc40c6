// Writing GIF files for the reader's tests: an LZW encoder written apart from the decoder, a
// packer for hand-made code streams, and a builder for the block structure around them.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "support/TestSupport.h"

namespace gif_test {

using test::Bytes;
using Rgb = std::array<std::uint8_t, 3>;
using ColorList = std::vector<Rgb>;

// Packs codes of any width least significant bit first.
class CodePacker {
 public:
  void Put(int code, int width);
  // The packed bytes, the last one padded with zero bits.
  [[nodiscard]] Bytes Finish() const;

 private:
  Bytes m_bytes;
  std::uint32_t m_bits = 0;
  int m_bitCount = 0;
};

struct EncodedData {
  Bytes bytes;            // the packed codes, not yet cut into sub-blocks
  int codesWhileFull = 0; // codes written while the string table was full
};

// Compresses pixel values (each below 2^codeSize) starting with a clear code and closing with
// the end code. With clearWhenFull false, a full table is kept and coding goes on at 12 bits.
EncodedData EncodeLzw(const std::vector<int>& pixels, int codeSize, bool clearWhenFull = true);

// data cut into sub-blocks of at most blockSize bytes, closed by the zero-length sub-block.
Bytes SubBlocks(const Bytes& data, std::size_t blockSize = 255);

struct GifImage {
  int left = 0;
  int top = 0;
  int width = 1;
  int height = 1;
  bool interlaced = false;
  ColorList localTable;  // none when empty
  int codeSize = 8;
  Bytes data;            // packed codes
  std::size_t blockSize = 255;
};

struct GifFile {
  std::string version = "89a";
  int screenWidth = 0;  // 0: the first image's size
  int screenHeight = 0;
  ColorList globalTable;  // none when empty
  Bytes beforeImages;     // extensions or stray bytes, written as given
  std::vector<GifImage> images;

  [[nodiscard]] Bytes Build() const;
};

// count colours, all different and none of them black.
ColorList DistinctColors(int count);
// count values in 0..limit-1 from a fixed generator.
std::vector<int> RandomPixels(int count, int limit, unsigned seed);
// The blue, green, red bytes that pixel value v shows under table, black beyond it.
test::Bgr Shown(const ColorList& table, int value);

}  // namespace gif_test
