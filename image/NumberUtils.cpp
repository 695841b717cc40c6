#include "image/NumberUtils.h"

#include <algorithm>

std::string FormatThousands(std::uint32_t value) {
  const std::string digits = std::to_string(value);
  std::string grouped;
  grouped.reserve(digits.size() + digits.size() / 3);
  for (std::size_t i = 0; i < digits.size(); ++i) {
    grouped += digits[i];
    const std::size_t following = digits.size() - 1 - i;
    if (following > 0 && following % 3 == 0) grouped += ',';
  }
  return grouped;
}

namespace {
int Round(double v) { return static_cast<int>(v + 0.5); }
}  // namespace

void FitInside(int& width, int& height, int maxWidth, int maxHeight) {
  // A picture without area has no aspect ratio to keep: it fills the box.
  if (width <= 0 || height <= 0) {
    width = std::max(maxWidth, 1);
    height = std::max(maxHeight, 1);
    return;
  }
  const double w = width, h = height;
  const int widthAtFullHeight = Round(w * maxHeight / h);
  const int heightAtFullWidth = Round(h * maxWidth / w);
  int newWidth, newHeight;
  if (widthAtFullHeight > maxWidth) {
    newHeight = heightAtFullWidth;
    newWidth = Round(heightAtFullWidth * w / h);
  } else if (heightAtFullWidth > maxHeight) {
    newWidth = widthAtFullHeight;
    newHeight = Round(widthAtFullHeight * h / w);
  } else {
    newWidth = widthAtFullHeight;
    newHeight = heightAtFullWidth;
  }
  width = std::clamp(newWidth, 1, std::max(maxWidth, 1));
  height = std::clamp(newHeight, 1, std::max(maxHeight, 1));
}
