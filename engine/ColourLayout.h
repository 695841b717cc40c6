// The colour layout of a picture area: the average colour of each of 3 × 3 parts, in CIELAB, so
// that the distance between two layouts follows how different the areas look, not their bytes.
#pragma once

#include <array>

#include "image/DibImage.h"

constexpr int kLayoutSide = 3;                                  // parts across and down
constexpr int kLayoutValues = kLayoutSide * kLayoutSide * 3;    // L, a, b of every part

struct ColourLayout {
  // L, a, b of each part, the parts row by row from the top, each row from the left.
  std::array<float, kLayoutValues> lab{};
};

// CIELAB (D65 white) of an sRGB colour whose channels are given as real numbers 0..255.
[[nodiscard]] std::array<float, 3> SrgbToLab(double red, double green, double blue);

// The layout of the width × height area at (x, y) of a 24-bit image. The area is split at
// i × width / 3 and j × height / 3; each part's bytes are averaged, then turned into CIELAB. A
// part of a side shorter than three pixels takes the one pixel at its start. The area must lie
// inside the image.
[[nodiscard]] ColourLayout MeasureLayout(const CDibImage& image, int x, int y, int width,
                                         int height);

// Squared Euclidean distance over the 27 values, summed in their order.
[[nodiscard]] float LayoutDistance(const ColourLayout& a, const ColourLayout& b);
