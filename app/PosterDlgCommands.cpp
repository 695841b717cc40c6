// The commands of the main window's right-hand column and its tile size buttons.
#include <QListWidget>
#include <algorithm>
#include <cmath>
#include <filesystem>

#include "app/AboutDlg.h"
#include "app/OptionsDlg.h"
#include "app/PosterControls.h"
#include "app/PosterDlg.h"
#include "app/ProgressDlg.h"
#include "engine/BuildPoster.h"
#include "engine/MemoryBudget.h"
#include "engine/UseLimitCheck.h"
#include "formats/BmpWriter.h"
#include "formats/JpegWriter.h"
#include "image/NumberUtils.h"
#include "output/PosterSaver.h"
#include "platform/HelpWindow.h"
#include "platform/MessageBox.h"
#include "resources/StringTable.h"

namespace {

// Bytes of the poster as a 24-bit BMP, in whole megabytes, for the message of the BMP limit.
std::string BmpMegabytes(const CDibImage& poster) {
  const double rowBytes = std::floor((poster.GetWidth() * 3.0 + 3) / 4) * 4;
  return FormatThousands(static_cast<std::uint32_t>(
      std::min(std::ceil(rowBytes * poster.GetHeight() / (1024.0 * 1024.0)), 4e9)));
}

bool FormatHolds(PosterFormat format, const CDibImage& poster) {
  switch (format) {
    case PosterFormat::kJpeg: return JpegCanHold(poster.GetWidth(), poster.GetHeight());
    case PosterFormat::kBmp: return BmpCanHold(poster.GetWidth(), poster.GetHeight());
    case PosterFormat::kPng: break;
  }
  return true;
}

std::string WithExtension(const std::string& path, PosterFormat format) {
  const char* extension = format == PosterFormat::kJpeg ? ".jpg"
                          : format == PosterFormat::kBmp ? ".bmp"
                                                         : ".png";
  return std::filesystem::path(path).replace_extension(extension).string();
}

QString MessageText(const PosterBuildResult& result) {
  QString text = QString::fromUtf8(res::LoadString(result.messageId));
  return text.replace(QLatin1String("%s"), QString::fromStdString(result.messageArg));
}

}  // namespace

void CPosterDlg::OnTileSize(int buttonId) {
  m_params.TileSize = static_cast<TileSizePreset>(buttonId);
  builtFlag = FALSE;
  UpdateControls();
}

void CPosterDlg::OnOptions() {
  COptionsDlg dialog(this);
  dialog.SetValues(m_params);
  if (dialog.exec() != QDialog::Accepted) return;
  const PosterParams before = m_params;
  m_params = dialog.GetValues();
  m_params.TileSize = before.TileSize;
  if (!OptionsChangePoster(before, m_params)) return;
  builtFlag = FALSE;
  // Turning photos upright or not can swap the main image's width and height; the print width
  // the user chose stays, and the height follows the image as it now reads.
  if (before.Orientation != m_params.Orientation && !m_strFileName.empty()) {
    const double printWidth = m_printSize.width;
    LoadMainImage(m_strFileName);
    if (m_mainImage.IsValid() && printWidth > 0) {
      m_printSize = PrintSize{printWidth, 0};
      ComputeInitialPrintSize();
    }
  }
  UpdateControls();
  RefreshPagesDisplay();
}

// Printer Setup is enabled only with a printer; a new printer or paper changes the pages.
void CPosterDlg::OnPrinterSetup() {
  if (!m_printerSettings.DoPrinterSetup()) return;
  builtFlag = FALSE;
  m_printerSettings.GetPrinterMetrics(m_printer);
  ComputeInitialPrintSize();
  UpdateControls();
}

std::uint64_t CPosterDlg::MemoryBytes() const {
  return m_memoryBytes ? *m_memoryBytes : ProcessMemoryBudget().bytes;
}

// A poster past the machine's memory is refused before anything is allocated, unless laying it
// straight into a file fits: then that is offered. A cancelled build closes its progress dialog
// and says nothing more.
void CPosterDlg::OnBuildPoster() {
  // The file format's limits wait for Save: the poster may be meant for the preview, the
  // printer or another format.
  const PosterLimitCheck limits =
      CheckPosterLimits(m_tiles, Setup(), PosterFileFormat::kNone, MemoryBytes());
  if (!limits.fits) {
    if (CheckPosterLimits(m_tiles, Setup(), PosterFileFormat::kNone, MemoryBytes(), true).fits)
      OfferBuildIntoFile(limits.message);
    else
      ShowMessage(this, QString::fromStdString(limits.message));
    return;
  }
  if (const auto refusal = CheckUseLimit(m_tiles, Setup())) {
    ShowMessage(this, QString::fromStdString(*refusal));
    return;
  }
  BeginProgress(res::IDS_CAPTION_BUILD);
  const PosterBuildResult result = BuildPoster(BuildInputs(), m_poster, m_order, Progress());
  const bool cancelled = Progress()->IsCancelled();
  EndProgress();
  builtFlag = result.built;
  m_posterFile.clear();
  if (!result.built) m_poster.ReleasePixels();
  if (!result.built && !cancelled && result.messageId != 0)
    ShowMessage(this, MessageText(result));
  SyncTileListBox(ListBox()->currentRow());  // the build drops entries it can no longer read
  UpdateControls();
}

// JPEG holds 65,500 pixels across and down, BMP 4 GB: a poster past the limit of the name's
// format is offered as the other one where that holds it, else as PNG, which holds any size.
bool CPosterDlg::ChooseFormatThatHolds(std::string& path) {
  const std::optional<PosterFormat> format = PosterFormatFromName(path);
  if (!format || FormatHolds(*format, m_poster)) return true;
  const PosterFormat other =
      *format == PosterFormat::kJpeg ? PosterFormat::kBmp : PosterFormat::kJpeg;
  const std::string offered =
      WithExtension(path, FormatHolds(other, m_poster) ? other : PosterFormat::kPng);
  const std::string width = FormatThousands(static_cast<std::uint32_t>(m_poster.GetWidth()));
  const std::string height = FormatThousands(static_cast<std::uint32_t>(m_poster.GetHeight()));
  const std::string limit =
      *format == PosterFormat::kJpeg
          ? res::FormatString(res::IDS_POSTER_PAST_JPEG, {width, height})
          : res::FormatString(res::IDS_POSTER_PAST_BMP, {width, height, BmpMegabytes(m_poster)});
  const std::string question = res::FormatString(res::IDS_SAVE_AS_OTHER, {offered});
  if (ShowMessage(this, QString::fromStdString(limit + " " + question), MessageButtons::YesNo,
                  MessageIcon::Question) != MessageAnswer::Yes)
    return false;
  path = offered;
  return true;
}

void CPosterDlg::OnHelp() { OpenHelpContents(); }

void CPosterDlg::OnAbout() {
  CAboutDlg about(this);
  about.exec();
}
