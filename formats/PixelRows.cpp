#include "formats/PixelRows.h"

namespace {

// c × a + 255 × (255 − a), divided by 255 and rounded.
inline std::uint8_t OverWhite(unsigned c, unsigned a) {
  const unsigned sum = c * a + 255 * (255 - a);
  return static_cast<std::uint8_t>((sum + 127) / 255);
}

// The same in 16 bits, then reduced to 8 bits with one rounding: 65535 × 257 is the divisor
// that maps the 16-bit product range onto 0..255.
inline std::uint8_t OverWhite16(std::uint64_t c, std::uint64_t a) {
  constexpr std::uint64_t kMax = 65535;
  constexpr std::uint64_t kDivisor = kMax * 257;
  const std::uint64_t sum = c * a + kMax * (kMax - a);
  return static_cast<std::uint8_t>((sum + kDivisor / 2) / kDivisor);
}

}  // namespace

void RgbToBgrRow(std::uint8_t* target, const std::uint8_t* source, int width) {
  for (int x = 0; x < width; ++x, target += 3, source += 3) {
    const std::uint8_t red = source[0], green = source[1], blue = source[2];
    target[0] = blue;
    target[1] = green;
    target[2] = red;
  }
}

void RgbaOverWhiteRow(std::uint8_t* target, const std::uint8_t* source, int width) {
  for (int x = 0; x < width; ++x, target += 3, source += 4) {
    const unsigned a = source[3];
    target[0] = OverWhite(source[2], a);
    target[1] = OverWhite(source[1], a);
    target[2] = OverWhite(source[0], a);
  }
}

void BgraOverWhiteRow(std::uint8_t* target, const std::uint8_t* source, int width) {
  for (int x = 0; x < width; ++x, target += 3, source += 4) {
    const unsigned a = source[3];
    target[0] = OverWhite(source[0], a);
    target[1] = OverWhite(source[1], a);
    target[2] = OverWhite(source[2], a);
  }
}

void Rgba16OverWhiteRow(std::uint8_t* target, const std::uint16_t* source, int width) {
  for (int x = 0; x < width; ++x, target += 3, source += 4) {
    const std::uint64_t a = source[3];
    target[0] = OverWhite16(source[2], a);
    target[1] = OverWhite16(source[1], a);
    target[2] = OverWhite16(source[0], a);
  }
}
