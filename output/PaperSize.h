// The paper sizes a print can be made on without a printer driver, and the printer figures that
// follow from one of them.
#pragma once

#include <optional>
#include <string>

#include "engine/PrinterMetrics.h"

struct PaperSize {
  double widthInches = 8.5;
  double heightInches = 11.0;
};

// The unprintable border kept on every side of a sheet, as most printers have one.
constexpr double kPaperMarginInches = 0.25;

// "letter", "a4", "a3", "legal" or "tabloid"; nothing for any other name.
[[nodiscard]] std::optional<PaperSize> PaperSizeFromName(const std::string& name);

// The metrics of a printer with that paper, the margin above and these resolutions.
[[nodiscard]] PrinterMetrics MetricsForPaper(const PaperSize& paper, int dpiX, int dpiY);
