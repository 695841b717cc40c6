// A print queue of the system, opened by name for a program without windows.
#pragma once

#include <QPrinter>
#include <memory>
#include <optional>
#include <string>

#include "output/PaperSize.h"
#include "output/QtPrintDevice.h"

class QGuiApplication;

class CQueuePrinter {
 public:
  // The queue named queue at dpi dots per inch, on paper when given (else the queue's default
  // paper). Nothing, with a one-line reason in error, when the system knows no such queue.
  [[nodiscard]] static std::unique_ptr<CQueuePrinter> Open(const std::string& queue,
                                                           const std::optional<PaperSize>& paper,
                                                           int dpi, std::string& error);
  ~CQueuePrinter();

  [[nodiscard]] CPrintDevice& Device() { return *m_device; }

 private:
  CQueuePrinter();

  // Printing needs an application object; a program without windows gets one drawing nowhere.
  std::unique_ptr<QGuiApplication> m_application;
  std::unique_ptr<QPrinter> m_printer;
  std::unique_ptr<CQtPrintDevice> m_device;
};
