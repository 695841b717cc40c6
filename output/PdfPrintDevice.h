// A print device that writes a PDF file: one PDF page per printed page, every band an image of
// exactly the pixels the band holds, placed and stretched by the page's transformation, so the
// file keeps the poster's pixels without resampling or lossy compression.
#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "formats/AtomicFile.h"
#include "output/PaperSize.h"
#include "output/PrintDevice.h"

class CPdfPrintDevice : public CPrintDevice {
 public:
  // The file appears under target only when EndDoc succeeds; an existing file is untouched
  // until then. The printable area is the paper less kPaperMarginInches on every side.
  CPdfPrintDevice(COutputTarget target, const PaperSize& paper, int dpiX, int dpiY);
  ~CPdfPrintDevice() override;

  [[nodiscard]] PrintDeviceMetrics GetMetrics() const override;
  [[nodiscard]] bool StartDoc(const std::string& documentName) override;
  [[nodiscard]] bool StartPage() override;
  [[nodiscard]] bool EndPage() override;
  [[nodiscard]] bool EndDoc() override;
  void AbortDoc() override;
  void StretchBand(const DeviceRect& destination, const CDibImage& band, int sourceWidth,
                   int sourceHeight) override;

 private:
  int NewObject();
  void BeginObject(int id);
  void WriteText(const std::string& text);
  void WriteTrailer();

  COutputTarget m_target;
  PaperSize m_paper;
  int m_dpiX, m_dpiY;
  std::unique_ptr<CAtomicFile> m_file;
  std::FILE* m_out = nullptr;
  std::string m_title;
  std::vector<long> m_offsets;  // byte offset of object i + 1
  std::vector<int> m_pageIds;
  int m_contentId = 0;
  long m_contentStart = 0;
  std::vector<std::uint8_t> m_rgbRow;
};
