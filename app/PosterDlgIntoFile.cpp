// A poster too large to hold in memory, built straight into its file: the cells are laid a few
// rows at a time and each band goes to the file's writer, so the poster is never whole.
#include <QListWidget>

#include "app/PosterDlg.h"
#include "app/ProgressDlg.h"
#include "engine/BuildPoster.h"
#include "output/DiskSpace.h"
#include "output/PosterRowWriters.h"
#include "platform/MessageBox.h"
#include "resources/StringTable.h"

namespace {

PosterFileFormat LimitsOf(PosterFormat format) {
  switch (format) {
    case PosterFormat::kJpeg: return PosterFileFormat::kJpeg;
    case PosterFormat::kBmp: return PosterFileFormat::kBmp;
    case PosterFormat::kPng: break;
  }
  return PosterFileFormat::kNone;
}

QString MessageWith(unsigned id, const std::string& arg) {
  return QString::fromStdString(res::FormatString(id, {arg}));
}

}  // namespace

void CPosterDlg::OfferBuildIntoFile(const std::string& refusal) {
  const std::string offer = refusal + " " + res::LoadString(res::IDS_BUILD_INTO_FILE);
  if (ShowMessage(this, QString::fromStdString(offer), MessageButtons::YesNo,
                  MessageIcon::Question) != MessageAnswer::Yes)
    return;
  const std::optional<std::string> path = AskSavePath();
  if (!path) return;
  const std::optional<PosterFormat> format = PosterFormatFromName(*path);
  if (!format) {
    ShowMessage(this, QString::fromUtf8(res::LoadString(res::IDS_BAD_EXTENSION)));
    return;
  }
  if (const auto refused = IntoFileRefusal(*path, *format)) {
    ShowMessage(this, QString::fromStdString(*refused));
    return;
  }
  const std::optional<COutputTarget> target = CheckedTarget(*path, res::IDS_WRITE_ERROR);
  if (!target) return;
  m_currentPaths.saveName = *path;
  BuildIntoFile(*target, *format);
}

std::optional<std::string> CPosterDlg::IntoFileRefusal(const std::string& path,
                                                       PosterFormat format) {
  const PosterSetup setup = Setup();
  const PosterLimitCheck limits =
      CheckPosterLimits(m_tiles, setup, LimitsOf(format), MemoryBytes(), true);
  if (!limits.fits) return limits.message;
  // A wall-sized poster takes long to lay: a disk that fills up at its end would waste it.
  const TileGrid grid = ComputeTileGrid(m_tiles, FALSE, setup).grid;
  return CheckDiskSpace(
      path, PosterFileBytesAtMost(format, std::int64_t{grid.tilesAcross} * grid.tileWidth,
                                  std::int64_t{grid.tilesDown} * grid.tileHeight,
                                  static_cast<unsigned>(m_params.JPEGQuality)));
}

// The progress dialog shows the laying and the file's last writing, and its Cancel leaves no
// file. A poster that the build could not lay in bands after all (a main image of fewer
// colours) is built whole and saved as Save Poster would.
void CPosterDlg::BuildIntoFile(const COutputTarget& target, PosterFormat format) {
  const unsigned quality = static_cast<unsigned>(m_params.JPEGQuality);
  const std::unique_ptr<CPosterRowSink> writer = MakePosterRowWriter(format, target, quality);
  BeginProgress(res::IDS_CAPTION_BUILD);
  PosterBuildInputs inputs = BuildInputs();
  inputs.rowSink = writer.get();
  const PosterBuildResult result = BuildPoster(inputs, m_poster, m_order, Progress());
  SaveResult saved = SaveResult::kCancelled;  // nothing was written: the build says why
  if (result.built)
    saved = result.streamed ? writer->Finish(Progress())
                            : SavePoster(m_poster, target, format, quality, Progress());
  else if (result.streamed)
    saved = writer->Failure();  // kSaved unless writing a band stopped the build
  const bool cancelled = Progress()->IsCancelled();
  EndProgress();
  builtFlag = result.built && saved == SaveResult::kSaved;
  m_posterFile = builtFlag && result.streamed ? target.Path() : std::string();
  if (!builtFlag) m_poster.ReleasePixels();
  if (!cancelled && saved != SaveResult::kSaved && saved != SaveResult::kCancelled)
    ShowMessage(this, MessageWith(MessageId(saved, format == PosterFormat::kJpeg), target.Path()));
  else if (!cancelled && !result.built && result.messageId != 0)
    ShowMessage(this, MessageWith(result.messageId, result.messageArg));
  SyncTileListBox(ListBox()->currentRow());
  UpdateControls();
}
