#include "platform/ImageDraw.h"

#include <QImage>
#include <QPainter>

bool DrawPixels(QPainter& painter, const QRectF& target, const PixelView& view,
                const QRect& source) {
  if (view.bits == nullptr || source.isEmpty() ||
      !QRect(0, 0, view.width, view.height).contains(source))
    return false;
  // The rows of source form one block of memory; a bottom-up picture holds them in reverse
  // order, which the painter undoes by drawing the block upside down.
  const int firstRowInMemory = view.bottomUp ? view.height - 1 - source.bottom() : source.top();
  const std::uint8_t* first =
      view.bits + firstRowInMemory * view.rowBytes + static_cast<std::ptrdiff_t>(source.left()) * 3;
  const QImage rows(first, source.width(), source.height(), view.rowBytes, QImage::Format_BGR888);
  painter.save();
  painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
  if (view.bottomUp) {
    // Mirror about the target's horizontal centre line.
    painter.translate(0, 2 * target.top() + target.height());
    painter.scale(1, -1);
  }
  painter.drawImage(target, rows);
  painter.restore();
  return true;
}
