// Where each page's part of the poster lies, with glue overlap and a frame for marks.
//
// The poster is centred on the grid of pages. Each page shows its usable area: the printable
// area less a frame on every side when cut marks or labels are printed. Neighbouring pages
// repeat `overlap` printer pixels of the poster along their shared edge, so they can be glued.
// Without overlap and frame the pages are cut exactly as the plain band loop always cut them.
// Figures are horizontal printer pixels on both axes, like the band loop's.
#pragma once

#include <string>

#include "engine/PrintSize.h"
#include "engine/PrinterMetrics.h"

// What the pages carry beyond the poster; all off by default.
struct PrintExtras {
  double overlapInches = 0;  // poster repeated on both neighbours along a shared edge
  bool cutMarks = false;     // short lines in the frame where to cut
  bool labels = false;       // the page's name and its neighbours' in the frame
  bool map = false;          // one more page: the poster small, with the pages over it
  [[nodiscard]] bool NeedFrame() const { return cutMarks || labels; }
};

// The frame kept free of poster on every side of the printable area for marks and labels.
constexpr double kMarkFrameInches = 0.25;

// One direction of the page grid.
struct AxisLayout {
  int page = 0;     // printable length
  int frame = 0;    // kept free at both ends
  int overlap = 0;  // repeated by neighbours
  int poster = 0;   // the poster's length on paper
  int count = 1;    // pages along this direction
  int margin = 0;   // paper before the poster on the first page's usable area
  int cell = 0;     // a cell's length on paper; 0 when unknown

  [[nodiscard]] int Usable() const { return page - 2 * frame; }
  [[nodiscard]] int Advance() const { return Usable() - overlap; }
  // The poster coordinate at the start of page i's usable area (negative on a first page that
  // starts in the margin).
  [[nodiscard]] int Start(int i) const { return i * Advance() - margin; }
  // The poster coordinate where pages i - 1 and i are cut apart: the middle of their shared
  // strip, or the cell border nearest it when the strip holds a whole cell. 0 before the first
  // page and the poster's length after the last.
  [[nodiscard]] int Cut(int i) const;
};

struct PageLayout {
  AxisLayout x, y;
};

// The layout of a poster of posterWidth × posterHeight printer pixels on pages of
// pageWidth × pageHeight, pages across × down (as ComputePageCountWithExtras gave them).
[[nodiscard]] PageLayout MakePageLayout(int pageWidth, int pageHeight, int posterWidth,
                                        int posterHeight, const PageCount& pages, int overlap,
                                        int frame);

// Pages across and down: the print size less one overlap over the usable size less one overlap,
// rounded up; exactly ComputePageCount's figures without overlap and frame. Nothing (pages
// 0 × 0) when the overlap leaves no poster to advance by.
[[nodiscard]] PageCount ComputePageCountWithExtras(const PrintSize& size,
                                                   const PrinterMetrics& printer,
                                                   const PrintExtras& extras);

// "A" … "Z", "AA" … for column 0, 1, …; the page label adds the row counted from 1: "B3".
[[nodiscard]] std::string ColumnLabel(int column);
[[nodiscard]] std::string PageLabel(int column, int row);
