#include "output/PrinterSettings.h"

#include <QDialogButtonBox>
#include <QPrintDialog>
#include <QPushButton>
#include <QPrinterInfo>

namespace {

std::optional<QString> g_testPrinterFile;
const QString kTestPrinterName = QStringLiteral("PDF file");

bool IsTestPrinter(const PrinterIdentity& identity) {
  return g_testPrinterFile && identity.name == kTestPrinterName;
}

// A printer of the chosen queue, or the PDF file of the test printer.
std::unique_ptr<QPrinter> NewPrinter(const PrinterIdentity& identity) {
  if (!IsTestPrinter(identity))
    return std::make_unique<QPrinter>(QPrinterInfo::printerInfo(identity.name),
                                      QPrinter::HighResolution);
  auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
  printer->setOutputFormat(QPrinter::PdfFormat);
  printer->setOutputFileName(*g_testPrinterFile);
  printer->setPageSize(QPageSize(QPageSize::Letter));
  printer->setResolution(300);
  return printer;
}

}  // namespace

void SetTestPrinter(std::optional<QString> pdfPath) { g_testPrinterFile = std::move(pdfPath); }

std::optional<PrinterIdentity> SystemDefaultPrinter() {
  if (g_testPrinterFile) {
    if (g_testPrinterFile->isEmpty()) return std::nullopt;
    return PrinterIdentity{kTestPrinterName, QStringLiteral("PDF")};
  }
  QPrinterInfo info = QPrinterInfo::defaultPrinter();
  // Print servers often have queues but no default destination: the first queue by name then
  // serves as the default.
  if (info.isNull()) {
    QStringList names = QPrinterInfo::availablePrinterNames();
    if (names.isEmpty()) return std::nullopt;
    names.sort();
    info = QPrinterInfo::printerInfo(names.front());
    if (info.isNull()) return std::nullopt;
  }
  return PrinterIdentity{info.printerName(), info.makeAndModel()};
}

PrinterMetrics MetricsOfPrinter(const QPrinter& printer) {
  PrinterMetrics metrics;
  const int dpi = printer.resolution();
  if (dpi < 1) return metrics;
  const QRect printable = printer.pageLayout().paintRectPixels(dpi);
  const QRect paper = printer.pageLayout().fullRectPixels(dpi);
  metrics.dpiX = metrics.dpiY = dpi;
  metrics.printableWidth = printable.width() * 1000 / dpi;
  metrics.printableHeight = printable.height() * 1000 / dpi;
  metrics.paperWidth = paper.width() * 1000 / dpi;
  metrics.paperHeight = paper.height() * 1000 / dpi;
  return metrics;
}

CPrinterSettings::CPrinterSettings(QWidget* owner, DefaultPrinterSource defaultPrinter)
    : m_owner(owner), m_defaultPrinter(std::move(defaultPrinter)) {
  SyncWithDefault(TRUE);
  m_bPrinterAvailable = m_identity.has_value();
}

CPrinterSettings::~CPrinterSettings() = default;

void CPrinterSettings::TakePrinter(const std::optional<PrinterIdentity>& identity) {
  m_identity = identity;
  m_takenAsDefault = identity.has_value();
  m_setup.reset();
  if (!identity) return;
  m_setup = NewPrinter(*identity);
}

void CPrinterSettings::SyncWithDefault(BOOL force) {
  if (force || !m_identity) {
    TakePrinter(m_defaultPrinter());
    return;
  }
  if (!m_takenAsDefault) return;
  const std::optional<PrinterIdentity> current = m_defaultPrinter();
  // The same default keeps its page set-up.
  if (current != m_identity) TakePrinter(current);
}

// The print dialog serves as the set-up of printer, paper, orientation and copies; it prints
// nothing, so its title and button say what it does.
BOOL CPrinterSettings::DoPrinterSetup() {
  SyncWithDefault(FALSE);
  if (!m_setup) m_setup = std::make_unique<QPrinter>(QPrinter::HighResolution);
  QPrintDialog dialog(m_setup.get(), m_owner);
  dialog.setOptions(QAbstractPrintDialog::PrintShowPageSize);
  dialog.setWindowTitle(QStringLiteral("Printer Setup"));
  if (auto* buttons = dialog.findChild<QDialogButtonBox*>()) {
    if (QPushButton* ok = buttons->button(QDialogButtonBox::Ok)) ok->setText(QStringLiteral("OK"));
  }
  if (dialog.exec() != QDialog::Accepted) return FALSE;
  const QPrinterInfo chosen = QPrinterInfo::printerInfo(m_setup->printerName());
  if (!chosen.isNull()) KeepSetupOf({chosen.printerName(), chosen.makeAndModel()});
  return TRUE;
}

// The dialog's printer, with the paper, orientation and copies chosen in the same dialog.
void CPrinterSettings::KeepSetupOf(const PrinterIdentity& printer) {
  m_identity = printer;
  m_takenAsDefault = m_defaultPrinter() == printer;
}

void CPrinterSettings::ChoosePrinter(const PrinterIdentity& printer) {
  if (printer != m_identity) TakePrinter(printer);
  m_takenAsDefault = m_defaultPrinter() == printer;
}

std::unique_ptr<QPrinter> CPrinterSettings::CreatePrinterDC() const {
  if (!m_identity || !m_setup) return nullptr;
  auto printer = NewPrinter(*m_identity);
  printer->setPageLayout(m_setup->pageLayout());
  printer->setResolution(m_setup->resolution());
  printer->setColorMode(m_setup->colorMode());
  printer->setDuplex(m_setup->duplex());
  printer->setCopyCount(m_setup->copyCount());
  if (!printer->isValid()) return nullptr;
  return printer;
}

void CPrinterSettings::GetPrinterMetrics(PrinterMetrics& metrics) const {
  if (const auto printer = CreatePrinterDC()) metrics = MetricsOfPrinter(*printer);
}

QString CPrinterSettings::GetPrinterName() const {
  return m_identity ? m_identity->name : QString();
}
