// Drawing a rectangle of a 24-bit picture held as bottom-up rows, as the screen copies of the
// poster are, without copying the picture.
#pragma once

#include <QRect>
#include <cstddef>
#include <cstdint>

class QPainter;

// 24-bit blue-green-red pixels, not owned. With bottomUp the first row in memory is the
// picture's bottom row; rowBytes is the distance between rows in memory either way.
struct PixelView {
  const std::uint8_t* bits = nullptr;
  int width = 0;
  int height = 0;
  std::ptrdiff_t rowBytes = 0;
  bool bottomUp = true;
};

// Draws the part source (picture pixels, y from the top) onto target in painter's coordinates,
// stretched without smoothing. Only the rows of source are read. false, nothing drawn, when the
// view has no pixels or source is not inside the picture.
bool DrawPixels(QPainter& painter, const QRectF& target, const PixelView& view,
                const QRect& source);
