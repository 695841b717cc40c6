#include "app/ProgressDlg.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QThread>
#include <QWindow>

#include "platform/ControlTable.h"
#include "platform/MessagePump.h"
#include "resources/StringTable.h"

namespace {

constexpr int kStage = 1037, kDetail = 1038, kBar = 1039, kCancel = 2;

constexpr ControlSpec kTemplate[] = {
    {kStage, ControlKind::Label, 7, 7, 327, 8, ""},
    {kDetail, ControlKind::Label, 9, 27, 325, 8, ""},
    {kBar, ControlKind::Progress, 7, 47, 327, 14, ""},
    {kCancel, ControlKind::Button, 284, 67, 50, 14, "Cancel"},
};

CProgressDlg* g_running = nullptr;

}  // namespace

CProgressDlg::CProgressDlg(QWidget* parent) : QDialog(parent) {
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::CustomizeWindowHint | Qt::WindowCloseButtonHint);
  const DialogBaseUnits units = BaseUnitsOf(font());
  BuildControls(this, kTemplate, units);
  SetDialogSize(this, 341, 87, units);
  m_line1 = Control<QLabel>(this, kStage);
  m_line2 = Control<QLabel>(this, kDetail);
  for (QLabel* line : {m_line1, m_line2}) line->setWordWrap(false);
  m_progress = Control<QProgressBar>(this, kBar);
  connect(Control<QPushButton>(this, kCancel), &QPushButton::clicked, this,
          &CProgressDlg::reject);
}

void CProgressDlg::SetCaptionId(unsigned captionId) { m_nCaptionID = captionId; }

void CProgressDlg::Start(QWidget* over) {
  SetCancel(FALSE);
  m_sincePump.invalidate();
  m_line1->clear();
  m_line2->clear();
  m_progress->setValue(0);
  if (const char* caption = res::LoadString(m_nCaptionID))
    setWindowTitle(QString::fromUtf8(caption));
  const QRect area = over && over->isVisible() ? over->frameGeometry()
                                               : QGuiApplication::primaryScreen()->geometry();
  move(area.center() - rect().center());
  show();
  PaintBeforeWork();
}

// The work lets events run only between its steps: a dialog left to be painted by the first of
// them would show black until then. The server maps the window and asks for its painting a little
// after show(), so events run here until it has been painted, for a bounded time should the
// window never be exposed (minimised, or a server that does not draw).
void CProgressDlg::PaintBeforeWork() {
  constexpr qint64 kExposeWaitMs = 500;
  QElapsedTimer waited;
  waited.start();
  while (!(windowHandle() && windowHandle()->isExposed()) && waited.elapsed() < kExposeWaitMs) {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    QThread::msleep(1);
  }
  repaint();
}

QString CProgressDlg::StageLine() const { return m_line1->text(); }
QString CProgressDlg::DetailLine() const { return m_line2->text(); }
int CProgressDlg::Percent() const { return m_progress->value(); }

CProgressDlg* CProgressDlg::Running() { return g_running; }

void CProgressDlg::reject() { SetCancel(TRUE); }

// A new stage lets events run at its first report whenever the last ran, so that each stage
// line is seen and a request to stop made meanwhile is met before the stage's work.
void CProgressDlg::ShowStage(const std::string& text) {
  m_line1->setText(QString::fromUtf8(text));
  m_sincePump.invalidate();
}

void CProgressDlg::ShowDetail(const std::string& text) {
  m_line2->setText(QString::fromUtf8(text));
}

void CProgressDlg::ShowPercent(int percent) { m_progress->setValue(percent); }

// The build reports every cell; letting events run at most every few milliseconds keeps the
// dialog live and Cancel prompt without the repainting costing the build its speed.
BOOL CProgressDlg::PumpMessages() {
  constexpr qint64 kPumpIntervalMs = 15;
  if (m_sincePump.isValid() && m_sincePump.elapsed() < kPumpIntervalMs) return FALSE;
  m_sincePump.start();
  return ::PumpMessages() ? TRUE : FALSE;
}

void CProgressDlg::closeEvent(QCloseEvent* event) {
  SetCancel(TRUE);
  event->ignore();  // the command closes the dialog when its work has unwound
}

void CProgressDlg::keyPressEvent(QKeyEvent* event) {
  // Enter has no button to press here; Escape reaches reject through the base class.
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

// The dialog belongs to the main window, so that the main window's modal loop lets it answer;
// disabling the main window disables its own windows too, so the dialog takes its keys back.
CProgressScope::CProgressScope(QWidget* mainWindow, unsigned captionId)
    : m_mainWindow(mainWindow), m_dialog(mainWindow) {
  m_dialog.SetCaptionId(captionId);
  g_running = &m_dialog;
  if (m_mainWindow) m_mainWindow->setEnabled(false);
  m_dialog.setEnabled(true);
  m_dialog.Start(m_mainWindow);
}

CProgressScope::~CProgressScope() {
  if (m_mainWindow) m_mainWindow->setEnabled(true);
  g_running = nullptr;
  m_dialog.hide();
}
