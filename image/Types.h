// Result and colour types shared by the whole poster program.
#pragma once

#include <cstdint>

// Success results are BOOL: non-zero means success. The macros are guarded because libjpeg
// defines the same two names with the same values.
using BOOL = int;
#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

// A colour as 0x00BBGGRR, red in the low byte.
using COLORREF = std::uint32_t;

constexpr std::uint8_t GetRValue(COLORREF c) { return static_cast<std::uint8_t>(c); }
constexpr std::uint8_t GetGValue(COLORREF c) { return static_cast<std::uint8_t>(c >> 8); }
constexpr std::uint8_t GetBValue(COLORREF c) { return static_cast<std::uint8_t>(c >> 16); }
