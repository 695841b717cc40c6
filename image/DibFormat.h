// The device-independent bitmap records that both the pixel block of an image and BMP files use.
// All fields are little-endian, as on every machine the program runs on.
#pragma once

#include <cstdint>

#pragma pack(push, 1)
struct BITMAPINFOHEADER {
  std::uint32_t biSize;
  std::int32_t biWidth;
  std::int32_t biHeight;  // positive: rows stored bottom-up
  std::uint16_t biPlanes;
  std::int16_t biBitCount;
  std::uint32_t biCompression;
  std::uint32_t biSizeImage;
  std::int32_t biXPelsPerMeter;
  std::int32_t biYPelsPerMeter;
  std::uint32_t biClrUsed;
  std::uint32_t biClrImportant;
};

struct BITMAPFILEHEADER {
  std::uint16_t bfType;  // "BM"
  std::uint32_t bfSize;
  std::uint16_t bfReserved1;
  std::uint16_t bfReserved2;
  std::uint32_t bfOffBits;  // offset of the pixel rows from the start of the file
};

struct RGBQUAD {
  std::uint8_t rgbBlue;
  std::uint8_t rgbGreen;
  std::uint8_t rgbRed;
  std::uint8_t rgbReserved;
};
#pragma pack(pop)

static_assert(sizeof(BITMAPINFOHEADER) == 40);
static_assert(sizeof(BITMAPFILEHEADER) == 14);
static_assert(sizeof(RGBQUAD) == 4);

constexpr std::uint16_t kBmpFileType = 0x4D42;  // the bytes "BM"
constexpr std::uint32_t BI_RGB = 0;
constexpr int kColorTableEntries = 256;
constexpr int kColorTableBytes = kColorTableEntries * 4;
// Header and colour table come before the pixel rows in every pixel block.
constexpr int kDibPixelOffset = static_cast<int>(sizeof(BITMAPINFOHEADER)) + kColorTableBytes;

// Bytes per row of a bitmap: width × bitCount bits padded to whole 4-byte words. Computed in
// 64 bits, so no width of a 32-bit header overflows it.
[[nodiscard]] constexpr std::int64_t DibRowBytes(std::int64_t width, int bitCount) {
  return ((width * bitCount + 31) / 32) * 4;
}
