#include "formats/BmpReader.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "formats/ImageLimits.h"

namespace {

// The 12-byte OS/2 information header; its colour table has 3-byte entries.
#pragma pack(push, 1)
struct BITMAPCOREHEADER {
  std::uint32_t bcSize;
  std::uint16_t bcWidth;
  std::uint16_t bcHeight;
  std::uint16_t bcPlanes;
  std::uint16_t bcBitCount;
};
#pragma pack(pop)

constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::uint32_t kCoreHeaderSize = 12;
constexpr long kCoreColorTableOffset = 26;

// What the headers tell about the pixels.
struct BmpLayout {
  bool hasInfoHeader = false;  // the 40-byte variant, else the 12-byte one
  std::uint32_t pixelOffset = 0;
  int bitCount = 0;
  int width = 0;
  int height = 0;
  std::uint32_t clrUsed = 0;
};

// Whether the bytes after the headers could fill enough of the declared picture.
bool DataCouldFillPicture(CDibImage& image, const BmpLayout& layout) {
  const auto bitsPerPixel = static_cast<std::uint64_t>(std::max(layout.bitCount, 1));
  const std::uint64_t dataPixels =
      PixelsFromBytes(BytesLeft(image.GetOpenFile()), 8 * kCutShortSlack) / bitsPerPixel;
  return DataCouldFill(layout.width, layout.height, dataPixels);
}

// Reads both headers and checks what probe and read both require: the "BM" type, a known header
// size, no compression, a positive width and height, and data that could fill the picture.
bool ReadHeaders(CDibImage& image, BmpLayout& layout) {
  BITMAPFILEHEADER fileHeader{};
  BITMAPINFOHEADER infoHeader{};
  // 40 bytes of information header are always read, whatever its size says.
  if (!image.ReadBytes(&fileHeader, sizeof fileHeader)) return false;
  if (!image.ReadBytes(&infoHeader, sizeof infoHeader)) return false;
  if (fileHeader.bfType != kBmpFileType) return false;

  if (infoHeader.biSize == kInfoHeaderSize) {
    if (infoHeader.biCompression != BI_RGB) return false;
    layout.hasInfoHeader = true;
    layout.pixelOffset = fileHeader.bfOffBits;
    layout.bitCount = infoHeader.biBitCount;
    layout.width = infoHeader.biWidth;
    layout.height = infoHeader.biHeight;
    layout.clrUsed = infoHeader.biClrUsed;
  } else if (infoHeader.biSize == kCoreHeaderSize) {
    BITMAPCOREHEADER core{};
    std::memcpy(&core, &infoHeader, sizeof core);
    layout.bitCount = core.bcBitCount;
    layout.width = core.bcWidth;
    layout.height = core.bcHeight;
  } else {
    return false;
  }
  // A negative height marks a top-down bitmap, which is not read.
  return layout.width >= 1 && layout.height >= 1 && DataCouldFillPicture(image, layout);
}

// The number of colour-table entries the file holds; 0 for 24-bit files, -1 for a bit count or
// a count that is refused.
int ColorCount(const BmpLayout& layout) {
  int defaultCount;
  switch (layout.bitCount) {
    case 1: defaultCount = 2; break;
    case 4: defaultCount = 16; break;
    case 8: defaultCount = 256; break;
    case 24: defaultCount = 0; break;
    default: return -1;
  }
  if (!layout.hasInfoHeader || layout.clrUsed == 0) return defaultCount;
  // More entries than the table holds cannot select anything more and would overflow it.
  if (layout.clrUsed > kColorTableEntries) return -1;
  return static_cast<int>(layout.clrUsed);
}

// Reads the colour table into table (256 entries, already all black). The pixel offset of the
// 12-byte variant follows from the table.
bool ReadColorTable(CDibImage& image, BmpLayout& layout, int colorCount, RGBQUAD* table) {
  if (layout.hasInfoHeader) {
    return colorCount == 0 || image.ReadBytes(table, static_cast<std::size_t>(colorCount) * 4);
  }
  layout.pixelOffset = static_cast<std::uint32_t>(kCoreColorTableOffset + 3 * colorCount);
  if (colorCount == 0) return true;
  std::uint8_t triples[3 * kColorTableEntries];
  if (!image.SeekTo(kCoreColorTableOffset) ||
      !image.ReadBytes(triples, static_cast<std::size_t>(colorCount) * 3))
    return false;
  for (int i = 0; i < colorCount; ++i)
    table[i] = RGBQUAD{triples[3 * i], triples[3 * i + 1], triples[3 * i + 2], 0};
  return true;
}

void ExpandRow(int bitCount, std::uint8_t* destination, const std::uint8_t* source, int width,
               const RGBQUAD* colorTable) {
  switch (bitCount) {
    case 1: ExpandRow1(destination, source, width, colorTable); break;
    case 4: ExpandRow4(destination, source, width, colorTable); break;
    case 8: ExpandRow8(destination, source, width, colorTable); break;
    default: std::memcpy(destination, source, static_cast<std::size_t>(width) * 3); break;
  }
}

inline std::uint8_t* PutColor(std::uint8_t* destination, const RGBQUAD& color) {
  destination[0] = color.rgbBlue;
  destination[1] = color.rgbGreen;
  destination[2] = color.rgbRed;
  return destination + 3;
}

// Reads the file rows, bottom row first, into the stored rows of the image (also bottom-up).
// A short read ends the picture: the rows above stay black.
void ReadPixelRows(CDibImage& image, const BmpLayout& layout, const RGBQUAD* colorTable) {
  const auto fileRowBytes = static_cast<std::size_t>(DibRowBytes(layout.width, layout.bitCount));
  if (!image.AllocRowBuffer(fileRowBytes)) return;
  std::uint8_t* fileRow = image.GetRowBuffer();
  const std::size_t imageRowBytes = image.GetRowBytes();
  std::uint8_t* storedRow = image.GetBits();
  for (image.m_currentRow = 0; image.m_currentRow < layout.height; ++image.m_currentRow) {
    if (!image.ReadBytes(fileRow, fileRowBytes)) break;
    // 24-bit file rows have the image's own row size: they are copied unchanged.
    if (layout.bitCount == 24)
      std::memcpy(storedRow, fileRow, imageRowBytes);
    else
      ExpandRow(layout.bitCount, storedRow, fileRow, layout.width, colorTable);
    storedRow += imageRowBytes;
  }
  image.FreeRowBuffer();
}

}  // namespace

BOOL ProbeBmpFile(CDibImage& image, int& width, int& height) {
  BmpLayout layout;
  const bool accepted = ReadHeaders(image, layout);
  image.CloseFile();
  if (!accepted) return FALSE;
  width = layout.width;
  height = layout.height;
  return TRUE;
}

void ReadBmpFile(CDibImage& image) {
  BmpLayout layout;
  RGBQUAD colorTable[kColorTableEntries] = {};  // entries the file does not set stay black
  const bool ready = [&] {
    if (!ReadHeaders(image, layout)) return false;
    const int colorCount = ColorCount(layout);
    if (colorCount < 0 || !ReadColorTable(image, layout, colorCount, colorTable)) return false;
    return layout.pixelOffset <= static_cast<std::uint32_t>(std::numeric_limits<long>::max()) &&
           image.SeekTo(static_cast<long>(layout.pixelOffset)) &&
           IsWithinAreaLimit(layout.width, layout.height) &&
           image.Create(layout.width, layout.height, TRUE);
  }();
  if (ready) ReadPixelRows(image, layout, colorTable);
  image.CloseFile();
}

void ExpandRow1(std::uint8_t* destination, const std::uint8_t* source, int width,
                const RGBQUAD* colorTable) {
  for (int x = 0; x < width; ++x) {
    const int bit = 7 - (x & 7);
    destination = PutColor(destination, colorTable[(source[x >> 3] >> bit) & 1]);
  }
}

void ExpandRow4(std::uint8_t* destination, const std::uint8_t* source, int width,
                const RGBQUAD* colorTable) {
  for (int x = 0; x < width; ++x) {
    const std::uint8_t byte = source[x >> 1];
    destination = PutColor(destination, colorTable[(x & 1) ? (byte & 0x0F) : (byte >> 4)]);
  }
}

void ExpandRow8(std::uint8_t* destination, const std::uint8_t* source, int width,
                const RGBQUAD* colorTable) {
  for (int x = 0; x < width; ++x) destination = PutColor(destination, colorTable[source[x]]);
}
