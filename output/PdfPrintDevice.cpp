#include "output/PdfPrintDevice.h"

#include <cstdarg>

namespace {

constexpr double kPointsPerInch = 72.0;
constexpr int kCatalogId = 1;
constexpr int kPagesId = 2;
constexpr int kFontId = 3;

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

// cos and sin of quarterTurns × 90 degrees.
void QuarterTurn(int quarterTurns, int& cosine, int& sine) {
  static constexpr int kCos[] = {1, 0, -1, 0}, kSin[] = {0, 1, 0, -1};
  const int turn = ((quarterTurns % 4) + 4) % 4;
  cosine = kCos[turn];
  sine = kSin[turn];
}

}  // namespace

CPdfPrintDevice::CPdfPrintDevice(COutputTarget target, const PaperSize& paper, int dpiX, int dpiY,
                                 int jpegQuality)
    : m_target(std::move(target)),
      m_paper(paper),
      m_dpiX(dpiX),
      m_dpiY(dpiY),
      m_jpegQuality(jpegQuality) {}

CPdfPrintDevice::~CPdfPrintDevice() = default;

PrintDeviceMetrics CPdfPrintDevice::GetMetrics() const {
  return {static_cast<int>((m_paper.widthInches - 2 * kPaperMarginInches) * m_dpiX),
          static_cast<int>((m_paper.heightInches - 2 * kPaperMarginInches) * m_dpiY), m_dpiX,
          m_dpiY};
}

double CPdfPrintDevice::PointsX(double x) const {
  return (kPaperMarginInches + x / m_dpiX) * kPointsPerInch;
}

double CPdfPrintDevice::PointsY(double y) const {
  return (m_paper.heightInches - kPaperMarginInches - y / m_dpiY) * kPointsPerInch;
}

bool CPdfPrintDevice::StartDoc(const std::string& documentName) {
  m_file = std::make_unique<CAtomicFile>(m_target);
  m_out = m_file->Open();
  if (m_out == nullptr) {
    m_file.reset();
    return false;
  }
  m_title = documentName;
  m_failed = false;
  m_offsets.assign(3, 0);  // the catalog and the page tree are written last
  m_pageIds.clear();
  WriteText("%PDF-1.4\n%\xE2\xE3\xCF\xD3\n");
  // A standard font: every reader has it, so nothing needs embedding.
  BeginObject(kFontId);
  WriteText(
      "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>\n"
      "endobj\n");
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
  m_content.clear();
  m_pictureIds.clear();
  return !std::ferror(m_out);
}

void CPdfPrintDevice::BeginPicture(int width, int height, const PicturePlacement& at) {
  if (m_out == nullptr) return;
  const int id = NewObject();
  const int lengthId = NewObject();
  m_picture = MakePdfImageStream(m_jpegQuality);
  BeginObject(id);
  WriteText(Format("<< /Type /XObject /Subtype /Image /Width %d /Height %d /ColorSpace /DeviceRGB "
                   "/BitsPerComponent 8 ",
                   width, height) +
            m_picture->FilterEntries(width) + Format(" /Length %d 0 R >>\nstream\n", lengthId));
  m_pictureStart = std::ftell(m_out);
  if (!m_picture->Begin(m_out, width, height)) m_failed = true;
  // The picture's first row goes to the top; nothing of it shows outside the clip.
  const DeviceRect& clip = at.clip;
  m_content += Format("q %.4f %.4f %.4f %.4f re W n %.4f 0 0 %.4f %.4f %.4f cm /P%zu Do Q\n",
                      PointsX(clip.x), PointsY(clip.y + clip.height),
                      clip.width * kPointsPerInch / m_dpiX, clip.height * kPointsPerInch / m_dpiY,
                      width * at.pixelWidth * kPointsPerInch / m_dpiX,
                      height * at.pixelHeight * kPointsPerInch / m_dpiY, PointsX(at.origin.x),
                      PointsY(at.origin.y + height * at.pixelHeight), m_pictureIds.size());
  m_pictureIds.push_back(id);
}

void CPdfPrintDevice::PictureRows(const CDibImage& image, int x, int y, int rows) {
  // Asked as a spooler would: after a cancel the loop then stops at its next question.
  if (m_picture == nullptr || !CallAbortProc(0)) return;
  if (!m_picture->Rows(image, x, y, rows)) m_failed = true;
}

void CPdfPrintDevice::EndPicture() {
  if (m_picture == nullptr) return;
  if (!m_picture->End()) m_failed = true;
  m_picture.reset();
  const long length = std::ftell(m_out) - m_pictureStart;
  WriteText("\nendstream\nendobj\n");
  BeginObject(m_pictureIds.back() + 1);
  WriteText(Format("%ld\nendobj\n", length));
}

void CPdfPrintDevice::StretchBand(const DeviceRect& destination, const CDibImage& band,
                                  int sourceWidth, int sourceHeight) {
  BeginPicture(sourceWidth, sourceHeight,
               {{double(destination.x), double(destination.y)},
                double(destination.width) / sourceWidth,
                double(destination.height) / sourceHeight,
                destination});
  PictureRows(band, 0, 0, sourceHeight);
  EndPicture();
}

void CPdfPrintDevice::DrawLine(DevicePoint from, DevicePoint to, double thickness) {
  m_content += Format("%.4f w %.4f %.4f m %.4f %.4f l S\n", thickness * kPointsPerInch / m_dpiX,
                      PointsX(from.x), PointsY(from.y), PointsX(to.x), PointsY(to.y));
}

void CPdfPrintDevice::DrawText(DevicePoint origin, const std::string& text, double heightPx,
                               int quarterTurns) {
  int cosine = 1, sine = 0;
  QuarterTurn(quarterTurns, cosine, sine);
  m_content += Format("BT /F1 %.3f Tf %d %d %d %d %.4f %.4f Tm ", heightPx * kPointsPerInch / m_dpiY,
                      cosine, sine, -sine, cosine, PointsX(origin.x), PointsY(origin.y)) +
               PdfString(text) + " Tj ET\n";
}

bool CPdfPrintDevice::EndPage() {
  if (m_out == nullptr) return false;
  const int contentId = NewObject();
  BeginObject(contentId);
  WriteText(Format("<< /Length %zu >>\nstream\n", m_content.size()) + m_content +
            "\nendstream\nendobj\n");
  std::string pictures;
  for (std::size_t i = 0; i < m_pictureIds.size(); ++i)
    pictures += Format(" /P%zu %d 0 R", i, m_pictureIds[i]);
  const int pageId = NewObject();
  BeginObject(pageId);
  WriteText(Format("<< /Type /Page /Parent %d 0 R /MediaBox [0 0 %.4f %.4f] /Contents %d 0 R "
                   "/Resources << /Font << /F1 %d 0 R >> /XObject <<",
                   kPagesId, m_paper.widthInches * kPointsPerInch,
                   m_paper.heightInches * kPointsPerInch, contentId, kFontId) +
            pictures + " >> >> >>\nendobj\n");
  m_pageIds.push_back(pageId);
  return !std::ferror(m_out) && !m_failed;
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
  const bool written = !std::ferror(m_out) && !m_failed && m_file->Commit();
  m_out = nullptr;
  m_file.reset();
  return written;
}

void CPdfPrintDevice::AbortDoc() {
  m_picture.reset();
  m_out = nullptr;
  m_file.reset();  // removes the partial file
}
