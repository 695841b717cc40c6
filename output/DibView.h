// A CDibImage's pixels as the drawing helper of the platform layer takes them.
#pragma once

#include "image/DibImage.h"
#include "platform/ImageDraw.h"

inline PixelView ViewOf(const CDibImage& image) {
  if (!image.IsValid() || !image.Is24Bit()) return {};
  return {image.GetBits(), image.GetWidth(), image.GetHeight(),
          static_cast<std::ptrdiff_t>(image.GetRowBytes()), true};
}
