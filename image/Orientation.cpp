#include "image/Orientation.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace {

constexpr int kBytesPerPixel = 3;
// Side of the square blocks in which the exchanging orientations walk the picture, so that the
// rows read and the rows written both stay in the cache.
constexpr int kBlock = 64;

void MirrorRow(std::uint8_t* row, int width) {
  std::uint8_t* left = row;
  std::uint8_t* right = row + static_cast<std::size_t>(width - 1) * kBytesPerPixel;
  for (; left < right; left += kBytesPerPixel, right -= kBytesPerPixel)
    for (int b = 0; b < kBytesPerPixel; ++b) std::swap(left[b], right[b]);
}

void MirrorLeftRight(CDibImage& image) {
  for (int y = 0; y < image.GetHeight(); ++y) MirrorRow(image.GetPixelAddress(0, y), image.GetWidth());
}

void MirrorTopBottom(CDibImage& image) {
  const std::size_t bytes = static_cast<std::size_t>(image.GetWidth()) * kBytesPerPixel;
  for (int top = 0, bottom = image.GetHeight() - 1; top < bottom; ++top, --bottom)
    std::swap_ranges(image.GetPixelAddress(0, top), image.GetPixelAddress(0, top) + bytes,
                     image.GetPixelAddress(0, bottom));
}

// Where the source pixel for target (0, 0) lies and how far it moves, in bytes, for one step
// right and one step down in the target.
struct SourceWalk {
  const std::uint8_t* origin;
  std::ptrdiff_t acrossStep;
  std::ptrdiff_t downStep;
};

// Target pixel (x, y) of an exchanging orientation takes source pixel (sx, sy) with
//   5: (y, x)   6: (y, H-1-x)   7: (W-1-y, H-1-x)   8: (W-1-y, x)
// where W × H is the source's size. Source rows lie GetRowBytes apart, bottom row first, so a
// step to the next source row down is a step back in memory.
SourceWalk WalkFor(const CDibImage& source, int orientation) {
  const int w = source.GetWidth(), h = source.GetHeight();
  const auto rowDown = -static_cast<std::ptrdiff_t>(source.GetRowBytes());
  const bool fromBottom = orientation == 6 || orientation == 7;  // target x runs up the source
  const bool fromRight = orientation == 7 || orientation == 8;   // target y runs left
  SourceWalk walk{source.GetPixelAddress(fromRight ? w - 1 : 0, fromBottom ? h - 1 : 0), 0, 0};
  walk.acrossStep = fromBottom ? -rowDown : rowDown;
  walk.downStep = fromRight ? -kBytesPerPixel : kBytesPerPixel;
  return walk;
}

void GatherBlock(CDibImage& target, const SourceWalk& walk, int x0, int y0) {
  const int x1 = std::min(x0 + kBlock, target.GetWidth());
  const int y1 = std::min(y0 + kBlock, target.GetHeight());
  for (int y = y0; y < y1; ++y) {
    std::uint8_t* out = target.GetPixelAddress(x0, y);
    const std::uint8_t* in = walk.origin + y * walk.downStep + x0 * walk.acrossStep;
    for (int x = x0; x < x1; ++x, out += kBytesPerPixel, in += walk.acrossStep)
      std::memcpy(out, in, kBytesPerPixel);
  }
}

BOOL ExchangeSides(CDibImage& image, int orientation) {
  CDibImage turned;
  if (!turned.Create(image.GetHeight(), image.GetWidth())) return FALSE;
  const SourceWalk walk = WalkFor(image, orientation);
  for (int y0 = 0; y0 < turned.GetHeight(); y0 += kBlock)
    for (int x0 = 0; x0 < turned.GetWidth(); x0 += kBlock) GatherBlock(turned, walk, x0, y0);
  image.TakePixels(turned);
  return TRUE;
}

}  // namespace

bool IsKnownOrientation(int orientation) { return orientation >= 1 && orientation <= 8; }

bool OrientationSwapsSides(int orientation) { return orientation >= 5 && orientation <= 8; }

BOOL TurnUpright(CDibImage& image, int orientation) {
  if (!image.Is24Bit()) return FALSE;
  switch (orientation) {
    case 2: MirrorLeftRight(image); return TRUE;
    case 3: MirrorLeftRight(image); MirrorTopBottom(image); return TRUE;
    case 4: MirrorTopBottom(image); return TRUE;
    case 5: case 6: case 7: case 8: return ExchangeSides(image, orientation);
    default: return TRUE;
  }
}
