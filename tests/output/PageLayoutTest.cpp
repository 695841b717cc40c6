#include <gtest/gtest.h>

#include "output/PageLayout.h"
#include "output/PageMarks.h"
#include "output/PaperSize.h"

namespace {

// Pages across and down on 8.1 × 10 printable inches.
std::pair<int, int> Pages(const PrintSize& size, const PrintExtras& extras) {
  const PageCount count = ComputePageCountWithExtras(size, PrinterMetrics{}, extras);
  return {count.across, count.down};
}

}  // namespace

TEST(PageLayout, PagesFollowFromThePrintableAreaLessOverlapAndFrame) {
  const PrintSize size{20.0, 15.0};
  // Without extras, exactly the plain count: ceil(20 / 8.1) × ceil(15 / 10).
  const PageCount plain = ComputePageCount(size, PrinterMetrics{}, true);
  EXPECT_EQ(Pages(size, {}), std::make_pair(plain.across, plain.down));
  EXPECT_EQ(Pages(size, {}), std::make_pair(3, 2));
  // An inch of overlap: each page advances 7.1 and 9 inches after the first overlap,
  // ceil(19 / 7.1) = 3, ceil(14 / 9) = 2; with the frame as well, 6.6 and 8.5: 3 and 2.
  PrintExtras glue;
  glue.overlapInches = 1.0;
  EXPECT_EQ(Pages(size, glue), std::make_pair(3, 2));
  glue.labels = true;
  EXPECT_EQ(Pages({21.0, 18.1}, glue), std::make_pair(4, 3));
  // A poster within one usable page takes one page whatever the overlap; an overlap that
  // leaves nothing to advance by takes none.
  EXPECT_EQ(Pages({0.5, 0.5}, glue), std::make_pair(1, 1));
  glue.overlapInches = 7.6;
  EXPECT_EQ(Pages(size, glue), std::make_pair(0, 0));
}

TEST(PageLayout, NeighboursShareTheOverlapAndAreCutOnACellBorderInIt) {
  // 1000-pixel pages with a 50-pixel frame: 900 usable, 100 shared, so pages advance by 800;
  // a 2000-pixel poster on 3 pages is centred on 2500: it starts 250 into the first page.
  const PageLayout layout = MakePageLayout(1000, 1000, 2000, 500, {3, 1}, 100, 50);
  EXPECT_EQ(layout.x.margin, 250);
  EXPECT_EQ(layout.x.Start(0), -250);
  EXPECT_EQ(layout.x.Start(1), 550);
  EXPECT_EQ(layout.x.Start(0) + layout.x.Usable(), layout.x.Start(1) + layout.x.overlap);
  // The cut lies in the middle of the shared strip 550..650, or on the cell border nearest it
  // when a cell fits in the strip; a cell wider than the strip leaves the middle.
  AxisLayout x = layout.x;
  EXPECT_EQ(x.Cut(0), 0);
  EXPECT_EQ(x.Cut(1), 600);
  EXPECT_EQ(x.Cut(3), 2000);
  x.cell = 70;  // borders at 560 and 630: 630 is nearer 600
  EXPECT_EQ(x.Cut(1), 630);
  EXPECT_EQ(x.Cut(2), 1400);  // 1350..1450, middle 1400 = 20 cells
  x.cell = 100;  // the strip holds a cell exactly: its borders 550, 600 and 650
  EXPECT_EQ(x.Cut(1), 600);
  x.cell = 101;
  EXPECT_EQ(x.Cut(1), 600);
}

TEST(PageLayout, LabelsCountColumnsInLettersAndRowsFromOne) {
  EXPECT_EQ(PageLabel(0, 0), "A1");
  EXPECT_EQ(PageLabel(25, 9), "Z10");
  EXPECT_EQ(ColumnLabel(26), "AA");
  EXPECT_EQ(ColumnLabel(27), "AB");
  EXPECT_EQ(ColumnLabel(26 + 26 * 26), "AAA");
  const PageLayout layout = MakePageLayout(1000, 1000, 2000, 2000, {3, 3}, 0, 50);
  EXPECT_EQ(NeighbourText(layout, 1, 1, 0, -1), "above: B1");
  EXPECT_EQ(NeighbourText(layout, 1, 1, 1, 0), "right: C2");
  EXPECT_EQ(NeighbourText(layout, 0, 2, -1, 0), "");
  EXPECT_EQ(NeighbourText(layout, 0, 2, 0, 1), "");
}

TEST(PaperSize, NamesAndSizesWithUnits) {
  const auto a4 = PaperSizeFromName("210x297mm");
  ASSERT_TRUE(a4);
  EXPECT_NEAR(a4->widthInches, 8.2677, 1e-4);
  EXPECT_NEAR(PaperSizeFromName("21x29.7cm")->heightInches, 11.6929, 1e-4);
  EXPECT_DOUBLE_EQ(PaperSizeFromName("8.5x11in")->widthInches, 8.5);
  for (const char* refused : {"a5", "210x297", "210mm", "x297mm", "10x10mm", "1e9x1in", "210x-297mm"})
    EXPECT_FALSE(PaperSizeFromName(refused)) << refused;
  EXPECT_NEAR(*ParseLengthInches("8mm"), 0.31496, 1e-5);
  EXPECT_DOUBLE_EQ(*ParseLengthInches("0.3in"), 0.3);
  for (const char* refused : {"8", "mm", "8 mm", "-1cm", "1ft", "nanmm"})
    EXPECT_FALSE(ParseLengthInches(refused)) << refused;
}
