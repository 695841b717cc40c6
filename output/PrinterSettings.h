// The chosen printer: the system's default printer unless the user chose another in Print
// Setup, the Print Setup dialog itself, printers for jobs and the metrics of the chosen one.
#pragma once

#include <QPrinter>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "engine/PrinterMetrics.h"
#include "image/Types.h"

class QWidget;

// What tells two printers apart: the queue's name and its driver's make and model.
struct PrinterIdentity {
  QString name;
  QString makeAndModel;
  bool operator==(const PrinterIdentity&) const = default;
};

// The system's default printer, else its first queue by name; nothing when it has no queue.
using DefaultPrinterSource = std::function<std::optional<PrinterIdentity>()>;
[[nodiscard]] std::optional<PrinterIdentity> SystemDefaultPrinter();

// Replaces the system's printers for the window tests: with a path, the default printer is one
// that writes a PDF file there (letter paper, 300 dpi); with an empty path there is no printer
// at all; nothing brings the system's printers back.
void SetTestPrinter(std::optional<QString> pdfPath);

// Resolutions and printable area (thousandths of an inch) of a set-up printer.
[[nodiscard]] PrinterMetrics MetricsOfPrinter(const QPrinter& printer);

class CPrinterSettings {
 public:
  // owner (not owned) parents the Print Setup dialog. The default printer is taken at once;
  // IsPrinterAvailable tells for the whole life of the object whether there was one.
  explicit CPrinterSettings(QWidget* owner,
                            DefaultPrinterSource defaultPrinter = SystemDefaultPrinter);
  ~CPrinterSettings();
  CPrinterSettings(const CPrinterSettings&) = delete;
  CPrinterSettings& operator=(const CPrinterSettings&) = delete;

  // Follows the system's default printer (always when force is set). A printer the user chose
  // that is not the default is kept; a default printer that is gone is dropped.
  void SyncWithDefault(BOOL force);
  // The Print Setup dialog; TRUE when the user chose OK.
  [[nodiscard]] BOOL DoPrinterSetup();
  // A printer for one job on the chosen printer with its page set-up; nullptr when there is no
  // chosen printer.
  [[nodiscard]] std::unique_ptr<QPrinter> CreatePrinterDC() const;
  // Fills the figures of the chosen printer; untouched when there is none.
  void GetPrinterMetrics(PrinterMetrics& metrics) const;
  [[nodiscard]] BOOL IsPrinterAvailable() const { return m_bPrinterAvailable; }

  // Makes printer the chosen one, as choosing it in Print Setup does: it follows the default
  // from now on only when it is the default.
  void ChoosePrinter(const PrinterIdentity& printer);
  // The chosen printer's name, empty when there is none.
  [[nodiscard]] QString GetPrinterName() const;

 private:
  void TakePrinter(const std::optional<PrinterIdentity>& identity);
  void KeepSetupOf(const PrinterIdentity& printer);

  QWidget* m_owner;
  DefaultPrinterSource m_defaultPrinter;
  std::optional<PrinterIdentity> m_identity;
  bool m_takenAsDefault = false;      // followed the default; a printer chosen otherwise stays
  std::unique_ptr<QPrinter> m_setup;  // the page set-up of the chosen printer
  BOOL m_bPrinterAvailable = FALSE;
};
