// Row conversions shared by the readers whose libraries deliver red-green-blue samples: each
// writes width pixels of blue, green, red into an image row. Transparent pixels are shown over
// white, the colour of the paper a poster is printed on.
#pragma once

#include <cstdint>

// Red, green, blue bytes → blue, green, red (the same swap turns blue-green-red rows into
// red-green-blue ones). source and target may be the same row.
void RgbToBgrRow(std::uint8_t* target, const std::uint8_t* source, int width);

// Red, green, blue, alpha bytes → blue, green, red over white, rounded.
void RgbaOverWhiteRow(std::uint8_t* target, const std::uint8_t* source, int width);

// Blue, green, red, alpha bytes → blue, green, red over white, rounded.
void BgraOverWhiteRow(std::uint8_t* target, const std::uint8_t* source, int width);

// Red, green, blue, alpha samples of 16 bits → blue, green, red bytes over white, reduced by
// rounding (65535 becomes 255, 32896 becomes 128).
void Rgba16OverWhiteRow(std::uint8_t* target, const std::uint16_t* source, int width);
