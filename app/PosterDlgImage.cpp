// The main image and the print size of the main window.
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>

#include "app/FileChoice.h"
#include "app/PosterControls.h"
#include "app/PosterDlg.h"
#include "formats/ImageFile.h"
#include "platform/ControlTable.h"
#include "platform/LocalPath.h"
#include "platform/MessageBox.h"
#include "platform/TypingLimit.h"
#include "platform/WaitCursor.h"
#include "resources/StringTable.h"

namespace {

// A typed inch value: the number the text starts with, 0 when it starts with none.
double TypedInches(const QString& text) { return ParseTypedInches(text.toStdString()); }

QString DerivedText(double inches) { return QString::fromStdString(FormatInches(inches)); }

}  // namespace

void CPosterDlg::OnBrowseMain() {
  if (!ReadControls()) return;
  const std::string start = m_strFileName.empty() ? m_readPaths.mainImage : m_strFileName;
  const PictureFilterChoice choice = ChoosePictureFilter(start);
  FileDialogRequest request =
      MakeFileRequest(start, res::IDS_MAIN_IMAGE_TITLE, res::IDS_IMAGE_FILTER, choice.extension);
  request.mustExist = true;
  request.filterIndex = choice.filterIndex;
  const auto chosen = RunFileDialog(this, request);
  if (!chosen || chosen->paths.isEmpty()) return;
  LoadMainImage(ToLocalPath(chosen->paths.front()));
}

void CPosterDlg::LoadMainImage(const std::string& path) {
  CWaitCursor wait;
  m_strFileName = path;
  int width = 0, height = 0;
  unsigned error = 0;
  if (!Probe(m_mainImage, path, width, height, LoadOptionsFor(m_params)) || width < 0 || height < 0)
    error = res::IDS_MAIN_IMAGE_ERROR;
  else if (!Load(m_mainImage, path, LoadOptionsFor(m_params)))
    error = res::IDS_NO_MEMORY;
  if (error == 0) {
    m_imageWidth = width;
    m_imageHeight = height;
    m_currentPaths.mainImage = path;
  } else {
    ShowMessage(this, QString::fromUtf8(res::LoadString(error)));
    m_mainImage.ReleasePixels();
    m_strFileName.clear();
    m_imageWidth = m_imageHeight = 0;
  }
  RefreshImageSizeDisplay();
  m_printSize = PrintSize{};
  WriteControls();
  builtFlag = FALSE;
  ComputeInitialPrintSize();
  UpdateControls();
}

// A typed width sets the height, a typed height the width; the value typed is kept as typed
// and only the derived side is cut to hundredths.
void CPosterDlg::OnPrintWidthEdited(const QString& text) {
  if (m_heightFocus || !m_mainImage.IsValid()) return;
  m_printSize.width = TypedInches(text);
  m_printSize.height = HeightForWidth(m_printSize.width, m_imageWidth, m_imageHeight);
  SetWholeText(Edit(IDC_PRINT_HEIGHT), DerivedText(m_printSize.height));
  RefreshTileDisplay();
  RefreshPagesDisplay();
  builtFlag = FALSE;
}

void CPosterDlg::OnPrintHeightEdited(const QString& text) {
  if (!m_heightFocus || !m_mainImage.IsValid()) return;
  m_printSize.height = TypedInches(text);
  m_printSize.width = WidthForHeight(m_printSize.height, m_imageWidth, m_imageHeight);
  SetWholeText(Edit(IDC_PRINT_WIDTH), DerivedText(m_printSize.width));
  RefreshTileDisplay();
  RefreshPagesDisplay();
  builtFlag = FALSE;
}

// Leaving a print size edit with a size not above 0 puts the focus back into it.
void CPosterDlg::OnPrintSizeFocusOut(bool isWidth) {
  if (isWidth ? m_heightFocus : m_widthFocus) return;
  if (!ReadControls()) return;
  BOOL& ownFlag = isWidth ? m_widthFocus : m_heightFocus;
  BOOL& otherFlag = isWidth ? m_heightFocus : m_widthFocus;
  if (m_printSize.width > 0 && m_printSize.height > 0) {
    ownFlag = FALSE;
    return;
  }
  ShowMessage(this, QString::fromUtf8(res::LoadString(res::IDS_LARGER_NUMBER)));
  Edit(isWidth ? IDC_PRINT_WIDTH : IDC_PRINT_HEIGHT)->setFocus();
  otherFlag = FALSE;
}

bool CPosterDlg::eventFilter(QObject* watched, QEvent* event) {
  // The Delete key in the tile list deletes the selected entry, as the Delete button does.
  if (watched == static_cast<QObject*>(ListBox()) && event->type() == QEvent::KeyPress &&
      static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {
    if (Control(this, IDC_DELETE_TILE)->isEnabled()) OnDeleteTile();
    return true;
  }
  const bool isWidth = watched == Edit(IDC_PRINT_WIDTH);
  if (!isWidth && watched != Edit(IDC_PRINT_HEIGHT)) return QDialog::eventFilter(watched, event);
  if (event->type() == QEvent::FocusIn) (isWidth ? m_widthFocus : m_heightFocus) = TRUE;
  if (event->type() == QEvent::FocusOut) {
    // Focus that only leaves with the window (a message box, another program) stays put.
    const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
    if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
      OnPrintSizeFocusOut(isWidth);
  }
  return QDialog::eventFilter(watched, event);
}
