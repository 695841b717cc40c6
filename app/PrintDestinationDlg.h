// Where Print Poster sends the pages: the chosen printer queue, or a PDF file that keeps the
// poster's exact pixels. A PDF file is always offered, so that printing works on a machine
// without any queue. The place for further printing choices.
#pragma once

#include <QDialog>

enum class PrintDestination { kQueue, kPdfFile };

class CPrintDestinationDlg : public QDialog {
  Q_OBJECT

 public:
  static constexpr int IDOK = 1;
  static constexpr int IDCANCEL = 2;
  static constexpr int kIdQueue = 1100;
  static constexpr int kIdPdfFile = 1101;

  // queueName is the chosen printer; empty when the system has none, and only the PDF file is
  // offered.
  CPrintDestinationDlg(QWidget* parent, const QString& queueName);

  [[nodiscard]] PrintDestination Destination() const;
};
