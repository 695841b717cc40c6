#include "platform/PrinterQuery.h"

#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>

namespace {

bool (*g_probe)() = nullptr;

}  // namespace

bool HasDefaultPrinter() {
  if (g_probe != nullptr) return g_probe();
  return !QPrinterInfo::defaultPrinter().isNull();
}

void SetPrinterProbe(bool (*probe)()) { g_probe = probe; }

bool RunPrinterSetupDialog(QWidget* parent) {
  QPrinter printer(QPrinterInfo::defaultPrinter(), QPrinter::HighResolution);
  QPrintDialog dialog(&printer, parent);
  dialog.setOption(QAbstractPrintDialog::PrintToFile, false);
  return dialog.exec() == QDialog::Accepted;
}
