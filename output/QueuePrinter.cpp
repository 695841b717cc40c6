#include "output/QueuePrinter.h"

#include <QGuiApplication>
#include <QPageSize>
#include <QPrinterInfo>
#include <cstdlib>

namespace {

int g_argc = 1;
char g_programName[] = "mozaikon-cli";
char* g_argv[] = {g_programName, nullptr};

}  // namespace

CQueuePrinter::CQueuePrinter() {
  if (QCoreApplication::instance() == nullptr) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    m_application = std::make_unique<QGuiApplication>(g_argc, g_argv);
  }
}

CQueuePrinter::~CQueuePrinter() {
  m_device.reset();
  m_printer.reset();
}

std::unique_ptr<CQueuePrinter> CQueuePrinter::Open(const std::string& queue,
                                                   const std::optional<PaperSize>& paper, int dpi,
                                                   std::string& error) {
  std::unique_ptr<CQueuePrinter> opened(new CQueuePrinter());
  const QPrinterInfo info = QPrinterInfo::printerInfo(QString::fromStdString(queue));
  if (info.isNull()) {
    error = "no printer queue named '" + queue + "'";
    return nullptr;
  }
  opened->m_printer = std::make_unique<QPrinter>(info, QPrinter::HighResolution);
  QPrinter& printer = *opened->m_printer;
  printer.setOutputFormat(QPrinter::NativeFormat);
  printer.setResolution(dpi);
  if (paper)
    printer.setPageSize(QPageSize(QSizeF(paper->widthInches, paper->heightInches), QPageSize::Inch,
                                  QString(), QPageSize::ExactMatch));
  opened->m_device = std::make_unique<CQtPrintDevice>(printer);
  return opened;
}
