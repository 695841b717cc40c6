#include "formats/GifReader.h"

#include <array>
#include <cstdint>
#include <cstdio>

#include "formats/BmpReader.h"
#include "formats/GifLzwDecoder.h"
#include "formats/ImageLimits.h"

namespace {

// Thrown inside the reader when the file cannot be used; caught at both entry points.
struct GifRefused {};

constexpr std::uint8_t kExtensionIntroducer = 0x21;
constexpr std::uint8_t kImageSeparator = 0x2C;
constexpr std::uint8_t kTrailer = 0x3B;
constexpr std::uint8_t kHasColorTable = 0x80;  // in the screen and image descriptor flags
constexpr std::uint8_t kInterlaced = 0x40;     // in the image descriptor flags

using ColorTable = std::array<RGBQUAD, kColorTableEntries>;

int Get16(const std::uint8_t* bytes) { return bytes[0] | (bytes[1] << 8); }

// Entries of a colour table whose size field (the low 3 bits of the flags) is given: 2 to 256.
int ColorTableEntries(std::uint8_t flags) { return 2 << (flags & 7); }

// The blocks of a GIF file up to the first image's code size, read in file order. The state lives
// here, made afresh for every probe and read.
class GifParser {
 public:
  explicit GifParser(CDibImage& image) : m_image(image), m_file(image.GetOpenFile()) {
    if (m_file == nullptr) throw GifRefused{};
  }

  // The signature, the logical screen descriptor and the global colour table.
  void ReadHeader();
  // Passes over extensions up to the first image descriptor and reads it.
  void ReadImageDescriptor();
  // Puts the colour table in force into the palette: the local one, else the global one.
  void SelectPalette();
  // The code size byte before the image data, refused outside what the decoder handles.
  int ReadInitialCodeSize();

  int Width() const { return m_width; }
  int Height() const { return m_height; }
  bool IsInterlaced() const { return m_interlaced; }
  const RGBQUAD* Palette() const { return m_palette.data(); }

 private:
  std::uint8_t ReadByte();
  void ReadRecord(std::uint8_t* bytes, std::size_t n);
  // Reads count entries (red, green, blue in the file) into table; the rest of it stays black.
  void ReadColorTable(ColorTable& table, int count);
  void SkipSubBlocks();

  CDibImage& m_image;
  std::FILE* m_file;
  int m_globalTableSize = 0;  // 0 when the file has no global table
  ColorTable m_globalTable{};
  ColorTable m_palette{};
  int m_width = 0;
  int m_height = 0;
  std::uint8_t m_imageFlags = 0;
  bool m_interlaced = false;
};

std::uint8_t GifParser::ReadByte() {
  const int byte = std::getc(m_file);
  if (byte == EOF) throw GifRefused{};
  return static_cast<std::uint8_t>(byte);
}

void GifParser::ReadRecord(std::uint8_t* bytes, std::size_t n) {
  if (!m_image.ReadBytes(bytes, n)) throw GifRefused{};
}

void GifParser::ReadColorTable(ColorTable& table, int count) {
  std::uint8_t triples[3 * kColorTableEntries];
  ReadRecord(triples, static_cast<std::size_t>(count) * 3);
  table.fill(RGBQUAD{});
  for (int i = 0; i < count; ++i)
    table[i] = RGBQUAD{triples[3 * i + 2], triples[3 * i + 1], triples[3 * i], 0};
}

void GifParser::SkipSubBlocks() {
  std::uint8_t bytes[255];
  for (std::uint8_t length = ReadByte(); length != 0; length = ReadByte()) ReadRecord(bytes, length);
}

void GifParser::ReadHeader() {
  std::uint8_t signature[6];
  ReadRecord(signature, sizeof signature);
  // The version that follows is not looked at: 87a and 89a files read alike.
  if (signature[0] != 'G' || signature[1] != 'I' || signature[2] != 'F') throw GifRefused{};

  std::uint8_t screen[7];  // width, height, flags, background, aspect
  ReadRecord(screen, sizeof screen);
  const std::uint8_t flags = screen[4];
  if (flags & kHasColorTable) {
    m_globalTableSize = ColorTableEntries(flags);
    ReadColorTable(m_globalTable, m_globalTableSize);
    return;
  }
  // A file without any colour table shows its pixel values as greys.
  for (int i = 0; i < kColorTableEntries; ++i) {
    const auto grey = static_cast<std::uint8_t>(i);
    m_palette[i] = RGBQUAD{grey, grey, grey, 0};
  }
}

void GifParser::ReadImageDescriptor() {
  for (;;) {
    const std::uint8_t introducer = ReadByte();
    if (introducer == kImageSeparator) break;
    if (introducer == kTrailer) throw GifRefused{};
    if (introducer == kExtensionIntroducer) {
      ReadByte();  // the label: every kind of extension is passed over alike
      SkipSubBlocks();
    }
    // Any other byte is stray and passed over.
  }
  std::uint8_t descriptor[9];  // left, top, width, height, flags
  ReadRecord(descriptor, sizeof descriptor);
  m_width = Get16(descriptor + 4);
  m_height = Get16(descriptor + 6);
  m_imageFlags = descriptor[8];
  m_interlaced = (m_imageFlags & kInterlaced) != 0;
  if (m_width < 1 || m_height < 1) throw GifRefused{};
  // Whatever follows the descriptor (a colour table, the data, later images) bounds the pixels
  // the data can give: a few bytes cannot stand for a picture of gigabytes.
  if (!DataCouldFill(m_width, m_height, CGifLzwDecoder::MostPixels(BytesLeft(m_file))))
    throw GifRefused{};
}

void GifParser::SelectPalette() {
  if (m_imageFlags & kHasColorTable)
    ReadColorTable(m_palette, ColorTableEntries(m_imageFlags));
  else if (m_globalTableSize != 0)
    m_palette = m_globalTable;
}

int GifParser::ReadInitialCodeSize() {
  const int codeSize = ReadByte();
  if (codeSize < CGifLzwDecoder::kMinCodeSize || codeSize > CGifLzwDecoder::kMaxCodeSize)
    throw GifRefused{};
  return codeSize;
}

// Where decoded row i goes in the picture. Interlaced images come in four passes: every 8th row
// from 0, every 8th from 4, every 4th from 2, every 2nd from 1.
class RowOrder {
 public:
  RowOrder(int height, bool interlaced)
      : m_interlaced(interlaced),
        m_pass1End((height + 7) / 8),
        m_pass2End(m_pass1End + (height + 3) / 8),
        m_pass3End(m_pass2End + (height + 1) / 4) {}

  int TargetRow(int i) const {
    if (!m_interlaced) return i;
    if (i < m_pass1End) return 8 * i;
    if (i < m_pass2End) return 8 * (i - m_pass1End) + 4;
    if (i < m_pass3End) return 4 * (i - m_pass2End) + 2;
    return 2 * (i - m_pass3End) + 1;
  }

 private:
  bool m_interlaced;
  int m_pass1End;
  int m_pass2End;
  int m_pass3End;
};

// Decodes row after row into the image until the picture or the data ends; rows and pixels not
// reached keep the black of a new image.
void DecodeRows(CDibImage& image, const GifParser& gif, CGifLzwDecoder& decoder) {
  const int width = gif.Width();
  const RowOrder order(gif.Height(), gif.IsInterlaced());
  std::uint8_t* indices = image.GetRowBuffer();
  for (image.m_currentRow = 0; image.m_currentRow < gif.Height(); ++image.m_currentRow) {
    const int decoded = decoder.Decode(indices, width);
    std::uint8_t* row = image.GetPixelAddress(0, order.TargetRow(image.m_currentRow));
    ExpandRow8(row, indices, decoded, gif.Palette());
    if (decoded < width) break;
  }
}

}  // namespace

BOOL ProbeGifFile(CDibImage& image, int& width, int& height) {
  BOOL found = FALSE;
  try {
    GifParser gif(image);
    gif.ReadHeader();
    gif.ReadImageDescriptor();
    width = gif.Width();
    height = gif.Height();
    found = TRUE;
  } catch (const GifRefused&) {
  }
  image.CloseFile();
  return found;
}

void ReadGifFile(CDibImage& image) {
  try {
    GifParser gif(image);
    gif.ReadHeader();
    gif.ReadImageDescriptor();
    gif.SelectPalette();
    const int codeSize = gif.ReadInitialCodeSize();
    // The row of pixel values comes first: once the image exists, it counts as loaded.
    if (IsWithinAreaLimit(gif.Width(), gif.Height()) &&
        image.AllocRowBuffer(static_cast<std::size_t>(gif.Width())) &&
        image.Create(gif.Width(), gif.Height(), TRUE)) {
      CGifLzwDecoder decoder(image.GetOpenFile(), codeSize);
      DecodeRows(image, gif, decoder);
    }
  } catch (const GifRefused&) {
  }
  image.FreeRowBuffer();
  image.CloseFile();
}
