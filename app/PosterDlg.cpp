#include "app/PosterDlg.h"

#include <QCloseEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include "app/PosterControls.h"
#include "app/PrintExtrasSettings.h"
#include "app/ProgressDlg.h"
#include "image/NumberUtils.h"
#include "platform/ControlTable.h"
#include "platform/HelpWindow.h"
#include "platform/LocalPath.h"
#include "platform/MessageBox.h"
#include "platform/Profile.h"
#include "platform/TypingLimit.h"
#include "resources/StringTable.h"

namespace {

QString Text(unsigned id) { return QString::fromUtf8(res::LoadString(id)); }

CProfile OpenProfile() { return CProfile(Text(res::IDS_REGISTRY_KEY), Text(res::IDS_APP_NAME)); }

QString Grouped(int value) {
  return QString::fromStdString(FormatThousands(static_cast<std::uint32_t>(value)));
}

// "%d (%d x %d)": the product and its two factors; empty when the product is not positive.
QString AcrossByDown(int across, int down) {
  const long long product = static_cast<long long>(across) * down;
  if (product <= 0) return {};
  return QStringLiteral("%1 (%2 x %3)").arg(product).arg(across).arg(down);
}

// The user types at most this many characters into a print size edit; the program may show more.
constexpr int kTypedInchesChars = 5;

// A print size as the edits show the members: every digit the value needs.
QString InchesText(double inches) { return QString::number(inches, 'g', 15); }

}  // namespace

CPosterDlg::CPosterDlg(QWidget* parent)
    : QDialog(parent), m_printerSettings(this), m_preview(this), m_currentPaths{"", "", "", ""} {
  BuildWindow();
  ConnectCommands();
  if (HasPrinter()) m_printerSettings.GetPrinterMetrics(m_printer);
  else ShowMessage(this, Text(res::IDS_NO_PRINTER));
  CProfile profile = OpenProfile();
  const PosterSettings settings = LoadPosterSettings(profile);
  m_params = settings.params;
  m_readPaths = settings.paths;
}

CPosterDlg::~CPosterDlg() {
  EndProgress();
  CProfile profile = OpenProfile();
  SavePosterSettings(profile, m_params, m_currentPaths, m_readPaths);
}

void CPosterDlg::ConnectCommands() {
  auto onClick = [this](int id, void (CPosterDlg::*handler)()) {
    connect(Control<QPushButton>(this, id), &QPushButton::clicked, this, handler);
  };
  onClick(IDC_BROWSE_MAIN, &CPosterDlg::OnBrowseMain);
  onClick(IDC_ADD_TILES, &CPosterDlg::OnAddTiles);
  onClick(IDC_DELETE_TILE, &CPosterDlg::OnDeleteTile);
  onClick(IDC_EMPTY_TILES, &CPosterDlg::OnEmptyTiles);
  onClick(IDC_OPEN_LIST, &CPosterDlg::OnOpenList);
  onClick(IDC_SAVE_LIST, &CPosterDlg::OnSaveList);
  onClick(IDC_BUILD, &CPosterDlg::OnBuildPoster);
  onClick(IDC_OPTIONS, &CPosterDlg::OnOptions);
  onClick(IDC_PRINTER_SETUP, &CPosterDlg::OnPrinterSetup);
  onClick(IDC_PREVIEW, &CPosterDlg::OnPreviewPoster);
  onClick(IDC_PRINT, &CPosterDlg::OnPrintPoster);
  onClick(IDC_SAVE_POSTER, &CPosterDlg::OnSavePoster);
  onClick(IDC_HELP, &CPosterDlg::OnHelp);
  onClick(IDC_ABOUT, &CPosterDlg::OnAbout);
  onClick(IDC_EXIT, &CPosterDlg::reject);
  for (int id : {IDC_SIZE_SMALL, IDC_SIZE_MEDIUM, IDC_SIZE_LARGE, IDC_SIZE_CUSTOM})
    connect(Control<QRadioButton>(this, id), &QRadioButton::clicked, this,
            [this, id] { OnTileSize(id); });
  connect(Edit(IDC_PRINT_WIDTH), &QLineEdit::textEdited, this, &CPosterDlg::OnPrintWidthEdited);
  connect(Edit(IDC_PRINT_HEIGHT), &QLineEdit::textEdited, this,
          &CPosterDlg::OnPrintHeightEdited);
  for (int id : {IDC_PRINT_WIDTH, IDC_PRINT_HEIGHT}) {
    Edit(id)->installEventFilter(this);
    LimitTyping(Edit(id), kTypedInchesChars);
  }
  ListBox()->installEventFilter(this);
}

void CPosterDlg::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (m_initialised) return;
  m_initialised = true;
  OnInitDialog();
}

// The first showing: the tile size button, the displays, the first print size, then the help
// contents, which open as the program starts.
void CPosterDlg::OnInitDialog() {
  if (auto* button = Control<QRadioButton>(this, static_cast<int>(m_params.TileSize)))
    button->setChecked(true);
  UpdateControls();
  ComputeInitialPrintSize();
  if (!HasPrinter()) UpdateControls();
  QTimer::singleShot(0, this, &CPosterDlg::OnHelp);
}

QLineEdit* CPosterDlg::Edit(int id) const { return Control<QLineEdit>(this, id); }

QListWidget* CPosterDlg::ListBox() const { return Control<QListWidget>(this, IDC_TILE_LIST); }

PosterBuildInputs CPosterDlg::BuildInputs() {
  PosterBuildInputs inputs;
  inputs.mainImage = &m_mainImage;
  inputs.tiles = &m_tiles;
  inputs.setup = Setup();
  inputs.tileCache = &m_tileCache;
  return inputs;
}

PosterSetup CPosterDlg::Setup() const {
  return PosterSetup{m_params, m_imageWidth, m_imageHeight, m_printSize, m_printer};
}

// The print size edits, read as the window's members; a text that is no number is refused, with
// the focus put back into it. Without a main image the edits are off and hold no size.
bool CPosterDlg::ReadControls() {
  if (!m_mainImage.IsValid()) return true;
  for (int id : {IDC_PRINT_WIDTH, IDC_PRINT_HEIGHT}) {
    QLineEdit* edit = Edit(id);
    bool isNumber = false;
    const double inches = edit->text().trimmed().toDouble(&isNumber);
    if (!isNumber) {
      ShowMessage(this, Text(res::IDS_ENTER_NUMBER));
      edit->setFocus();
      edit->selectAll();
      return false;
    }
    (id == IDC_PRINT_WIDTH ? m_printSize.width : m_printSize.height) = inches;
  }
  return true;
}

// The members into the controls. A print size edit keeps its text while that reads as the
// member's value, so "7.50" is not rewritten as "7.5" under the user's eyes.
void CPosterDlg::WriteControls() {
  Edit(IDC_MAIN_FILE)->setText(FromLocalPath(m_strFileName));
  const bool hasMain = m_mainImage.IsValid();
  for (int id : {IDC_PRINT_WIDTH, IDC_PRINT_HEIGHT}) {
    const double inches = id == IDC_PRINT_WIDTH ? m_printSize.width : m_printSize.height;
    QLineEdit* edit = Edit(id);
    bool isNumber = false;
    const double shown = edit->text().trimmed().toDouble(&isNumber);
    if (!hasMain && inches == 0) edit->clear();
    else if (!isNumber || shown != inches) SetWholeText(edit, InchesText(inches));
  }
}

void CPosterDlg::UpdateControls() {
  if (!ReadControls()) return;
  const bool hasTiles = m_tiles.GetCount() > 0;
  const bool hasMain = m_mainImage.IsValid();
  auto enable = [this](int id, bool on) { Control(this, id)->setEnabled(on); };
  enable(IDC_SAVE_LIST, hasTiles);
  enable(IDC_DELETE_TILE, hasTiles);
  enable(IDC_EMPTY_TILES, hasTiles);
  if (hasTiles && ListBox()->selectedItems().isEmpty()) ListBox()->setCurrentRow(0);
  enable(IDC_PREVIEW, hasMain);
  enable(IDC_PRINT, hasMain);  // a PDF file takes the pages where no printer is installed
  enable(IDC_PRINTER_SETUP, HasPrinter());
  enable(IDC_PRINT_WIDTH, hasMain);
  enable(IDC_PRINT_HEIGHT, hasMain);
  enable(IDC_BUILD, hasMain && hasTiles);
  enable(IDC_SAVE_POSTER, hasMain && hasTiles);
  WriteControls();
  RefreshTileDisplay();
}

void CPosterDlg::RefreshTileDisplay() {
  if (m_tiles.GetCount() == 0) {
    for (int id : {IDC_TILE_COUNT, IDC_TILE_WIDTH, IDC_TILE_HEIGHT}) Edit(id)->clear();
    return;
  }
  const TileGrid grid = ComputeTileGrid(m_tiles, FALSE, Setup()).grid;
  Edit(IDC_TILE_COUNT)->setText(AcrossByDown(grid.tilesAcross, grid.tilesDown));
  Edit(IDC_TILE_WIDTH)->setText(Grouped(grid.tileWidth));
  Edit(IDC_TILE_HEIGHT)->setText(Grouped(grid.tileHeight));
}

void CPosterDlg::RefreshPagesDisplay() {
  const bool hasMain = m_mainImage.IsValid();
  // The pages a print takes with the stored overlap, marks and labels.
  CProfile profile = OpenProfile();
  PageCount pages = ComputePageCountWithExtras(m_printSize, m_printer, LoadPrintExtras(profile));
  if (!hasMain || pages.across < 1) pages = ComputePageCount(m_printSize, m_printer, hasMain);
  Edit(IDC_PAGES)->setText(hasMain ? AcrossByDown(pages.across, pages.down) : QString());
}

void CPosterDlg::RefreshImageSizeDisplay() {
  const bool hasMain = m_imageWidth > 0 || m_imageHeight > 0;
  Edit(IDC_IMAGE_WIDTH)->setText(hasMain ? Grouped(m_imageWidth) : QString());
  Edit(IDC_IMAGE_HEIGHT)->setText(hasMain ? Grouped(m_imageHeight) : QString());
}

void CPosterDlg::ComputeInitialPrintSize() {
  ::ComputeInitialPrintSize(m_printSize, m_imageWidth, m_imageHeight, m_printer);
  WriteControls();
  RefreshPagesDisplay();
}

// Escape and Exit ask through the close path instead of ending the window at once.
void CPosterDlg::reject() { QTimer::singleShot(0, this, &QWidget::close); }

void CPosterDlg::closeEvent(QCloseEvent* event) {
  if (m_progress) {  // a long command runs: its Cancel ends it, not the close box
    event->ignore();
    return;
  }
  if (confirmOnClose &&
      ShowMessage(this, Text(res::IDS_EXIT_QUESTION), MessageButtons::YesNo,
                  MessageIcon::Question) != MessageAnswer::Yes) {
    event->ignore();
    return;
  }
  confirmOnClose = FALSE;
  m_tiles.ReleaseAllSizeInfo();
  QuitHelp();
  event->accept();
  done(QDialog::Accepted);
}

void CPosterDlg::BeginProgress(unsigned captionId) {
  m_progress = std::make_unique<CProgressScope>(this, captionId);
}

void CPosterDlg::EndProgress() { m_progress.reset(); }

CProgressDlg* CPosterDlg::Progress() const { return m_progress ? m_progress->Dialog() : nullptr; }
