#include "engine/PrintSize.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInfinity = std::numeric_limits<double>::infinity();

TEST(PrintSizeTest, TruncatesTowardZeroToHundredths) {
  EXPECT_DOUBLE_EQ(TruncateToHundredths(7.499), 7.49);
  EXPECT_DOUBLE_EQ(TruncateToHundredths(-1.239), -1.23);
  EXPECT_DOUBLE_EQ(TruncateToHundredths(0.009), 0.0);
  // 0.29 × 100 is just below 29 in binary: truncation, not rounding, gives 0.28.
  EXPECT_DOUBLE_EQ(TruncateToHundredths(0.29), 0.28);
  EXPECT_EQ(TruncateToHundredths(kNaN), 0.0);
  EXPECT_EQ(TruncateToHundredths(kInfinity), 0.0);
  EXPECT_EQ(TruncateToHundredths(-kInfinity), 0.0);
}

TEST(PrintSizeTest, WidthAndHeightKeepTheImageAspect) {
  EXPECT_DOUBLE_EQ(HeightForWidth(10.0, 640, 480), 7.5);
  EXPECT_DOUBLE_EQ(WidthForHeight(7.5, 640, 480), 10.0);
  EXPECT_DOUBLE_EQ(HeightForWidth(1.0, 300, 200), 0.66);
  EXPECT_EQ(FormatInches(7.5), "7.50");
  EXPECT_EQ(FormatInches(0.0), "0.00");
  EXPECT_EQ(FormatInches(1234.5), "1234.50");
  EXPECT_EQ(FormatInches(1e30), "1000000000000000019884624838656.00");
  // No image side to divide by: nothing is derived.
  EXPECT_EQ(HeightForWidth(10.0, 0, 480), 0.0);
  EXPECT_EQ(WidthForHeight(10.0, 640, 0), 0.0);
}

TEST(PrintSizeTest, NewImageStartsAtOnePixelPerPrinterDot) {
  const PrinterMetrics printer;  // the 600 dpi stand-in
  PrintSize size;
  ComputeInitialPrintSize(size, 300, 200, printer);
  EXPECT_DOUBLE_EQ(size.width, 0.50);
  EXPECT_DOUBLE_EQ(size.height, 0.33);

  size = PrintSize{};
  ComputeInitialPrintSize(size, 640, 480, printer);
  EXPECT_DOUBLE_EQ(size.width, 1.06);
  EXPECT_DOUBLE_EQ(size.height, 0.8);
}

TEST(PrintSizeTest, TinyImagesGrowUntilBothSidesReachAHundredth) {
  const PrinterMetrics printer;
  PrintSize size;
  ComputeInitialPrintSize(size, 3, 2, printer);
  EXPECT_DOUBLE_EQ(size.width, 0.01);
  EXPECT_DOUBLE_EQ(size.height, 0.01);

  PrinterMetrics coarse;
  coarse.dpiX = 300;
  size = PrintSize{};
  // The short side needs k = 3.1; the long side has grown with it.
  ComputeInitialPrintSize(size, 7, 1, coarse);
  EXPECT_DOUBLE_EQ(size.width, 0.07);
  EXPECT_DOUBLE_EQ(size.height, 0.01);
}

TEST(PrintSizeTest, PrinterChangeKeepsTheWidthAndRederivesTheHeight) {
  PrintSize size{10.0, 3.0};
  ComputeInitialPrintSize(size, 640, 480, PrinterMetrics{});
  EXPECT_DOUBLE_EQ(size.width, 10.0);
  EXPECT_DOUBLE_EQ(size.height, 7.5);

  // A width so narrow that the height truncates to 0 starts over at one pixel per dot.
  size = PrintSize{0.01, 5.0};
  ComputeInitialPrintSize(size, 1000, 10, PrinterMetrics{});
  EXPECT_DOUBLE_EQ(size.width, 1.66);
  EXPECT_DOUBLE_EQ(size.height, 0.01);
}

TEST(PrintSizeTest, InputsThatCannotBeSizedGiveZeroOrStartOver) {
  PrinterMetrics printer;
  PrintSize size{4.0, 3.0};
  ComputeInitialPrintSize(size, 0, 0, printer);  // no main image
  EXPECT_EQ(size.width, 0.0);
  EXPECT_EQ(size.height, 0.0);

  size = PrintSize{4.0, 3.0};
  ComputeInitialPrintSize(size, 640, 0, printer);
  EXPECT_EQ(size.width, 0.0);
  EXPECT_EQ(size.height, 0.0);

  printer.dpiX = 0;
  size = PrintSize{4.0, 3.0};
  ComputeInitialPrintSize(size, 640, 480, printer);
  EXPECT_EQ(size.width, 0.0);
  EXPECT_EQ(size.height, 0.0);

  // A width that is not a number, or not finite, is replaced by the one-pixel-per-dot size.
  for (const double width : {kNaN, kInfinity}) {
    size = PrintSize{width, 1.0};
    ComputeInitialPrintSize(size, 300, 200, PrinterMetrics{});
    EXPECT_DOUBLE_EQ(size.width, 0.50);
    EXPECT_DOUBLE_EQ(size.height, 0.33);
  }
}

TEST(PrintSizeTest, PosterResolutionUsesTheHorizontalDpiAndTheFraction) {
  PrinterMetrics printer;
  printer.dpiY = 1200;  // ignored
  PosterParams params;
  const PosterResolution quarter = ComputePosterResolution({10.0, 7.5}, printer, params);
  EXPECT_EQ(quarter.pixelsWide, 1500.0);
  EXPECT_EQ(quarter.pixelsHigh, 1125.0);
  params.DPIFraction = DPIFractionCode::Third;
  const PosterResolution third = ComputePosterResolution({1.0, 0.5}, printer, params);
  EXPECT_EQ(third.pixelsWide, 200.0);
  EXPECT_EQ(third.pixelsHigh, 100.0);
  EXPECT_EQ(PosterPrintScale(params), 3.0);
}

TEST(PrintSizeTest, PagesAreTheCeilingOfPrintOverPrintableSize) {
  const PrinterMetrics printer;  // printable 8.1 × 10 inches
  const PageCount poster = ComputePageCount({10.0, 7.5}, printer, true);
  EXPECT_EQ(poster.across, 2);
  EXPECT_EQ(poster.down, 1);
  EXPECT_EQ(ComputePageCount({8.1, 10.0}, printer, true).across, 1);
  EXPECT_EQ(ComputePageCount({8.1, 10.0}, printer, true).down, 1);
  EXPECT_EQ(ComputePageCount({8.11, 10.01}, printer, true).across, 2);
  EXPECT_EQ(ComputePageCount({8.11, 10.01}, printer, true).down, 2);
  EXPECT_EQ(ComputePageCount({0.5, 0.5}, printer, true).across, 1);
  EXPECT_EQ(ComputePageCount({24.3, 0.0}, printer, true).across, 3);

  const PageCount none = ComputePageCount({30.0, 30.0}, printer, false);
  EXPECT_EQ(none.across, 1);
  EXPECT_EQ(none.down, 1);
}

TEST(PrintSizeTest, PageCountSurvivesUnusableFigures) {
  PrinterMetrics printer;
  printer.printableWidth = 0;
  printer.printableHeight = -100;
  const PageCount noArea = ComputePageCount({10.0, 10.0}, printer, true);
  EXPECT_EQ(noArea.across, 1);
  EXPECT_EQ(noArea.down, 1);

  const PageCount odd = ComputePageCount({kNaN, -3.0}, PrinterMetrics{}, true);
  EXPECT_EQ(odd.across, 1);
  EXPECT_EQ(odd.down, 1);

  const PageCount huge = ComputePageCount({1e300, kInfinity}, PrinterMetrics{}, true);
  EXPECT_EQ(huge.across, std::numeric_limits<int>::max());
  EXPECT_EQ(huge.down, std::numeric_limits<int>::max());
}

}  // namespace
