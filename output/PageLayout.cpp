#include "output/PageLayout.h"

#include <algorithm>
#include <cmath>

int AxisLayout::Cut(int i) const {
  if (i <= 0) return 0;
  if (i >= count) return poster;
  const int middle = Start(i) + overlap / 2;
  if (cell <= 0 || overlap < cell) return middle;
  // Within half a cell of the middle, so within the strip.
  return static_cast<int>(std::lround(static_cast<double>(middle) / cell)) * cell;
}

namespace {

AxisLayout MakeAxis(int page, int poster, int count, int overlap, int frame) {
  AxisLayout axis{page, frame, overlap, poster, count, 0, 0};
  axis.margin = (count * axis.Advance() + overlap - poster) / 2;
  return axis;
}

}  // namespace

PageLayout MakePageLayout(int pageWidth, int pageHeight, int posterWidth, int posterHeight,
                          const PageCount& pages, int overlap, int frame) {
  return {MakeAxis(pageWidth, posterWidth, pages.across, overlap, frame),
          MakeAxis(pageHeight, posterHeight, pages.down, overlap, frame)};
}

PageCount ComputePageCountWithExtras(const PrintSize& size, const PrinterMetrics& printer,
                                     const PrintExtras& extras) {
  const double overlap = extras.overlapInches;
  const int frameThousandths = extras.NeedFrame() ? static_cast<int>(kMarkFrameInches * 2000) : 0;
  const int overlapThousandths = static_cast<int>(overlap * 1000);
  PrinterMetrics usable = printer;
  usable.printableWidth -= frameThousandths + overlapThousandths;
  usable.printableHeight -= frameThousandths + overlapThousandths;
  if (usable.printableWidth <= 0 || usable.printableHeight <= 0) return {0, 0};
  // A poster no longer than one usable page needs one page whatever the overlap.
  const PrintSize rest{std::max(size.width - overlap, 0.001), std::max(size.height - overlap, 0.001)};
  return ComputePageCount(overlap > 0 ? rest : size, usable, true);
}

std::string ColumnLabel(int column) {
  std::string label;
  for (int n = column + 1; n > 0; n = (n - 1) / 26)
    label.insert(label.begin(), static_cast<char>('A' + (n - 1) % 26));
  return label;
}

std::string PageLabel(int column, int row) { return ColumnLabel(column) + std::to_string(row + 1); }
