#include "output/PaperSize.h"

namespace {

struct NamedPaper {
  const char* name;
  PaperSize size;
};

constexpr double kMmPerInch = 25.4;

constexpr NamedPaper kPapers[] = {
    {"letter", {8.5, 11.0}},
    {"a4", {210 / kMmPerInch, 297 / kMmPerInch}},
    {"a3", {297 / kMmPerInch, 420 / kMmPerInch}},
    {"legal", {8.5, 14.0}},
    {"tabloid", {11.0, 17.0}},
};

}  // namespace

std::optional<PaperSize> PaperSizeFromName(const std::string& name) {
  for (const NamedPaper& paper : kPapers)
    if (name == paper.name) return paper.size;
  return std::nullopt;
}

PrinterMetrics MetricsForPaper(const PaperSize& paper, int dpiX, int dpiY) {
  PrinterMetrics metrics;
  metrics.dpiX = dpiX;
  metrics.dpiY = dpiY;
  const int pageWidthPx = static_cast<int>((paper.widthInches - 2 * kPaperMarginInches) * dpiX);
  const int pageHeightPx = static_cast<int>((paper.heightInches - 2 * kPaperMarginInches) * dpiY);
  metrics.printableWidth = pageWidthPx * 1000 / dpiX;
  metrics.printableHeight = pageHeightPx * 1000 / dpiY;
  metrics.paperWidth = static_cast<int>(paper.widthInches * 1000);
  metrics.paperHeight = static_cast<int>(paper.heightInches * 1000);
  return metrics;
}
