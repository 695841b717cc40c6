// A slow, literal reading of the resampling rules, used only to check the real procedures byte
// for byte on tiny images. It shares no code with them: every destination byte is worked out on
// its own, boxes are found by scanning the whole map, nothing is precomputed.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "image/DibImage.h"
#include "support/TestSupport.h"

namespace ref {

// Pixels row by row from the top, each blue, green, red.
struct Picture {
  int width = 0;
  int height = 0;
  std::vector<test::Bgr> pixels;
  test::Bgr& at(int x, int y) { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

inline Picture Blank(int width, int height) {
  return Picture{width, height, std::vector<test::Bgr>(static_cast<std::size_t>(width) * height)};
}

inline std::int64_t MapEntry(std::int64_t k, std::int64_t s, std::int64_t d) {
  return ((15 * s) / 16 + k * d) / s;
}

// Source positions k < s whose map entry is c.
inline std::vector<int> Box(int c, int s, int d) {
  std::vector<int> members;
  for (int k = 0; k < s; ++k)
    if (MapEntry(k, s, d) == c) members.push_back(k);
  return members;
}

struct Sixty4ths {
  int a, b, f;
};
inline Sixty4ths At64ths(std::int64_t i, std::int64_t s, std::int64_t d) {
  std::int64_t p = (64 * i * s) / d - 32;
  if (p < 0) p = 0;
  const int a = static_cast<int>(p / 64);
  return {a, a + 1 < s ? a + 1 : a, static_cast<int>(p % 64)};
}

inline int Byte(const CDibImage& image, int x, int y, int k) {
  return test::PixelAt(image, x, y)[k];
}

inline Picture ReduceBoth(const CDibImage& src, int dw, int dh) {
  const int sw = src.GetWidth(), sh = src.GetHeight();
  Picture out = Blank(dw, dh);
  for (int r = 0; r < dh; ++r)
    for (int c = 0; c < dw; ++c)
      for (int k = 0; k < 3; ++k) {
        const std::vector<int> rows = Box(r, sh, dh), cols = Box(c, sw, dw);
        std::uint64_t total = 0;
        for (int y : rows)
          for (int x : cols) total += Byte(src, x, y, k);
        out.at(c, r)[k] = static_cast<std::uint8_t>(total / rows.size() / cols.size());
      }
  return out;
}

inline Picture ReduceAcrossEnlargeDown(const CDibImage& src, int dw, int dh) {
  const int sw = src.GetWidth(), sh = src.GetHeight();
  Picture out = Blank(dw, dh);
  for (int i = 0; i < dh; ++i) {
    const Sixty4ths p = At64ths(i, sh, dh);
    for (int c = 0; c < dw; ++c)
      for (int k = 0; k < 3; ++k) {
        const std::vector<int> cols = Box(c, sw, dw);
        int total = 0;
        for (int x : cols)
          total += (Byte(src, x, p.a, k) * (64 - p.f) + Byte(src, x, p.b, k) * p.f) / 64;
        out.at(c, i)[k] = static_cast<std::uint8_t>(total / static_cast<int>(cols.size()));
      }
  }
  return out;
}

inline Picture EnlargeAcrossReduceDown(const CDibImage& src, int dw, int dh) {
  const int sw = src.GetWidth(), sh = src.GetHeight();
  Picture out = Blank(dw, dh);
  for (int r = 0; r < dh; ++r)
    for (int j = 0; j < dw; ++j) {
      const Sixty4ths p = At64ths(j, sw, dw);
      for (int k = 0; k < 3; ++k) {
        const std::vector<int> rows = Box(r, sh, dh);
        int total = 0;
        for (int y : rows)
          total += (Byte(src, p.a, y, k) * (64 - p.f) + Byte(src, p.b, y, k) * p.f) / 64;
        out.at(j, r)[k] = static_cast<std::uint8_t>(total / static_cast<int>(rows.size()));
      }
    }
  return out;
}

inline Picture EnlargeBoth(const CDibImage& src, int dw, int dh) {
  const int sw = src.GetWidth(), sh = src.GetHeight();
  Picture out = Blank(dw, dh);
  for (int i = 0; i < dh; ++i)
    for (int j = 0; j < dw; ++j) {
      const double x = (double)sw * j / dw;
      const int x0 = (int)x;
      const int t = (int)(x * 100 - x0 * 100 - 50);
      const double y = (double)sh * i / dh;
      const int y0 = (int)y;
      const int u = (int)(y * 100 - y0 * 100 - 50);
      const int xn = t < 0 ? (x0 == 0 ? 0 : x0 - 1) : (x0 == sw - 1 ? sw - 1 : x0 + 1);
      const int yn = u < 0 ? (y0 == 0 ? 0 : y0 - 1) : (y0 == sh - 1 ? sh - 1 : y0 + 1);
      const int X = std::abs(t), Y = std::abs(u);
      const int diagonal = X * Y / 100;
      const int vertical = (100 - X) * Y / 100;
      const int horizontal = (100 - Y) * X / 100;
      const int self = 100 - diagonal - vertical - horizontal;
      for (int k = 0; k < 3; ++k)
        out.at(j, i)[k] = static_cast<std::uint8_t>(
            Byte(src, x0, y0, k) * self / 100 + Byte(src, xn, y0, k) * horizontal / 100 +
            Byte(src, x0, yn, k) * vertical / 100 + Byte(src, xn, yn, k) * diagonal / 100);
    }
  return out;
}

// The percentages a procedure reports when every reporting point, in order, has the position
// point and the given total: SetPercent only when the integer part differs from the last one.
struct PercentTrace {
  std::int64_t total;
  std::vector<int> reported;
  int last = 100;
  void Point(std::int64_t position) {
    const int percent = (int)((double)(position * 100) / (double)total);
    if (percent != last) reported.push_back(last = percent);
  }
};

inline std::vector<int> ReduceBothPercents(int sw, int sh, int dw, int dh) {
  (void)dw;
  PercentTrace trace{(std::int64_t)sh * sw, {}};
  for (int i = 0; i <= sh; ++i)
    if (MapEntry(i, sh, dh) != (i == 0 ? 0 : MapEntry(i - 1, sh, dh)))
      for (int j = 0; j <= sw; ++j) trace.Point((std::int64_t)i * sw + j);
  return trace.reported;
}

inline std::vector<int> ReduceAcrossEnlargeDownPercents(int sw, int dh) {
  PercentTrace trace{(std::int64_t)dh * sw, {}};
  for (int i = 0; i < dh; ++i)
    for (int j = 0; j <= sw; ++j) trace.Point((std::int64_t)i * sw + j);
  return trace.reported;
}

inline std::vector<int> EnlargeAcrossReduceDownPercents(int sh, int dw) {
  PercentTrace trace{(std::int64_t)sh * dw, {}};
  for (int i = 0; i < sh; ++i)
    for (int j = 0; j < dw; ++j) trace.Point((std::int64_t)i * dw + j);
  return trace.reported;
}

inline std::vector<int> EnlargeBothPercents(int dw, int dh) {
  PercentTrace trace{(std::int64_t)dw * dh, {}};
  for (int i = 0; i < dh; ++i)
    for (int j = 0; j < dw; ++j) trace.Point((std::int64_t)i * dw + j);
  return trace.reported;
}

}  // namespace ref

namespace ref {

using test::Bgr;

// Bytes that differ from pixel to pixel and from channel to channel without any smooth trend.
inline Bgr Noise(int x, int y) {
  const std::uint32_t h =
      (static_cast<std::uint32_t>(x) * 73856093u ^ static_cast<std::uint32_t>(y) * 19349663u) *
      2654435761u;
  return {static_cast<std::uint8_t>(h >> 24), static_cast<std::uint8_t>(h >> 16),
          static_cast<std::uint8_t>(h >> 8)};
}

// Every pixel of image equals the picture's; names the first that does not.
inline ::testing::AssertionResult Matches(const CDibImage& image, ref::Picture expected) {
  if (!image.Is24Bit() || image.GetWidth() != expected.width ||
      image.GetHeight() != expected.height)
    return ::testing::AssertionFailure()
           << "image is " << image.GetWidth() << " x " << image.GetHeight() << ", expected "
           << expected.width << " x " << expected.height;
  for (int y = 0; y < expected.height; ++y)
    for (int x = 0; x < expected.width; ++x)
      if (test::PixelAt(image, x, y) != expected.at(x, y)) {
        const Bgr got = test::PixelAt(image, x, y), want = expected.at(x, y);
        return ::testing::AssertionFailure()
               << "pixel (" << x << ", " << y << ") is " << +got[0] << "/" << +got[1] << "/"
               << +got[2] << ", expected " << +want[0] << "/" << +want[1] << "/" << +want[2];
      }
  return ::testing::AssertionSuccess();
}

}  // namespace ref
