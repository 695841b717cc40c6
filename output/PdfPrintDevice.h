// A print device that writes a PDF file: one PDF page per printed page, each page's part of the
// poster one picture of exactly the pixels it shows, placed and stretched by the page, and the
// marks and labels as lines and text in a standard font.
#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "formats/AtomicFile.h"
#include "output/PaperSize.h"
#include "output/PdfImageStream.h"
#include "output/PrintDevice.h"

// The picture quality that keeps every pixel exact.
constexpr int kPdfLossless = 0;

class CPdfPrintDevice : public CPrintDevice {
 public:
  // The file appears under target only when EndDoc succeeds; an existing file is untouched
  // until then. The printable area is the paper less kPaperMarginInches on every side. Pictures
  // are JPEG-compressed at jpegQuality (1..100), or kept exact with kPdfLossless.
  CPdfPrintDevice(COutputTarget target, const PaperSize& paper, int dpiX, int dpiY,
                  int jpegQuality);
  ~CPdfPrintDevice() override;

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
  [[nodiscard]] bool TakesPictures() const override { return true; }
  void BeginPicture(int width, int height, const PicturePlacement& at) override;
  void PictureRows(const CDibImage& image, int x, int y, int rows) override;
  void EndPicture() override;

 private:
  int NewObject();
  void BeginObject(int id);
  void WriteText(const std::string& text);
  void WriteTrailer();
  // Page coordinates in points, from the bottom-left corner of the paper.
  [[nodiscard]] double PointsX(double x) const;
  [[nodiscard]] double PointsY(double y) const;

  COutputTarget m_target;
  PaperSize m_paper;
  int m_dpiX, m_dpiY;
  int m_jpegQuality;
  std::unique_ptr<CAtomicFile> m_file;
  std::FILE* m_out = nullptr;
  bool m_failed = false;  // a picture could not be written: the document is not delivered
  std::string m_title;
  std::vector<long> m_offsets;  // byte offset of object i + 1
  std::vector<int> m_pageIds;
  std::string m_content;               // the open page's drawing operators
  std::vector<int> m_pictureIds;       // the open page's pictures, named /P0, /P1 …
  std::unique_ptr<CPdfImageStream> m_picture;  // the picture being written
  long m_pictureStart = 0;
};
