#include "output/PrintEngine.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>

#include "image/PathUtils.h"
#include "image/Progress.h"
#include "image/Resample.h"
#include "output/AssemblyMap.h"
#include "output/PageMarks.h"
#include "output/PrintAbort.h"
#include "output/PrintDevice.h"
#include "resources/StringTable.h"

namespace {

constexpr int kBandPx = 100;  // side of a band in printer pixels

std::string FormatPageText(BOOL printAll, int page, int total) {
  char text[128];
  if (printAll)
    std::snprintf(text, sizeof text, res::LoadString(res::IDS_GENERATING_PAGE_OF), page, total);
  else
    std::snprintf(text, sizeof text, res::LoadString(res::IDS_GENERATING_PAGE), page);
  return text;
}

// The band loop over the pages of one document.
class CBandLoop {
 public:
  CBandLoop(CPrintSource& source, double scale, const PrintJob& job, CPrintDevice& device,
            CProgress& progress, CPrintAbort& abort);

  // Sends every page of the range, then the assembly map when asked for; false when the band
  // image cannot be had.
  bool Run();

 private:
  // One page's usable area and the poster part it holds, in horizontal printer pixels.
  struct Page {
    int column, row;
    int left, top;      // offset of the poster's part on the page (the margin on first pages)
    int width, height;  // CW × RH
    int xAcc, yAcc;     // poster coordinates of the part's top-left corner
  };

  [[nodiscard]] Page PageAt(int column, int row) const;
  // False when the whole job must end.
  bool PrintPage(const Page& page);
  bool PrintBand(const Page& page, int bx, int by);
  bool PrintPicture(const Page& page);
  bool CountBandsAndGoOn(int bands);
  void SampleInto(const SourcePixels& pixels, int sw, int sh, int width, int height);
  void CountBand();
  [[nodiscard]] int ToDeviceRows(int horizontalPx) const { return horizontalPx * m_dpiY / m_dpiX; }

  CPrintSource& m_source;
  const int m_width, m_height;  // W × H of the source
  const double m_scale;
  const PrintJob& m_job;
  CPrintDevice& m_device;
  CProgress& m_progress;
  CPrintAbort& m_abort;
  const int m_dpiX, m_dpiY;
  const int m_totalPages;
  int m_posterWidth = 0, m_posterHeight = 0;  // PWp × PHp
  PageLayout m_layout;
  double m_bandTotal = 1;
  long long m_bandCount = 0;
  double m_lastPercent = 100;
  CDibImage m_band;
};

CBandLoop::CBandLoop(CPrintSource& source, double scale, const PrintJob& job,
                     CPrintDevice& device, CProgress& progress, CPrintAbort& abort)
    : m_source(source),
      m_width(source.Width()),
      m_height(source.Height()),
      m_scale(scale),
      m_job(job),
      m_device(device),
      m_progress(progress),
      m_abort(abort),
      m_dpiX(job.dpiX),
      m_dpiY(job.dpiY),
      m_totalPages(job.pages.across * job.pages.down) {
  const PrintDeviceMetrics metrics = device.GetMetrics();
  const int pageWidth = metrics.pageWidthPx;
  const int pageHeight = metrics.pageHeightPx * m_dpiX / m_dpiY;
  m_posterWidth = static_cast<int>(m_width * m_scale);
  m_posterHeight = static_cast<int>(m_height * m_scale);
  const int overlap = static_cast<int>(job.extras.overlapInches * m_dpiX);
  const int frame = job.extras.NeedFrame() ? static_cast<int>(kMarkFrameInches * m_dpiX) : 0;
  m_layout = MakePageLayout(pageWidth, pageHeight, m_posterWidth, m_posterHeight, job.pages,
                            overlap, frame);
  m_layout.x.cell = static_cast<int>(job.cellWidth * m_scale);
  m_layout.y.cell = static_cast<int>(job.cellHeight * m_scale);
  m_bandTotal = m_totalPages * static_cast<double>(pageWidth) * pageHeight * 0.0001;
  if (!job.range.printAll) m_bandTotal /= m_totalPages;
  if (m_bandTotal == 0) m_bandTotal = 1;
}

CBandLoop::Page CBandLoop::PageAt(int column, int row) const {
  // A first page begins where the poster does; every other at its usable area's corner.
  const AxisLayout& x = m_layout.x;
  const AxisLayout& y = m_layout.y;
  const int left = column == 0 ? x.frame + x.margin : x.frame;
  const int top = row == 0 ? y.frame + y.margin : y.frame;
  return {column,
          row,
          left,
          top,
          x.frame + x.Usable() - left,
          y.frame + y.Usable() - top,
          column == 0 ? 0 : x.Start(column),
          row == 0 ? 0 : y.Start(row)};
}

bool CBandLoop::Run() {
  if (!m_device.TakesPictures() && !m_band.Create(kBandPx, kBandPx, TRUE)) return false;
  int pageNumber = 1;
  for (int row = 0; row < m_job.pages.down; ++row) {
    for (int column = 0; column < m_job.pages.across; ++column) {
      const int number = pageNumber++;
      if (!m_job.range.printAll && number != m_job.range.printPage) continue;
      if (!m_device.StartPage()) return true;
      (void)m_progress.SetDetail(FormatPageText(m_job.range.printAll, number, m_totalPages));
      if (!PrintPage(PageAt(column, row))) return true;
      DrawPageMarks(m_device, m_layout, column, row, m_job.extras, double(m_dpiY) / m_dpiX);
      // A page the device refused to close ends its row; the next row's start normally fails.
      if (!m_device.EndPage()) {
        pageNumber += m_job.pages.across - 1 - column;
        break;
      }
    }
  }
  if (m_job.extras.map && m_job.range.printAll && m_abort.Check(false, 0) && m_device.StartPage()) {
    (void)PrintAssemblyMap(m_device, m_source, m_layout, m_job);
    (void)m_device.EndPage();
  }
  return true;
}

bool CBandLoop::PrintPage(const Page& page) {
  if (m_device.TakesPictures()) return PrintPicture(page);
  for (int by = 0; by < page.height; by += kBandPx)
    for (int bx = 0; bx < page.width; bx += kBandPx)
      if (!PrintBand(page, bx, by)) return false;
  return true;
}

void CBandLoop::CountBand() {
  ++m_bandCount;
  const double percent = m_bandCount * 100.0 / m_bandTotal;
  if (static_cast<long long>(percent) != static_cast<long long>(m_lastPercent)) {
    (void)m_progress.SetPercent(static_cast<int>(std::min(percent, 100.0)));
    m_lastPercent = percent;
  }
}

bool CBandLoop::CountBandsAndGoOn(int bands) {
  for (int i = 0; i < bands; ++i) {
    CountBand();
    if (!m_abort.Check(false, 0)) return false;
  }
  return true;
}

bool CBandLoop::PrintBand(const Page& page, int bx, int by) {
  CountBand();
  if (!m_abort.Check(false, 0)) return false;
  const int bandWidth = std::min({kBandPx, m_posterWidth - (page.xAcc + bx), page.width - bx});
  const int bandHeight = std::min({kBandPx, m_posterHeight - (page.yAcc + by), page.height - by});
  if (bandWidth <= 0 || bandHeight <= 0) return true;

  const int sx = static_cast<int>(page.xAcc / m_scale) + static_cast<int>(bx / m_scale);
  const int sy = static_cast<int>(page.yAcc / m_scale) + static_cast<int>(by / m_scale);
  if (sx >= m_width || sy >= m_height) return true;
  int sw = static_cast<int>(bandWidth / m_scale);
  int sh = static_cast<int>(bandHeight / m_scale);
  if (sx + sw > m_width) sw = m_width - sx;
  if (sy + sh > m_height) sh = m_height - sy;
  if (sw <= 0 || sh <= 0) return true;
  // A source pixel narrower than a printer pixel (a main image printed unresampled, larger than
  // the print's dots) gives more source pixels than the band holds: the band then takes one of
  // them per printer pixel, so that the whole rectangle is printed, not its first hundred pixels.
  const bool reduced = sw > kBandPx || sh > kBandPx;
  const SourcePixels pixels = m_source.Pixels(sx, sy, sw, sh);
  if (pixels.image == nullptr) return false;
  if (reduced)
    SampleInto(pixels, sw, sh, bandWidth, bandHeight);
  else
    m_band.CopyRect(*pixels.image, 0, 0, sw, sh, pixels.x, pixels.y);

  if (!m_abort.Check(false, 0)) return false;
  const DeviceRect destination{page.left + bx, ToDeviceRows(page.top) + ToDeviceRows(by), bandWidth,
                               ToDeviceRows(bandHeight)};
  m_device.StretchBand(destination, m_band, reduced ? bandWidth : sw, reduced ? bandHeight : sh);
  return true;
}

// The page's part as one picture: the source pixels from the one at the part's corner on, each
// m_scale printer pixels wide, drawn from the part's corner and cut to the part, which is where
// the bands put them. Sent in strips of a band's height, counted as the bands they stand for.
bool CBandLoop::PrintPicture(const Page& page) {
  const int bandsAcross = (page.width + kBandPx - 1) / kBandPx;
  const int partWidth = std::min(page.width, m_posterWidth - page.xAcc);
  const int partHeight = std::min(page.height, m_posterHeight - page.yAcc);
  const int sx = static_cast<int>(page.xAcc / m_scale);
  const int sy = static_cast<int>(page.yAcc / m_scale);
  const int sw = std::min(m_width - sx, static_cast<int>(std::ceil(partWidth / m_scale)));
  const int sh = std::min(m_height - sy, static_cast<int>(std::ceil(partHeight / m_scale)));
  const bool drawn = partWidth > 0 && partHeight > 0 && sw > 0 && sh > 0;
  if (drawn) {
    const double rowsPerPx = static_cast<double>(m_dpiY) / m_dpiX;
    const PicturePlacement at{{double(page.left), double(ToDeviceRows(page.top))},
                              m_scale,
                              m_scale * rowsPerPx,
                              {page.left, ToDeviceRows(page.top), partWidth, ToDeviceRows(partHeight)}};
    m_device.BeginPicture(sw, sh, at);
  }
  int sent = 0;
  for (int by = 0; by < page.height; by += kBandPx) {
    if (!CountBandsAndGoOn(bandsAcross)) return false;
    const int upTo = drawn ? std::min(sh, static_cast<int>(std::ceil((by + kBandPx) / m_scale))) : 0;
    if (upTo > sent) {
      const SourcePixels pixels = m_source.Pixels(sx, sy + sent, sw, upTo - sent);
      if (pixels.image == nullptr) return false;
      m_device.PictureRows(*pixels.image, pixels.x, pixels.y, upTo - sent);
    }
    sent = std::max(sent, upTo);
  }
  if (drawn) m_device.EndPicture();
  return true;
}

// The nearest source pixel for each of width × height band pixels over the sw × sh source
// rectangle at pixels.
void CBandLoop::SampleInto(const SourcePixels& pixels, int sw, int sh, int width, int height) {
  for (int y = 0; y < height; ++y) {
    const std::uint8_t* sourceRow = pixels.image->GetPixelAddress(pixels.x, pixels.y + y * sh / height);
    std::uint8_t* bandRow = m_band.GetPixelAddress(0, y);
    for (int x = 0; x < width; ++x, bandRow += 3) {
      const std::uint8_t* pixel = sourceRow + static_cast<std::ptrdiff_t>(x * sw / width) * 3;
      bandRow[0] = pixel[0];
      bandRow[1] = pixel[1];
      bandRow[2] = pixel[2];
    }
  }
}

// The main image at the print size, when it can be had; the scale follows what is printed.
const CDibImage* ResampleMainImage(CDibImage& mainImage, const PrintJob& job, CProgress& progress,
                                   CDibImage& resampled, double& printScale) {
  printScale = job.dpiDivisor;
  const int width = static_cast<int>(job.dpiX * job.printSize.width / job.dpiDivisor);
  const int height = static_cast<int>(job.dpiX * job.printSize.height / job.dpiDivisor);
  resampled.SetProgress(&progress);
  const BOOL done = ResampleFrom(resampled, width, height, mainImage, 0) && !progress.IsCancelled();
  resampled.SetProgress(nullptr);
  if (done) return &resampled;
  printScale = job.dpiX * job.printSize.width / mainImage.GetWidth();
  return &mainImage;
}

// The job from StartDoc to EndDoc or AbortDoc, with the abort procedure installed. The pages
// show spooled when it is given, else image: the built poster, or the main image as the job says.
PrintOutcome RunDocument(CDibImage* image, CPrintSource* spooled, const PrintJob& job,
                         double& printScale, CPrintDevice& device, CProgress& progress,
                         CPrintAbort& abort) {
  (void)progress.SetStage(res::IDS_PRINTING_POSTER);
  if (!device.StartDoc(PrintDocumentName(job.mainImagePath, job.pages, job.range)))
    return PrintOutcome::kNotStarted;

  CDibImage resampled;
  std::optional<CWholePrintSource> whole;
  CPrintSource* printed = spooled;
  if (printed == nullptr) {
    const CDibImage* picture = image;
    if (!job.posterBuilt) picture = ResampleMainImage(*image, job, progress, resampled, printScale);
    if (picture->IsValid()) printed = &whole.emplace(*picture);
  }
  if (abort.Check(false, 0) && printed != nullptr && job.dpiY > 0 && job.dpiX > 0) {
    CBandLoop loop(*printed, printScale, job, device, progress, abort);
    (void)loop.Run();
  }
  if (printed != nullptr && printed->Failed()) {
    device.AbortDoc();
    return PrintOutcome::kNotDelivered;
  }
  if (progress.CheckCancel()) {
    device.AbortDoc();
    return PrintOutcome::kCancelled;
  }
  return device.EndDoc() ? PrintOutcome::kPrinted : PrintOutcome::kNotDelivered;
}

// Runs one job with the abort procedure installed for it alone.
PrintOutcome RunJob(CDibImage* image, CPrintSource* spooled, const PrintJob& job,
                    double& printScale, CPrintDevice& device, CProgress& progress) {
  CPrintAbort abort(progress);
  device.SetAbortProc([&abort](int errorCode) { return abort.Check(true, errorCode); });
  const PrintOutcome outcome =
      RunDocument(image, spooled, job, printScale, device, progress, abort);
  device.SetAbortProc({});  // the procedure refers to this job only
  return outcome;
}

}  // namespace

bool ChoosePrintRange(const PageCount& pages, PrintRange& range,
                      const std::function<bool(PrintRange&)>& askUser) {
  range.printPage = 1;
  if (pages.across * pages.down <= 1) {
    range.printAll = TRUE;
    return true;
  }
  return askUser(range);
}

std::string PrintDocumentName(const std::string& mainImagePath, const PageCount& pages,
                              const PrintRange& range) {
  std::string name = mainImagePath;
  StripDirectory(name);
  if (pages.across * pages.down <= 1) return name;
  if (range.printAll) return name + " (all pages)";
  return name + " (page " + std::to_string(range.printPage) + ")";
}

PrintOutcome PrintPoster(CDibImage& source, const PrintJob& job, double& printScale,
                         CPrintDevice& device, CProgress& progress) {
  return RunJob(&source, nullptr, job, printScale, device, progress);
}

PrintOutcome PrintPoster(CPrintSource& poster, const PrintJob& job, double printScale,
                         CPrintDevice& device, CProgress& progress) {
  return RunJob(nullptr, &poster, job, printScale, device, progress);
}

unsigned MessageId(PrintOutcome outcome) {
  switch (outcome) {
    case PrintOutcome::kNotStarted: return res::IDS_NO_MEMORY;
    case PrintOutcome::kNotDelivered: return res::IDS_PRINT_NOT_DELIVERED;
    case PrintOutcome::kPrinted:
    case PrintOutcome::kCancelled: return 0;
  }
  return 0;
}

PrinterMetrics MetricsOf(const PrintDeviceMetrics& device) {
  PrinterMetrics metrics;
  metrics.dpiX = device.dpiX;
  metrics.dpiY = device.dpiY;
  metrics.printableWidth = device.pageWidthPx * 1000 / device.dpiX;
  metrics.printableHeight = device.pageHeightPx * 1000 / device.dpiY;
  return metrics;
}
