// The main window's output commands: Preview Poster, Print Poster and Save Poster. Each works on
// the built poster, asking to build it first; without tiles, preview and print show the main
// image itself.
#include "app/FileChoice.h"
#include "app/PosterControls.h"
#include "app/PosterDlg.h"
#include "app/PrintDestinationDlg.h"
#include "app/PrintExtrasSettings.h"
#include "app/PrintPageDlg.h"
#include "app/ProgressDlg.h"
#include "formats/OutputTarget.h"
#include "image/PathUtils.h"
#include "output/PdfPrintDevice.h"
#include "output/PosterSaver.h"
#include "output/QtPrintDevice.h"
#include "platform/LocalPath.h"
#include "platform/MessageBox.h"
#include "platform/Profile.h"
#include "resources/StringTable.h"

namespace {

QString Text(unsigned id) { return QString::fromUtf8(res::LoadString(id)); }

// A message whose %s, where it has one, is arg.
QString MessageWith(unsigned id, const std::string& arg) {
  return QString::fromStdString(res::FormatString(id, {arg}));
}

}  // namespace

bool CPosterDlg::BuildFirst(unsigned questionId) {
  if (builtFlag && !m_posterFile.empty()) {
    ShowMessage(this, MessageWith(res::IDS_POSTER_IN_FILE, m_posterFile));
    return false;
  }
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
// choice of the last print command and page 1, with the stored assembly choices.
bool CPosterDlg::ChoosePrintRange(const PageCount& pages, PrintExtras& extras) {
  return ::ChoosePrintRange(pages, m_printRange, [this, &pages, &extras](PrintRange& range) {
    CPrintPageDlg dialog(this);
    dialog.SetRange(range.printAll, range.printPage, pages.across * pages.down);
    dialog.SetExtras(extras);
    if (dialog.DoModal() != CPrintPageDlg::IDOK) return false;
    dialog.GetRange(range.printAll, range.printPage);
    extras = dialog.GetExtras();
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
  // Printing into a file writes it through the print system; the name is checked all the same.
  const QString file = printer->outputFileName();
  if (!file.isEmpty() && !CheckedTarget(file.toStdString(), 0)) return;
  CQtPrintDevice device(*printer);
  PrintWithExtras(source, device, m_printer, file.isEmpty() ? printer->printerName() : file);
}

// The pages as the chosen printer would print them, at its resolution, on its paper less the
// usual unprintable border, every pixel exact; the file is written only when the last page is
// complete.
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
  const std::optional<COutputTarget> target = CheckedTarget(ToLocalPath(chosen->paths.front()), 0);
  if (!target) return;
  PaperSize paper;
  if (m_printer.paperWidth > 0 && m_printer.paperHeight > 0)
    paper = {m_printer.paperWidth / 1000.0, m_printer.paperHeight / 1000.0};
  CPdfPrintDevice device(*target, paper, m_printer.dpiX, m_printer.dpiY, kPdfLossless);
  PrintWithExtras(source, device, MetricsOf(device.GetMetrics()), chosen->paths.front());
}

// Asks for the range and the print aids, which decide how many pages the poster takes on the
// device's page (metrics), then prints.
void CPosterDlg::PrintWithExtras(CDibImage& source, CPrintDevice& device,
                                 const PrinterMetrics& metrics, const QString& destination) {
  CProfile profile(Text(res::IDS_REGISTRY_KEY), Text(res::IDS_APP_NAME));
  PrintExtras extras = LoadPrintExtras(profile);
  PageCount pages = ComputePageCountWithExtras(m_printSize, metrics, extras);
  if (!ChoosePrintRange(pages, extras)) return;
  SavePrintExtras(profile, extras);
  RefreshPagesDisplay();
  pages = ComputePageCountWithExtras(m_printSize, metrics, extras);
  if (pages.across < 1) {
    ShowMessage(this, QStringLiteral("The glue overlap leaves no room for the poster on a page."));
    return;
  }
  m_printRange.printPage = std::min(m_printRange.printPage, pages.across * pages.down);
  PrintSource(source, device, pages, extras, destination);
}

void CPosterDlg::PrintSource(CDibImage& source, CPrintDevice& device, const PageCount& pages,
                             const PrintExtras& extras, const QString& destination) {
  PrintJob job;
  job.mainImagePath = m_strFileName;
  job.dpiX = m_printer.dpiX;
  job.dpiY = m_printer.dpiY;
  job.pages = pages;
  job.range = m_printRange;
  job.posterBuilt = &source == &m_poster;
  job.printSize = m_printSize;
  job.dpiDivisor = DPIFractionDivisor(m_params.DPIFraction);
  job.extras = extras;
  if (job.posterBuilt) {
    const TileGrid grid = ComputeTileGrid(m_tiles, FALSE, Setup()).grid;
    job.cellWidth = grid.tileWidth;
    job.cellHeight = grid.tileHeight;
  }
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
  if (const auto path = AskSavePath()) SavePosterTo(*path);
}

std::optional<std::string> CPosterDlg::AskSavePath() {
  const std::string start =
      m_currentPaths.saveName.empty() ? m_readPaths.saveName : m_currentPaths.saveName;
  const PictureFilterChoice choice = ChooseSaveFilter(start);
  FileDialogRequest request = MakeFileRequest(SaveStartPath(start), res::IDS_SAVE_TITLE,
                                              res::IDS_SAVE_FILTER, choice.extension);
  request.openMode = false;
  request.filterIndex = choice.filterIndex;
  const auto chosen = RunFileDialog(this, request);
  if (!chosen || chosen->paths.isEmpty()) return std::nullopt;
  return ToLocalPath(chosen->paths.front());
}

std::vector<std::string> CPosterDlg::InputPaths() const {
  std::vector<std::string> inputs;
  if (!m_strFileName.empty()) inputs.push_back(m_strFileName);
  for (int i = 0; i < m_tiles.GetCount(); ++i) inputs.push_back(m_tiles.GetText(i));
  return inputs;
}

std::optional<COutputTarget> CPosterDlg::CheckedTarget(const std::string& path,
                                                       unsigned failedId) {
  TargetCheck check = CheckOutputTarget(path, InputPaths());
  if (!check.target) {
    const bool ownWords = check.why == TargetRefusal::kIsInput || failedId == 0;
    ShowMessage(this, ownWords ? QString::fromStdString(check.refusal) : MessageWith(failedId, path));
  }
  return std::move(check.target);
}

void CPosterDlg::SavePosterTo(std::string path) {
  if (!PosterFormatFromName(path)) {
    ShowMessage(this, Text(res::IDS_BAD_EXTENSION));
    return;
  }
  if (!ChooseFormatThatHolds(path)) return;
  const std::optional<COutputTarget> target = CheckedTarget(path, res::IDS_WRITE_ERROR);
  if (!target) return;
  BeginProgress(res::IDS_CAPTION_SAVE);
  const PosterSaveOutcome outcome = SavePosterAs(
      m_poster, *target, static_cast<unsigned>(m_params.JPEGQuality), Progress());
  EndProgress();
  if (outcome.status == PosterSaveStatus::kSaved) m_currentPaths.saveName = path;
  if (outcome.messageId != 0) ShowMessage(this, MessageWith(outcome.messageId, path));
}
