#include "RecordingPrintDevice.h"

#include <cmath>

void FillWithCoordinates(CDibImage& image, int width, int height) {
  (void)image.Create(width, height, TRUE);
  for (int y = 0; y < height; ++y) {
    std::uint8_t* p = image.GetPixelAddress(0, y);
    for (int x = 0; x < width; ++x, p += 3) {
      p[0] = static_cast<std::uint8_t>(x);
      p[1] = static_cast<std::uint8_t>(((x >> 8) & 0xF) | (((y >> 8) & 0xF) << 4));
      p[2] = static_cast<std::uint8_t>(y);
    }
  }
}

namespace {

void DecodeCoordinates(const std::uint8_t* p, int& x, int& y) {
  x = p[0] | ((p[1] & 0xF) << 8);
  y = p[2] | ((p[1] >> 4) << 8);
}

}  // namespace

bool CRecordingPrintDevice::StartDoc(const std::string& documentName) {
  events.push_back("StartDoc " + documentName);
  return !failStartDoc;
}

bool CRecordingPrintDevice::StartPage() {
  events.push_back("StartPage");
  return ++m_page != failStartPageAt;
}

bool CRecordingPrintDevice::EndPage() {
  events.push_back("EndPage");
  if (askAbortAtEndPage || errorCodeAtEndPage != 0)
    events.push_back("abort proc -> " + std::to_string(CallAbortProc(errorCodeAtEndPage)));
  return m_page != failEndPageAt;
}

bool CRecordingPrintDevice::EndDoc() {
  events.push_back("EndDoc");
  return true;
}

void CRecordingPrintDevice::AbortDoc() { events.push_back("AbortDoc"); }

void CRecordingPrintDevice::StretchBand(const DeviceRect& destination, const CDibImage& band,
                                        int sourceWidth, int sourceHeight) {
  RecordedBand record{m_page, destination, -1, -1, sourceWidth, sourceHeight, true};
  DecodeCoordinates(band.GetPixelAddress(0, 0), record.sourceX, record.sourceY);
  DecodeCoordinates(band.GetPixelAddress(sourceWidth - 1, sourceHeight - 1), record.lastX,
                    record.lastY);
  for (int y = 0; y < sourceHeight; ++y)
    for (int x = 0; x < sourceWidth; ++x) {
      int px = 0, py = 0;
      DecodeCoordinates(band.GetPixelAddress(x, y), px, py);
      if (px != record.sourceX + x || py != record.sourceY + y) record.contiguous = false;
    }
  bands.push_back(record);
}

void CRecordingPrintDevice::DrawLine(DevicePoint from, DevicePoint to, double) {
  const auto at = [](DevicePoint p) {
    return std::to_string(std::lround(p.x)) + "," + std::to_string(std::lround(p.y));
  };
  lines.push_back(std::to_string(m_page) + ": " + at(from) + "-" + at(to));
}

void CRecordingPrintDevice::DrawText(DevicePoint, const std::string& text, double, int) {
  texts.push_back(std::to_string(m_page) + ": " + text);
}
