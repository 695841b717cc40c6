#include "engine/PrintSize.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

namespace {

// Pages for one direction: trunc(q), raised to 1, plus one when still short of q.
int PagesFor(double inches, int printableThousandths) {
  if (printableThousandths < 1) return 1;
  const double q = inches / (printableThousandths * 0.001);
  if (!(q >= 1.0)) return 1;  // below one page, or not a number
  constexpr int kMaxPages = std::numeric_limits<int>::max();
  if (q >= kMaxPages) return kMaxPages;
  int pages = static_cast<int>(q);
  if (pages < q) ++pages;
  return pages;
}

}  // namespace

double TruncateToHundredths(double inches) {
  const double hundredths = inches * 100;
  if (!std::isfinite(hundredths)) return 0.0;
  return std::trunc(hundredths) * 0.01;
}

double ParseTypedInches(const std::string& text) {
  // from_chars reads the same in every locale, where strtod would take a comma in some.
  std::size_t start = text.find_first_not_of(" \t\n\v\f\r");
  if (start == std::string::npos) return 0.0;
  if (text[start] == '+') ++start;
  double value = 0.0;
  const auto [end, error] = std::from_chars(text.data() + start, text.data() + text.size(), value);
  if (error != std::errc() || !std::isfinite(value)) return 0.0;
  return value;
}

double HeightForWidth(double width, int imageWidth, int imageHeight) {
  if (imageWidth < 1) return 0.0;
  return TruncateToHundredths(width * imageHeight / imageWidth);
}

double WidthForHeight(double height, int imageWidth, int imageHeight) {
  if (imageHeight < 1) return 0.0;
  return TruncateToHundredths(height * imageWidth / imageHeight);
}

std::string FormatInches(double inches) {
  // Sized by a first call: a huge value prints hundreds of digits.
  const int length = std::snprintf(nullptr, 0, "%20.2f", inches);
  if (length <= 0) return {};
  std::string shown(static_cast<std::size_t>(length) + 1, '\0');
  std::snprintf(shown.data(), shown.size(), "%20.2f", inches);
  shown.resize(static_cast<std::size_t>(length));
  const auto first = shown.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return shown.substr(first, shown.find_last_not_of(' ') - first + 1);
}

void ComputeInitialPrintSize(PrintSize& size, int imageWidth, int imageHeight,
                             const PrinterMetrics& printer) {
  if (imageWidth < 1 || imageHeight < 1 || printer.dpiX < 1) {
    size = PrintSize{};
    return;
  }
  if (size.width != 0) size.height = HeightForWidth(size.width, imageWidth, imageHeight);
  // Ends: each pass raises k by a tenth, and with both sides and dpiX at least 1 the products
  // reach 0.01 inch; a width that is not finite truncates to 0 and is recomputed here.
  for (double k = 1.0; size.width == 0 || size.height == 0; k = k + 0.1) {
    size.width = TruncateToHundredths(imageWidth / static_cast<double>(printer.dpiX) * k);
    size.height = TruncateToHundredths(imageHeight / static_cast<double>(printer.dpiX) * k);
  }
}

PosterResolution ComputePosterResolution(const PrintSize& size, const PrinterMetrics& printer,
                                         const PosterParams& params) {
  const int divisor = DPIFractionDivisor(params.DPIFraction);
  return {printer.dpiX * size.width / divisor, printer.dpiX * size.height / divisor};
}

double PosterPrintScale(const PosterParams& params) {
  return DPIFractionDivisor(params.DPIFraction);
}

PageCount ComputePageCount(const PrintSize& size, const PrinterMetrics& printer,
                           bool hasMainImage) {
  if (!hasMainImage) return {};
  return {PagesFor(size.width, printer.printableWidth),
          PagesFor(size.height, printer.printableHeight)};
}
