// The tile list of the main window: Add, Delete, Empty, Open, Save and dropped files.
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QListWidget>
#include <QMimeData>

#include "app/FileChoice.h"
#include "app/PosterControls.h"
#include "app/PosterDlg.h"
#include "app/TileListFile.h"
#include "platform/LocalPath.h"
#include "platform/MessageBox.h"
#include "resources/StringTable.h"

namespace {

QString Text(unsigned id) { return QString::fromUtf8(res::LoadString(id)); }

QString TextWithPath(unsigned id, const std::string& path) {
  return Text(id).replace(QLatin1String("%s"), FromLocalPath(path));
}

std::vector<std::string> LocalPaths(const QStringList& paths) {
  std::vector<std::string> local;
  local.reserve(static_cast<std::size_t>(paths.size()));
  for (const QString& path : paths) local.push_back(ToLocalPath(path));
  return local;
}

}  // namespace

bool CPosterDlg::AddTileFiles(const std::vector<std::string>& paths, std::string* firstTaken) {
  bool allTaken = true;
  for (const std::string& path : paths) {
    // A folder may open and even probe on some systems; it is never a picture.
    const bool taken = !QFileInfo(FromLocalPath(path)).isDir() && m_tiles.AddFile(path);
    if (taken && firstTaken != nullptr && firstTaken->empty()) *firstTaken = path;
    allTaken = allTaken && taken;
  }
  if (!allTaken) ShowMessage(this, Text(res::IDS_TILES_NOT_ADDED));
  return allTaken;
}

// The list box mirrors the tile list, which keeps the sorted order itself.
void CPosterDlg::SyncTileListBox(int selectRow) {
  QListWidget* list = ListBox();
  list->clear();
  for (int i = 0; i < m_tiles.GetCount(); ++i) list->addItem(FromLocalPath(m_tiles.GetText(i)));
  if (selectRow >= list->count()) selectRow = list->count() - 1;
  if (selectRow >= 0) list->setCurrentRow(selectRow);
}

void CPosterDlg::TileListChanged() {
  builtFlag = FALSE;
  SyncTileListBox(ListBox()->currentRow());
  UpdateControls();
}

void CPosterDlg::OnAddTiles() {
  const std::string& start = m_currentPaths.tileAddName.empty() ? m_readPaths.tileAddName
                                                                 : m_currentPaths.tileAddName;
  const PictureFilterChoice choice = ChoosePictureFilter(start);
  FileDialogRequest request =
      MakeFileRequest(start, res::IDS_ADD_TILES_TITLE, res::IDS_IMAGE_FILTER, choice.extension);
  request.mustExist = true;
  request.multiSelect = true;
  request.filterIndex = choice.filterIndex;
  if (const auto chosen = RunFileDialog(this, request)) {
    std::string first;
    (void)AddTileFiles(LocalPaths(chosen->paths), &first);
    if (!first.empty()) m_currentPaths.tileAddName = first;
  }
  TileListChanged();
}

void CPosterDlg::AddDroppedFiles(const std::vector<std::string>& paths) {
  (void)AddTileFiles(paths, nullptr);
  TileListChanged();
}

void CPosterDlg::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void CPosterDlg::dropEvent(QDropEvent* event) {
  std::vector<std::string> paths;
  for (const QUrl& url : event->mimeData()->urls())
    if (url.isLocalFile()) paths.push_back(ToLocalPath(url.toLocalFile()));
  event->acceptProposedAction();
  AddDroppedFiles(paths);
}

// The entry after the deleted one takes its place in the selection, or the new last entry.
void CPosterDlg::OnDeleteTile() {
  const QList<QListWidgetItem*> selected = ListBox()->selectedItems();
  int row = -1;
  if (!selected.isEmpty()) {
    row = ListBox()->row(selected.front());
    m_tiles.Remove(row);
    row = std::min(row, m_tiles.GetCount() - 1);
  }
  builtFlag = FALSE;
  SyncTileListBox(row);
  UpdateControls();
}

void CPosterDlg::OnEmptyTiles() {
  builtFlag = FALSE;
  m_tiles.ReleaseAllSizeInfo();
  m_tiles.RemoveAll();
  m_tileCache.Clear();
  SyncTileListBox(-1);
  UpdateControls();
}

std::string CPosterDlg::TileListStartPath() const {
  if (!m_tileListPath.empty()) return m_tileListPath;
  return m_currentPaths.tileList.empty() ? m_readPaths.tileList : m_currentPaths.tileList;
}

// The names of a tile list file join the entries already listed.
void CPosterDlg::OnOpenList() {
  FileDialogRequest request = MakeFileRequest(TileListStartPath(), res::IDS_OPEN_LIST_TITLE,
                                              res::IDS_LIST_FILTER, "txt");
  request.mustExist = true;
  const auto chosen = RunFileDialog(this, request);
  if (!chosen || chosen->paths.isEmpty()) return;
  m_tileListPath = ToLocalPath(chosen->paths.front());
  if (const auto names = ReadTileListFile(m_tileListPath)) {
    m_currentPaths.tileList = m_tileListPath;
    (void)AddTileFiles(*names, nullptr);
  } else {
    ShowMessage(this, TextWithPath(res::IDS_LIST_OPEN_ERROR, m_tileListPath));
    m_tileListPath = m_readPaths.tileList;
  }
  TileListChanged();
}

void CPosterDlg::OnSaveList() {
  if (m_tiles.GetCount() < 1) return;
  FileDialogRequest request = MakeFileRequest(TileListStartPath(), res::IDS_SAVE_LIST_TITLE,
                                              res::IDS_LIST_FILTER, "txt");
  request.openMode = false;
  const auto chosen = RunFileDialog(this, request);
  if (!chosen || chosen->paths.isEmpty()) return;
  const std::string path = ToLocalPath(chosen->paths.front());
  const std::optional<COutputTarget> target = CheckedTarget(path, res::IDS_LIST_CREATE_ERROR);
  if (!target) return;
  m_tileListPath = path;
  std::vector<std::string> names;
  for (int i = 0; i < m_tiles.GetCount(); ++i) names.push_back(m_tiles.GetText(i));
  switch (WriteTileListFile(*target, names)) {
    case TileListWriteResult::kWritten:
      m_currentPaths.tileList = m_tileListPath;
      return;
    case TileListWriteResult::kCreateFailed:
      ShowMessage(this, TextWithPath(res::IDS_LIST_CREATE_ERROR, m_tileListPath));
      break;
    case TileListWriteResult::kWriteFailed:
      ShowMessage(this, TextWithPath(res::IDS_LIST_WRITE_ERROR, m_tileListPath));
      break;
  }
  m_tileListPath = m_readPaths.tileList;
}
