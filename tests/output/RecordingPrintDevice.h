// A print device that records what the print engine sends it, for checking every band.
#pragma once

#include <string>
#include <vector>

#include "output/PrintDevice.h"

// Poster pixels that name their own coordinates (x and y below 4096), so a band's pixels tell
// which part of the poster they were copied from.
void FillWithCoordinates(CDibImage& image, int width, int height);

struct RecordedBand {
  int page = 0;  // 1-based count of the pages started
  DeviceRect destination;
  int sourceX = -1;  // poster position of the band's top-left pixel
  int sourceY = -1;
  int sourceWidth = 0;
  int sourceHeight = 0;
  bool contiguous = true;  // every pixel drawn is the poster pixel its position says
  int lastX = -1;          // poster position of the band's bottom-right pixel
  int lastY = -1;
};

class CRecordingPrintDevice : public CPrintDevice {
 public:
  explicit CRecordingPrintDevice(PrintDeviceMetrics metrics) : m_metrics(metrics) {}

  [[nodiscard]] PrintDeviceMetrics GetMetrics() const override { return m_metrics; }
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

  // Calls as a spooler would make them: the events, in order ("StartDoc NAME", "StartPage",
  // "EndPage", "EndDoc", "AbortDoc", "abort proc -> 0|1").
  std::vector<std::string> events;
  std::vector<RecordedBand> bands;
  // Lines as "page: x0,y0-x1,y1" and texts as "page: text" (coordinates rounded).
  std::vector<std::string> lines, texts;
  bool failStartDoc = false;
  int failStartPageAt = 0;  // the page whose StartPage fails (1-based), 0 for none
  int failEndPageAt = 0;
  bool askAbortAtEndPage = false;  // the device asks the abort procedure when closing a page
  int errorCodeAtEndPage = 0;

 private:
  PrintDeviceMetrics m_metrics;
  int m_page = 0;
};
