// The print device of a real printer: a QPrinter painted at its full resolution.
#pragma once

#include <QPainter>
#include <QPrinter>

#include "output/PrintDevice.h"

class CQtPrintDevice : public CPrintDevice {
 public:
  // printer (not owned) is set up and outlives the device; its resolution serves both axes.
  explicit CQtPrintDevice(QPrinter& printer) : m_printer(printer) {}

  [[nodiscard]] PrintDeviceMetrics GetMetrics() const override;
  [[nodiscard]] bool StartDoc(const std::string& documentName) override;
  [[nodiscard]] bool StartPage() override;
  [[nodiscard]] bool EndPage() override;
  [[nodiscard]] bool EndDoc() override;
  void AbortDoc() override;
  void StretchBand(const DeviceRect& destination, const CDibImage& band, int sourceWidth,
                   int sourceHeight) override;
  void DrawLine(DevicePoint from, DevicePoint to, double thickness) override;
  void DrawText(DevicePoint origin, const std::string& text, double heightPx,
                int quarterTurns) override;

 private:
  // Asks the abort procedure as a spooler would, passing on a failure of the printer.
  BOOL AskToGoOn();

  QPrinter& m_printer;
  QPainter m_painter;
  int m_pagesStarted = 0;
};
