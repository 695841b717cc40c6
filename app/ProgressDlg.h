// The progress dialog of every long command: a stage line, a detail line, a bar and Cancel.
//
// The dialog is modeless and the work runs on the user-interface thread: each report of the
// work first lets pending events run (so the dialog repaints and Cancel works) and then answers
// whether to go on. Cancel, Escape, the close box and a quit request all record a sticky cancel;
// Enter does nothing.
#pragma once

#include <QDialog>
#include <QElapsedTimer>

#include "image/Progress.h"

class QLabel;
class QProgressBar;

class CProgressDlg : public QDialog, public CProgress {
 public:
  explicit CProgressDlg(QWidget* parent = nullptr);

  // The string id of the caption, set before the dialog is shown.
  void SetCaptionId(unsigned captionId);
  // Shows the dialog centred over the window over (or the screen) and clears the cancel.
  void Start(QWidget* over);

  [[nodiscard]] QString StageLine() const;
  [[nodiscard]] QString DetailLine() const;
  [[nodiscard]] int Percent() const;

  // The dialog of the running command, or nullptr: the printing's abort check reaches it here.
  [[nodiscard]] static CProgressDlg* Running();

  void reject() override;  // Cancel and Escape

 protected:
  void ShowStage(const std::string& text) override;
  void ShowDetail(const std::string& text) override;
  void ShowPercent(int percent) override;
  BOOL PumpMessages() override;
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void PaintBeforeWork();

  QLabel* m_line1;
  QLabel* m_line2;
  QProgressBar* m_progress;
  unsigned m_nCaptionID = 0;
  QElapsedTimer m_sincePump;  // since events last ran
};

// BeginProgress and EndProgress of a long command: shows the dialog with its caption and
// disables the main window for the life of the object.
class CProgressScope {
 public:
  CProgressScope(QWidget* mainWindow, unsigned captionId);
  ~CProgressScope();
  CProgressScope(const CProgressScope&) = delete;
  CProgressScope& operator=(const CProgressScope&) = delete;

  [[nodiscard]] CProgressDlg* Dialog() { return &m_dialog; }

 private:
  QWidget* m_mainWindow;
  CProgressDlg m_dialog;
};
