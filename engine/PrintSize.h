// Print size in inches, the poster resolution it gives and the pages it takes.
//
// Inch values derived by the program are kept to two decimals, truncated toward zero. The image
// sizes are the main image's in pixels; a side below 1 means there is no main image.
#pragma once

#include <string>

#include "engine/PosterParams.h"
#include "engine/PrinterMetrics.h"

struct PrintSize {
  double width = 0.0;  // inches
  double height = 0.0;
};

// Poster size in pixels at the poster resolution, as real numbers.
struct PosterResolution {
  double pixelsWide = 0.0;
  double pixelsHigh = 0.0;
};

struct PageCount {
  int across = 1;
  int down = 1;
};

// inches × 100 truncated toward zero, times 0.01. A value that is not finite (an overflowed
// quotient, a NaN) gives 0, which the callers treat as "not sized yet".
[[nodiscard]] double TruncateToHundredths(double inches);

// The inches a user typed, read as the runtime's text-to-real conversion reads them: leading
// blanks skipped, the longest number at the start taken, 0 when the text starts with none. The
// value is kept as typed (1.14 stays 1.14); only derived values are truncated.
[[nodiscard]] double ParseTypedInches(const std::string& text);

// The print height that keeps the image's aspect ratio for a width the user typed, and the
// reverse; 0 when the image side divided by is below 1.
[[nodiscard]] double HeightForWidth(double width, int imageWidth, int imageHeight);
[[nodiscard]] double WidthForHeight(double height, int imageWidth, int imageHeight);

// An inch value as the edit fields show it: two decimals, no blanks ("7.50").
[[nodiscard]] std::string FormatInches(double inches);

// Sizes the print for a newly loaded image or a new printer. A width already set is kept and
// the height follows it; otherwise (or when that height truncates to 0) the image starts at one
// image pixel per printer dot and grows in tenths until both sides reach 0.01 inch. Without a
// main image, or with a printer resolution below 1, the size becomes 0 × 0.
void ComputeInitialPrintSize(PrintSize& size, int imageWidth, int imageHeight,
                             const PrinterMetrics& printer);

// dpiX × inches / divisor in both directions: the horizontal resolution serves both.
[[nodiscard]] PosterResolution ComputePosterResolution(const PrintSize& size,
                                                       const PrinterMetrics& printer,
                                                       const PosterParams& params);

// Printer dots per poster pixel, the figure the print engine scales by.
[[nodiscard]] double PosterPrintScale(const PosterParams& params);

// Pages across and down: each the ceiling of print size over printable size, at least 1. Without
// a main image, 1 × 1. A direction whose printable size is below 1 thousandth, or whose quotient
// is not a number, takes one page; a count past the int range is held at its largest value.
[[nodiscard]] PageCount ComputePageCount(const PrintSize& size, const PrinterMetrics& printer,
                                         bool hasMainImage);
