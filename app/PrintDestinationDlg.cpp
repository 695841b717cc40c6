#include "app/PrintDestinationDlg.h"

#include <QPushButton>
#include <QRadioButton>

#include "platform/ControlTable.h"

namespace {

constexpr int kDialogWidthDu = 220;
constexpr int kDialogHeightDu = 82;

constexpr ControlSpec kTemplate[] = {
    {0, ControlKind::Group, 7, 7, 206, 48, "Print to"},
    {CPrintDestinationDlg::kIdQueue, ControlKind::Radio, 16, 20, 190, 10, "&Printer", kGroupStart},
    {CPrintDestinationDlg::kIdPdfFile, ControlKind::Radio, 16, 36, 190, 10,
     "PDF &file, with the poster's exact pixels"},
    {CPrintDestinationDlg::IDOK, ControlKind::DefaultButton, 109, 61, 50, 14, "OK"},
    {CPrintDestinationDlg::IDCANCEL, ControlKind::Button, 163, 61, 50, 14, "Cancel"},
};

}  // namespace

CPrintDestinationDlg::CPrintDestinationDlg(QWidget* parent, const QString& queueName)
    : QDialog(parent) {
  setWindowTitle(QStringLiteral("Print Poster"));
  const DialogBaseUnits units = BaseUnitsOf(font());
  BuildControls(this, kTemplate, units);
  SetDialogSize(this, kDialogWidthDu, kDialogHeightDu, units);
  auto* queue = Control<QRadioButton>(this, kIdQueue);
  auto* pdf = Control<QRadioButton>(this, kIdPdfFile);
  if (queueName.isEmpty()) {
    queue->setText(QStringLiteral("Printer (none installed)"));
    queue->setEnabled(false);
    pdf->setChecked(true);
  } else {
    queue->setText(QStringLiteral("&Printer: ") + queueName);
    queue->setChecked(true);
  }
  connect(Control<QPushButton>(this, IDOK), &QPushButton::clicked, this, &QDialog::accept);
  connect(Control<QPushButton>(this, IDCANCEL), &QPushButton::clicked, this, &QDialog::reject);
}

PrintDestination CPrintDestinationDlg::Destination() const {
  return Control<QRadioButton>(this, kIdPdfFile)->isChecked() ? PrintDestination::kPdfFile
                                                               : PrintDestination::kQueue;
}
