// The main window's output commands: Preview Poster, Print Poster and Save Poster. Each works on
// the built poster, asking to build it first; without tiles, preview and print show the main
// image itself.
#include "app/FileChoice.h"
#include "app/PosterControls.h"
#include "app/PosterDlg.h"
#include "app/PrintDestinationDlg.h"
#include "app/PrintPageDlg.h"
#include "app/ProgressDlg.h"
#include "image/PathUtils.h"
#include "output/OutputTarget.h"
#include "output/PdfPrintDevice.h"
#include "output/PosterSaver.h"
#include "output/QtPrintDevice.h"
#include "platform/LocalPath.h"
#include "platform/MessageBox.h"
#include "resources/StringTable.h"

namespace {

QString Text(unsigned id) { return QString::fromUtf8(res::LoadString(id)); }

// The printer figures of the page geometry, from what a print device reports.
PrinterMetrics MetricsOfDevice(const PrintDeviceMetrics& device) {
  PrinterMetrics metrics;
  metrics.dpiX = device.dpiX;
  metrics.dpiY = device.dpiY;
  metrics.printableWidth = device.pageWidthPx * 1000 / device.dpiX;
  metrics.printableHeight = device.pageHeightPx * 1000 / device.dpiY;
  return metrics;
}

// A message whose %s, where it has one, is arg.
QString MessageWith(unsigned id, const std::string& arg) {
  return QString::fromStdString(res::FormatString(id, {arg}));
}

}  // namespace

bool CPosterDlg::BuildFirst(unsigned questionId) {
  if (builtFlag) return m_poster.IsValid();
  if (ShowMessage(this, Text(questionId), MessageButtons::OkCancel, MessageIcon::Question) !=
      MessageAnswer::Ok)
    return false;
  OnBuildPoster();
  return builtFlag && m_poster.IsValid();
}

void CPosterDlg::OnPreviewPoster() {
  if (!ReadControls()) return;
  CDibImage* image = &m_mainImage;
  if (m_tiles.GetCount() > 0) {
    if (!BuildFirst(res::IDS_BUILD_BEFORE_PREVIEW)) return;
    image = &m_poster;
  }
  if (!m_preview.ShowPreview(image)) ShowMessage(this, Text(res::IDS_NO_MEMORY));
}

// One page prints whole without asking; otherwise the print range dialog offers the all-pages
// choice of the last print command and page 1.
bool CPosterDlg::ChoosePrintRange(const PageCount& pages) {
  return ::ChoosePrintRange(pages, m_printRange, [this, &pages](PrintRange& range) {
    CPrintPageDlg dialog(this);
    dialog.SetRange(range.printAll, range.printPage, pages.across * pages.down);
    if (dialog.DoModal() != CPrintPageDlg::IDOK) return false;
    dialog.GetRange(range.printAll, range.printPage);
    return true;
  });
}

// The poster is built first (asked), then sent to the printer queue or to a PDF file.
void CPosterDlg::OnPrintPoster() {
  if (!ReadControls()) return;
  const bool withTiles = m_tiles.GetCount() > 0;
  if (withTiles && !BuildFirst(res::IDS_BUILD_BEFORE_PRINT)) return;
  CPrintDestinationDlg destination(this, m_printerSettings.GetPrinterName());
  if (destination.exec() != QDialog::Accepted) return;
  CDibImage& source = withTiles ? m_poster : m_mainImage;
  if (destination.Destination() == PrintDestination::kPdfFile)
    PrintToPdfFile(source);
  else
    PrintToQueue(source);
}

void CPosterDlg::PrintToQueue(CDibImage& source) {
  const std::unique_ptr<QPrinter> printer = m_printerSettings.CreatePrinterDC();
  if (!printer) {
    ShowMessage(this, Text(res::IDS_NO_PRINTER));
    return;
  }
  const PageCount pages = ComputePageCount(m_printSize, m_printer, m_mainImage.IsValid());
  if (!ChoosePrintRange(pages)) return;
  CQtPrintDevice device(*printer);
  const QString file = printer->outputFileName();
  PrintSource(source, device, pages, file.isEmpty() ? printer->printerName() : file);
}

// The pages as the chosen printer would print them, at its resolution, on its paper less the
// usual unprintable border; the file is written only when the last page is complete.
void CPosterDlg::PrintToPdfFile(CDibImage& source) {
  std::string start = m_strFileName;
  StripFileName(start);
  std::string name = m_strFileName;
  StripDirectory(name);
  FileDialogRequest request;
  request.openMode = false;
  request.title = QStringLiteral("Print to PDF File");
  request.filter = QStringLiteral("PDF (*.pdf)|*.pdf||");
  request.defaultExtension = QStringLiteral("pdf");
  request.initialDirectory = FromLocalPath(start);
  request.initialName = FromLocalPath(name.substr(0, name.find_last_of('.')) + ".pdf");
  const auto chosen = RunFileDialog(this, request);
  if (!chosen || chosen->paths.isEmpty()) return;
  const std::string path = ToLocalPath(chosen->paths.front());
  if (const auto refusal = CheckPosterTarget(path, {m_strFileName})) {
    ShowMessage(this, QString::fromStdString(*refusal));
    return;
  }
  PaperSize paper;
  if (m_printer.paperWidth > 0 && m_printer.paperHeight > 0)
    paper = {m_printer.paperWidth / 1000.0, m_printer.paperHeight / 1000.0};
  CPdfPrintDevice device(path, paper, m_printer.dpiX, m_printer.dpiY);
  const PageCount pages =
      ComputePageCount(m_printSize, MetricsOfDevice(device.GetMetrics()), m_mainImage.IsValid());
  if (!ChoosePrintRange(pages)) return;
  PrintSource(source, device, pages, chosen->paths.front());
}

void CPosterDlg::PrintSource(CDibImage& source, CPrintDevice& device, const PageCount& pages,
                             const QString& destination) {
  PrintJob job;
  job.mainImagePath = m_strFileName;
  job.dpiX = m_printer.dpiX;
  job.dpiY = m_printer.dpiY;
  job.pages = pages;
  job.range = m_printRange;
  job.posterBuilt = &source == &m_poster;
  job.printSize = m_printSize;
  job.dpiDivisor = DPIFractionDivisor(m_params.DPIFraction);
  double printScale = PosterPrintScale(m_params);
  BeginProgress(res::IDS_CAPTION_PRINT);
  const PrintOutcome outcome = PrintPoster(source, job, printScale, device, *Progress());
  EndProgress();
  // A job that could not be completed names where it went: the file, or the printer. A file
  // that cannot be opened is no shortage of memory, whatever the device answered.
  unsigned messageId = MessageId(outcome);
  if (outcome == PrintOutcome::kNotStarted && destination.contains(QLatin1Char('/')))
    messageId = res::IDS_PRINT_NOT_DELIVERED;
  if (messageId != 0) ShowMessage(this, MessageWith(messageId, destination.toStdString()));
}

void CPosterDlg::OnSavePoster() {
  if (!ReadControls()) return;
  if (!BuildFirst(res::IDS_BUILD_BEFORE_SAVE)) return;
  const std::string start =
      m_currentPaths.saveName.empty() ? m_readPaths.saveName : m_currentPaths.saveName;
  const PictureFilterChoice choice = ChooseSaveFilter(start);
  FileDialogRequest request =
      MakeFileRequest(start, res::IDS_SAVE_TITLE, res::IDS_SAVE_FILTER, choice.extension);
  request.openMode = false;
  request.filterIndex = choice.filterIndex;
  const auto chosen = RunFileDialog(this, request);
  if (!chosen || chosen->paths.isEmpty()) return;
  SavePosterTo(ToLocalPath(chosen->paths.front()));
}

void CPosterDlg::SavePosterTo(const std::string& path) {
  if (!PosterFormatFromName(path)) {
    ShowMessage(this, Text(res::IDS_BAD_EXTENSION));
    return;
  }
  BeginProgress(res::IDS_CAPTION_SAVE);
  const PosterSaveOutcome outcome = SavePosterAs(
      m_poster, path, static_cast<unsigned>(m_params.JPEGQuality), Progress());
  EndProgress();
  if (outcome.status == PosterSaveStatus::kSaved) m_currentPaths.saveName = path;
  if (outcome.messageId != 0) ShowMessage(this, MessageWith(outcome.messageId, path));
}

// The format the poster will be saved in, for the limits of the build: that of the name saved
// last, JPEG when it names none. PNG holds any size the memory allows.
PosterFileFormat CPosterDlg::SaveFormat() const {
  const std::string& name =
      m_currentPaths.saveName.empty() ? m_readPaths.saveName : m_currentPaths.saveName;
  switch (PosterFormatFromName(name).value_or(PosterFormat::kJpeg)) {
    case PosterFormat::kBmp: return PosterFileFormat::kBmp;
    case PosterFormat::kPng: return PosterFileFormat::kNone;
    case PosterFormat::kJpeg: break;
  }
  return PosterFileFormat::kJpeg;
}
