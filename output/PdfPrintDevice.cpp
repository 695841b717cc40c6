#include "output/PdfPrintDevice.h"

#include <cstdarg>

namespace {

constexpr double kPointsPerInch = 72.0;
constexpr int kCatalogId = 1;
constexpr int kPagesId = 2;

std::string Format(const char* format, ...) {
  char text[512];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  return text;
}

// A PDF literal string: backslashes and parentheses escaped, control characters dropped.
std::string PdfString(const std::string& text) {
  std::string out = "(";
  for (const char c : text) {
    if (c == '\\' || c == '(' || c == ')') out += '\\';
    if (static_cast<unsigned char>(c) >= 0x20) out += c;
  }
  return out + ")";
}

}  // namespace

CPdfPrintDevice::CPdfPrintDevice(COutputTarget target, const PaperSize& paper, int dpiX, int dpiY)
    : m_target(std::move(target)), m_paper(paper), m_dpiX(dpiX), m_dpiY(dpiY) {}

CPdfPrintDevice::~CPdfPrintDevice() = default;

PrintDeviceMetrics CPdfPrintDevice::GetMetrics() const {
  return {static_cast<int>((m_paper.widthInches - 2 * kPaperMarginInches) * m_dpiX),
          static_cast<int>((m_paper.heightInches - 2 * kPaperMarginInches) * m_dpiY), m_dpiX,
          m_dpiY};
}

bool CPdfPrintDevice::StartDoc(const std::string& documentName) {
  m_file = std::make_unique<CAtomicFile>(m_target);
  m_out = m_file->Open();
  if (m_out == nullptr) {
    m_file.reset();
    return false;
  }
  m_title = documentName;
  m_offsets.assign(2, 0);  // the catalog and the page tree are written last
  m_pageIds.clear();
  WriteText("%PDF-1.4\n%\xE2\xE3\xCF\xD3\n");
  return true;
}

int CPdfPrintDevice::NewObject() {
  m_offsets.push_back(0);
  return static_cast<int>(m_offsets.size());
}

void CPdfPrintDevice::BeginObject(int id) {
  m_offsets[id - 1] = std::ftell(m_out);
  WriteText(Format("%d 0 obj\n", id));
}

void CPdfPrintDevice::WriteText(const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), m_out);
}

bool CPdfPrintDevice::StartPage() {
  if (m_out == nullptr) return false;
  m_contentId = NewObject();
  const int lengthId = NewObject();
  BeginObject(m_contentId);
  WriteText(Format("<< /Length %d 0 R >>\nstream\n", lengthId));
  m_contentStart = std::ftell(m_out);
  // Device pixels from the printable area's top-left corner, rows downwards.
  WriteText(Format("q %.6f 0 0 %.6f %.6f %.6f cm\n", kPointsPerInch / m_dpiX,
                   -kPointsPerInch / m_dpiY, kPaperMarginInches * kPointsPerInch,
                   (m_paper.heightInches - kPaperMarginInches) * kPointsPerInch));
  return !std::ferror(m_out);
}

void CPdfPrintDevice::StretchBand(const DeviceRect& destination, const CDibImage& band,
                                  int sourceWidth, int sourceHeight) {
  // Asked as a spooler would: after a cancel the loop then stops at its next question.
  if (m_out == nullptr || !CallAbortProc(0)) return;
  // The image's first row goes to the top of the destination.
  WriteText(Format("q %d 0 0 %d %d %d cm\nBI /W %d /H %d /CS /RGB /BPC 8 ID ", destination.width,
                   -destination.height, destination.x, destination.y + destination.height,
                   sourceWidth, sourceHeight));
  m_rgbRow.resize(static_cast<std::size_t>(sourceWidth) * 3);
  for (int y = 0; y < sourceHeight; ++y) {
    const std::uint8_t* bgr = band.GetPixelAddress(0, y);
    std::uint8_t* rgb = m_rgbRow.data();
    for (int x = 0; x < sourceWidth; ++x, bgr += 3, rgb += 3) {
      rgb[0] = bgr[2];
      rgb[1] = bgr[1];
      rgb[2] = bgr[0];
    }
    std::fwrite(m_rgbRow.data(), 1, m_rgbRow.size(), m_out);
  }
  WriteText("\nEI Q\n");
}

bool CPdfPrintDevice::EndPage() {
  if (m_out == nullptr) return false;
  WriteText("Q\n");
  const long length = std::ftell(m_out) - m_contentStart;
  WriteText("endstream\nendobj\n");
  BeginObject(m_contentId + 1);
  WriteText(Format("%ld\nendobj\n", length));
  const int pageId = NewObject();
  BeginObject(pageId);
  WriteText(
      Format("<< /Type /Page /Parent %d 0 R /MediaBox [0 0 %.4f %.4f] /Contents %d 0 R "
             "/Resources << >> >>\nendobj\n",
             kPagesId, m_paper.widthInches * kPointsPerInch, m_paper.heightInches * kPointsPerInch,
             m_contentId));
  m_pageIds.push_back(pageId);
  return !std::ferror(m_out);
}

void CPdfPrintDevice::WriteTrailer() {
  BeginObject(kCatalogId);
  WriteText(Format("<< /Type /Catalog /Pages %d 0 R >>\nendobj\n", kPagesId));
  BeginObject(kPagesId);
  WriteText("<< /Type /Pages /Kids [");
  for (const int id : m_pageIds) WriteText(Format(" %d 0 R", id));
  WriteText(Format(" ] /Count %zu >>\nendobj\n", m_pageIds.size()));
  const int infoId = NewObject();
  BeginObject(infoId);
  WriteText("<< /Title " + PdfString(m_title) + " >>\nendobj\n");
  const long xref = std::ftell(m_out);
  WriteText(Format("xref\n0 %zu\n0000000000 65535 f \n", m_offsets.size() + 1));
  for (const long offset : m_offsets) WriteText(Format("%010ld 00000 n \n", offset));
  WriteText(Format("trailer\n<< /Size %zu /Root %d 0 R /Info %d 0 R >>\nstartxref\n%ld\n%%%%EOF\n",
                   m_offsets.size() + 1, kCatalogId, infoId, xref));
}

bool CPdfPrintDevice::EndDoc() {
  if (m_out == nullptr) return false;
  WriteTrailer();
  const bool written = !std::ferror(m_out) && m_file->Commit();
  m_out = nullptr;
  m_file.reset();
  return written;
}

void CPdfPrintDevice::AbortDoc() {
  m_out = nullptr;
  m_file.reset();  // removes the partial file
}
