#include "output/QtPrintDevice.h"

#include <QFont>
#include <QImage>
#include <QPen>
#include <algorithm>
#include <cstring>

PrintDeviceMetrics CQtPrintDevice::GetMetrics() const {
  const int dpi = m_printer.resolution();
  const QRect area = m_printer.pageLayout().paintRectPixels(dpi);
  return {area.width(), area.height(), dpi, dpi};
}

bool CQtPrintDevice::StartDoc(const std::string& documentName) {
  m_printer.setDocName(QString::fromStdString(documentName));
  m_pagesStarted = 0;
  if (!m_painter.begin(&m_printer)) return false;
  // Bands keep their exact pixels: no lossy compression on the way to the spooler.
  m_painter.setRenderHint(QPainter::LosslessImageRendering);
  m_painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
  return true;
}

bool CQtPrintDevice::StartPage() {
  // Opening the painter opened the first page.
  if (m_pagesStarted++ == 0) return m_printer.printerState() != QPrinter::Error;
  return m_printer.newPage();
}

BOOL CQtPrintDevice::AskToGoOn() {
  return CallAbortProc(m_printer.printerState() == QPrinter::Error ? kSpError : 0);
}

bool CQtPrintDevice::EndPage() {
  return AskToGoOn() && m_printer.printerState() != QPrinter::Error;
}

bool CQtPrintDevice::EndDoc() {
  return m_painter.end() && m_printer.printerState() != QPrinter::Error;
}

void CQtPrintDevice::AbortDoc() {
  m_printer.abort();
  if (m_painter.isActive()) m_painter.end();
}

void CQtPrintDevice::StretchBand(const DeviceRect& destination, const CDibImage& band,
                                 int sourceWidth, int sourceHeight) {
  if (!AskToGoOn()) return;
  QImage part(sourceWidth, sourceHeight, QImage::Format_BGR888);
  const std::size_t rowBytes = static_cast<std::size_t>(sourceWidth) * 3;
  for (int y = 0; y < sourceHeight; ++y)
    std::memcpy(part.scanLine(y), band.GetPixelAddress(0, y), rowBytes);
  m_painter.drawImage(QRect(destination.x, destination.y, destination.width, destination.height),
                      part);
}

void CQtPrintDevice::DrawLine(DevicePoint from, DevicePoint to, double thickness) {
  m_painter.setPen(QPen(Qt::black, thickness));
  m_painter.drawLine(QPointF(from.x, from.y), QPointF(to.x, to.y));
}

void CQtPrintDevice::DrawText(DevicePoint origin, const std::string& text, double heightPx,
                              int quarterTurns) {
  QFont font("Helvetica");
  font.setPixelSize(std::max(1, static_cast<int>(heightPx)));
  m_painter.save();
  m_painter.setFont(font);
  m_painter.setPen(Qt::black);
  m_painter.translate(origin.x, origin.y);
  m_painter.rotate(-90.0 * quarterTurns);  // the device's rows run downwards
  m_painter.drawText(QPointF(0, 0), QString::fromStdString(text));
  m_painter.restore();
}
