#include "formats/GifTestEncoder.h"

#include <map>
#include <random>
#include <utility>

namespace gif_test {

void CodePacker::Put(int code, int width) {
  m_bits |= static_cast<std::uint32_t>(code) << m_bitCount;
  m_bitCount += width;
  for (; m_bitCount >= 8; m_bitCount -= 8, m_bits >>= 8)
    m_bytes.push_back(static_cast<std::uint8_t>(m_bits));
}

Bytes CodePacker::Finish() const {
  Bytes bytes = m_bytes;
  if (m_bitCount > 0) bytes.push_back(static_cast<std::uint8_t>(m_bits));
  return bytes;
}

namespace {

constexpr int kTableSize = 4096;

// The string table as the encoder sees it: one entry ahead of the decoder, which learns each
// entry only from the code after it.
struct EncoderTable {
  int clearCode;
  int width = 0;
  int next = 0;
  std::map<std::pair<int, int>, int> strings;  // (prefix code, pixel) -> code

  explicit EncoderTable(int codeSize) : clearCode(1 << codeSize) { Reset(); }
  void Reset() {
    strings.clear();
    width = 0;
    while ((1 << width) <= clearCode) ++width;
    next = clearCode + 2;
  }
  bool Full() const { return next >= kTableSize; }
  // Counts one more entry and widens the codes once the decoder will have filled 2^width slots.
  void Grow() {
    ++next;
    if (next > (1 << width) && width < 12) ++width;
  }
};

}  // namespace

EncodedData EncodeLzw(const std::vector<int>& pixels, int codeSize, bool clearWhenFull) {
  EncodedData result;
  EncoderTable table(codeSize);
  CodePacker out;
  out.Put(table.clearCode, table.width);
  int prefix = pixels.at(0);
  for (std::size_t i = 1; i < pixels.size(); ++i) {
    const auto found = table.strings.find({prefix, pixels[i]});
    if (found != table.strings.end()) {
      prefix = found->second;
      continue;
    }
    out.Put(prefix, table.width);
    if (!table.Full()) {
      table.strings[{prefix, pixels[i]}] = table.next;
      table.Grow();
    } else if (clearWhenFull) {
      out.Put(table.clearCode, table.width);
      table.Reset();
    } else {
      ++result.codesWhileFull;
    }
    prefix = pixels[i];
  }
  out.Put(prefix, table.width);
  // The decoder adds an entry for the last code as well, which may widen the end code.
  if (!table.Full()) table.Grow();
  out.Put(table.clearCode + 1, table.width);
  result.bytes = out.Finish();
  return result;
}

Bytes SubBlocks(const Bytes& data, std::size_t blockSize) {
  Bytes out;
  for (std::size_t pos = 0; pos < data.size(); pos += blockSize) {
    const std::size_t n = std::min(blockSize, data.size() - pos);
    out.push_back(static_cast<std::uint8_t>(n));
    out.insert(out.end(), data.begin() + static_cast<long>(pos),
               data.begin() + static_cast<long>(pos + n));
  }
  out.push_back(0);
  return out;
}

namespace {

// The size field of a colour table that holds count entries, and the entries it then holds.
int TableSizeField(std::size_t count) {
  int field = 0;
  while ((2u << field) < count) ++field;
  return field;
}

void PutTable(Bytes& out, const ColorList& table) {
  const std::size_t padded = 2u << TableSizeField(table.size());
  for (std::size_t i = 0; i < padded; ++i) {
    const Rgb c = i < table.size() ? table[i] : Rgb{0, 0, 0};
    out.insert(out.end(), c.begin(), c.end());
  }
}

void PutImage(Bytes& out, const GifImage& image) {
  out.push_back(0x2C);
  test::Put16(out, static_cast<std::uint32_t>(image.left));
  test::Put16(out, static_cast<std::uint32_t>(image.top));
  test::Put16(out, static_cast<std::uint32_t>(image.width));
  test::Put16(out, static_cast<std::uint32_t>(image.height));
  std::uint8_t flags = image.interlaced ? 0x40 : 0;
  if (!image.localTable.empty())
    flags |= static_cast<std::uint8_t>(0x80 | TableSizeField(image.localTable.size()));
  out.push_back(flags);
  if (!image.localTable.empty()) PutTable(out, image.localTable);
  out.push_back(static_cast<std::uint8_t>(image.codeSize));
  const Bytes blocks = SubBlocks(image.data, image.blockSize);
  out.insert(out.end(), blocks.begin(), blocks.end());
}

}  // namespace

Bytes GifFile::Build() const {
  const std::string signature = "GIF" + version;
  Bytes out(signature.begin(), signature.end());
  const GifImage* first = images.empty() ? nullptr : &images.front();
  test::Put16(out, static_cast<std::uint32_t>(screenWidth ? screenWidth : first ? first->width : 1));
  test::Put16(out,
              static_cast<std::uint32_t>(screenHeight ? screenHeight : first ? first->height : 1));
  out.push_back(globalTable.empty()
                    ? 0
                    : static_cast<std::uint8_t>(0x80 | TableSizeField(globalTable.size())));
  out.push_back(0);  // background
  out.push_back(0);  // aspect
  if (!globalTable.empty()) PutTable(out, globalTable);
  out.insert(out.end(), beforeImages.begin(), beforeImages.end());
  for (const GifImage& image : images) PutImage(out, image);
  out.push_back(0x3B);
  return out;
}

ColorList DistinctColors(int count) {
  ColorList colors;
  for (int i = 0; i < count; ++i)
    colors.push_back(Rgb{static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(255 - i),
                         static_cast<std::uint8_t>(i * 7 + 1)});
  return colors;
}

std::vector<int> RandomPixels(int count, int limit, unsigned seed) {
  std::mt19937 generator(seed);
  std::uniform_int_distribution<int> value(0, limit - 1);
  std::vector<int> pixels(static_cast<std::size_t>(count));
  for (int& p : pixels) p = value(generator);
  return pixels;
}

test::Bgr Shown(const ColorList& table, int value) {
  const auto index = static_cast<std::size_t>(value & 0xFF);
  if (index >= table.size()) return {0, 0, 0};
  return {table[index][2], table[index][1], table[index][0]};
}

}  // namespace gif_test
