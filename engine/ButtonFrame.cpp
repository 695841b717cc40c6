#include "engine/ButtonFrame.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

using Bgr = std::array<std::uint8_t, 3>;
using Ramp = std::array<Bgr, 256>;

// A strip width that keeps x2 and the distances of the formula well inside int.
constexpr double kMaxStrip = 1 << 30;

std::uint8_t Mix(std::uint8_t dark, std::uint8_t light, int k) {
  return static_cast<std::uint8_t>((dark * (255 - k) + light * k) / 255);
}

// 256 colours from dark (entry 0) to light (entry 255).
Ramp MakeRamp(COLORREF dark, COLORREF light) {
  Ramp ramp;
  for (int k = 0; k < 256; ++k)
    ramp[k] = {Mix(GetBValue(dark), GetBValue(light), k), Mix(GetGValue(dark), GetGValue(light), k),
               Mix(GetRValue(dark), GetRValue(light), k)};
  return ramp;
}

// The figures of one direction (across or down) of the frame.
struct Axis {
  int last;       // W1: the last pixel's position, or 1 for a side of one pixel
  double centre;  // cx
  int strip;      // bx
  int innerEnd;   // x2: the last position inside the frame

  Axis(int size, int thickness) {
    last = size > 1 ? size - 1 : 1;
    centre = last / 2.0;
    const double stripReal = std::trunc((thickness * centre + 25) * 0.02);
    strip = static_cast<int>(std::clamp(stripReal, 1.0, kMaxStrip));
    innerEnd = last - strip;
  }
  [[nodiscard]] bool InFrame(int pos) const { return pos < strip || pos > innerEnd; }
  // How far the position lies from the strip's inner edge, 0..255 (255 at the outer edge).
  [[nodiscard]] int EdgeShade(int pos) const {
    const std::int64_t k = pos < strip ? pos : pos > innerEnd ? last - pos : strip;
    return static_cast<int>(std::trunc(std::llabs(k - strip) / static_cast<double>(strip) * 255));
  }
  // I (across) or J (down): how deep the position lies in the strip running the other way.
  [[nodiscard]] double Depth(int pos) const {
    return (std::fabs(std::trunc(pos - centre)) - (centre - strip)) / strip;
  }
};

// Per-position figures of one axis, worked out once per image rather than per pixel.
struct AxisFigures {
  std::vector<int> edgeShade;
  std::vector<double> depth;

  AxisFigures(const Axis& axis, int size) : edgeShade(size), depth(size) {
    for (int pos = 0; pos < size; ++pos) {
      edgeShade[pos] = axis.EdgeShade(pos);
      depth[pos] = axis.Depth(pos);
    }
  }
};

struct FrameContext {
  const Axis& across;
  const Axis& down;
  const AxisFigures& columns;
  const Ramp& ramp;
  bool blended;
};

// The row's own figures: y, its depth J and its edge shade.
struct RowFigures {
  int y;
  double j;
  int edgeShade;
};

int RampIndex(int x, const RowFigures& row, const FrameContext& frame) {
  const double i = frame.columns.depth[x];
  const int a = std::clamp(255 - std::max(frame.columns.edgeShade[x], row.edgeShade), 0, 255);
  const bool near = std::fabs(i - row.j) <= 0.01;
  if (x > frame.across.innerEnd && i >= row.j)
    return (near && row.y < frame.down.innerEnd) ? 128 : a / 2;
  if (row.y <= frame.down.innerEnd) return a / 2 + 128;
  if (row.j < i) return a / 2 + 128;
  return (near && x < frame.across.innerEnd) ? 128 : a / 2;
}

// Frame colour over the pixel: full at alpha 256, none at 0.
int Alpha(double i, double j) {
  const int alpha = static_cast<int>(std::trunc(std::min(std::max(i, j), 1.0) * 256));
  return alpha == 255 ? 256 : alpha;
}

// Shades the frame pixels of one row, columns [from, to).
void ShadeSpan(std::uint8_t* rowBytes, const RowFigures& row, int from, int to,
               const FrameContext& frame) {
  for (int x = from; x < to; ++x) {
    std::uint8_t* pixel = rowBytes + 3 * static_cast<std::size_t>(x);
    const Bgr& colour = frame.ramp[RampIndex(x, row, frame)];
    if (!frame.blended) {
      std::copy(colour.begin(), colour.end(), pixel);
      continue;
    }
    const int alpha = Alpha(frame.columns.depth[x], row.j);
    for (int c = 0; c < 3; ++c)
      pixel[c] =
          static_cast<std::uint8_t>((pixel[c] * (256 - alpha) + colour[c] * alpha + 128) >> 8);
  }
}

}  // namespace

void DrawButtonFrame(CDibImage& image, int thickness, BOOL blended) {
  if (!image.Is24Bit()) return;
  const int width = image.GetWidth(), height = image.GetHeight();
  const Axis across(width, thickness), down(height, thickness);
  const Ramp ramp = MakeRamp(image.GetShadowColor(), image.GetHighlightColor());
  const AxisFigures columns(across, width);
  const FrameContext frame{across, down, columns, ramp, blended != FALSE};
  // Rows inside the frame have two spans: the left strip and the right strip.
  const int leftEnd = std::min(across.strip, width);
  const int rightStart = std::clamp(across.innerEnd + 1, leftEnd, width);
  for (int y = 0; y < height; ++y) {
    std::uint8_t* rowBytes = image.GetPixelAddress(0, y);
    const RowFigures row{y, down.Depth(y), down.EdgeShade(y)};
    if (down.InFrame(y)) {
      ShadeSpan(rowBytes, row, 0, width, frame);
    } else {
      ShadeSpan(rowBytes, row, 0, leftEnd, frame);
      ShadeSpan(rowBytes, row, rightStart, width, frame);
    }
  }
}
