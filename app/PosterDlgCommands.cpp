// The commands of the main window's right-hand column and its tile size buttons.
#include <QListWidget>

#include "app/AboutDlg.h"
#include "app/OptionsDlg.h"
#include "app/PosterControls.h"
#include "app/PosterDlg.h"
#include "app/ProgressDlg.h"
#include "engine/BuildPoster.h"
#include "engine/MemoryBudget.h"
#include "platform/HelpWindow.h"
#include "platform/MessageBox.h"
#include "resources/StringTable.h"

namespace {

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
  // Turning photos upright or not can swap the main image's width and height.
  if (before.Orientation != m_params.Orientation && !m_strFileName.empty())
    LoadMainImage(m_strFileName);
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

// A poster past the machine's memory or the save format's limits is refused before anything is
// allocated. A cancelled build closes its progress dialog and says nothing more.
void CPosterDlg::OnBuildPoster() {
  const PosterLimitCheck limits =
      CheckPosterLimits(m_tiles, Setup(), SaveFormat(), ProcessMemoryBudget().bytes);
  if (!limits.fits) {
    ShowMessage(this, QString::fromStdString(limits.message));
    return;
  }
  BeginProgress(res::IDS_CAPTION_BUILD);
  PosterBuildInputs inputs;
  inputs.mainImage = &m_mainImage;
  inputs.tiles = &m_tiles;
  inputs.setup = Setup();
  inputs.tileCache = &m_tileCache;
  inputs.threads = 0;
  const PosterBuildResult result = BuildPoster(inputs, m_poster, m_order, Progress());
  const bool cancelled = Progress()->IsCancelled();
  EndProgress();
  builtFlag = result.built;
  if (!result.built) m_poster.ReleasePixels();
  if (!result.built && !cancelled && result.messageId != 0)
    ShowMessage(this, MessageText(result));
  SyncTileListBox(ListBox()->currentRow());  // the build drops entries it can no longer read
  UpdateControls();
}

void CPosterDlg::OnHelp() { OpenHelpContents(); }

void CPosterDlg::OnAbout() {
  CAboutDlg about(this);
  about.exec();
}
