#include "engine/ColourLayout.h"

#include <cmath>
#include <cstdint>

namespace {

// sRGB channel 0..255 to linear light 0..1.
double Linear(double channel) {
  const double c = channel / 255.0;
  return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

// The CIELAB companding of a white-relative value.
double LabF(double t) {
  constexpr double kDelta = 6.0 / 29.0;
  return t > kDelta * kDelta * kDelta ? std::cbrt(t) : t / (3 * kDelta * kDelta) + 4.0 / 29.0;
}

// The start and end (exclusive) of part i of a side of length n; never empty.
void PartBounds(int i, int n, int& start, int& end) {
  start = i * n / kLayoutSide;
  end = (i + 1) * n / kLayoutSide;
  if (end <= start) {
    start = start < n ? start : n - 1;
    end = start + 1;
  }
}

}  // namespace

std::array<float, 3> SrgbToLab(double red, double green, double blue) {
  const double r = Linear(red), g = Linear(green), b = Linear(blue);
  // sRGB primaries to XYZ, each row divided by the D65 white point.
  const double x = (0.4124564 * r + 0.3575761 * g + 0.1804375 * b) / 0.95047;
  const double y = 0.2126729 * r + 0.7151522 * g + 0.0721750 * b;
  const double z = (0.0193339 * r + 0.1191920 * g + 0.9503041 * b) / 1.08883;
  const double fx = LabF(x), fy = LabF(y), fz = LabF(z);
  return {static_cast<float>(116 * fy - 16), static_cast<float>(500 * (fx - fy)),
          static_cast<float>(200 * (fy - fz))};
}

ColourLayout MeasureLayout(const CDibImage& image, int x, int y, int width, int height) {
  ColourLayout layout;
  int colStart[kLayoutSide], colEnd[kLayoutSide];
  for (int i = 0; i < kLayoutSide; ++i) PartBounds(i, width, colStart[i], colEnd[i]);
  for (int j = 0; j < kLayoutSide; ++j) {
    int rowStart = 0, rowEnd = 0;
    PartBounds(j, height, rowStart, rowEnd);
    std::uint64_t sums[kLayoutSide][3] = {};
    for (int row = rowStart; row < rowEnd; ++row) {
      const std::uint8_t* line = image.GetPixelAddress(x, y + row);
      for (int i = 0; i < kLayoutSide; ++i) {
        std::uint64_t blue = 0, green = 0, red = 0;
        for (const std::uint8_t* p = line + 3 * colStart[i]; p < line + 3 * colEnd[i]; p += 3) {
          blue += p[0];
          green += p[1];
          red += p[2];
        }
        sums[i][0] += blue;
        sums[i][1] += green;
        sums[i][2] += red;
      }
    }
    for (int i = 0; i < kLayoutSide; ++i) {
      const double count = static_cast<double>(rowEnd - rowStart) * (colEnd[i] - colStart[i]);
      const auto lab = SrgbToLab(sums[i][2] / count, sums[i][1] / count, sums[i][0] / count);
      for (int c = 0; c < 3; ++c) layout.lab[(j * kLayoutSide + i) * 3 + c] = lab[c];
    }
  }
  return layout;
}

float LayoutDistance(const ColourLayout& a, const ColourLayout& b) {
  float sum = 0;
  for (int v = 0; v < kLayoutValues; ++v) {
    const float d = a.lab[v] - b.lab[v];
    sum += d * d;
  }
  return sum;
}
