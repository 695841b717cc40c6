#include <gtest/gtest.h>

#include <algorithm>

#include "RecordingPrintDevice.h"
#include "image/Progress.h"
#include "output/PrintEngine.h"
#include "resources/StringTable.h"

namespace {

class CRecordingProgress : public CProgress {
 public:
  std::vector<std::string> details;
  std::vector<int> percents;
  std::string cancelAtDetail;  // the user presses Cancel when this detail line appears

 protected:
  void ShowStage(const std::string&) override {}
  void ShowDetail(const std::string& text) override {
    if (!text.empty()) details.push_back(text);
    if (!cancelAtDetail.empty() && text == cancelAtDetail) SetCancel(TRUE);
  }
  void ShowPercent(int percent) override { percents.push_back(percent); }
};

PrintJob JobFor(PageCount pages, int dpiX = 100, int dpiY = 100) {
  PrintJob job;
  job.mainImagePath = "/photos/holiday/beach.jpg";
  job.dpiX = dpiX;
  job.dpiY = dpiY;
  job.pages = pages;
  return job;
}

struct Printed {
  PrintOutcome outcome;
  CRecordingPrintDevice device;
  CRecordingProgress progress;
  double scale;
};

void Print(Printed& p, CDibImage& source, const PrintJob& job, double scale) {
  p.scale = scale;
  p.outcome = PrintPoster(source, job, p.scale, p.device, p.progress);
}

DeviceRect Rect(int x, int y, int w, int h) { return {x, y, w, h}; }

void ExpectBand(const RecordedBand& band, int page, DeviceRect destination, int sx, int sy, int sw,
                int sh) {
  EXPECT_EQ(band.page, page);
  EXPECT_EQ(band.destination, destination);
  EXPECT_EQ(band.sourceX, sx);
  EXPECT_EQ(band.sourceY, sy);
  EXPECT_EQ(band.sourceWidth, sw);
  EXPECT_EQ(band.sourceHeight, sh);
  EXPECT_TRUE(band.contiguous);
}

TEST(PrintEngine, OnePagePosterIsNamedAfterTheFileAndStartsAtTheMargins) {
  CDibImage poster;
  FillWithCoordinates(poster, 120, 80);
  Printed p{PrintOutcome::kNotStarted, CRecordingPrintDevice({250, 180, 100, 100}), {}, 0};
  Print(p, poster, JobFor({1, 1}), 2.0);

  EXPECT_EQ(p.outcome, PrintOutcome::kPrinted);
  EXPECT_EQ(p.device.events,
            (std::vector<std::string>{"StartDoc beach.jpg", "StartPage", "EndPage", "EndDoc"}));
  // 240 × 160 printer pixels centred on 250 × 180: margins 5 and 10.
  ASSERT_EQ(p.device.bands.size(), 6u);
  ExpectBand(p.device.bands[0], 1, Rect(5, 10, 100, 100), 0, 0, 50, 50);
  ExpectBand(p.device.bands[1], 1, Rect(105, 10, 100, 100), 50, 0, 50, 50);
  ExpectBand(p.device.bands[2], 1, Rect(205, 10, 40, 100), 100, 0, 20, 50);
  ExpectBand(p.device.bands[3], 1, Rect(5, 110, 100, 60), 0, 50, 50, 30);
  ExpectBand(p.device.bands[4], 1, Rect(105, 110, 100, 60), 50, 50, 50, 30);
  ExpectBand(p.device.bands[5], 1, Rect(205, 110, 40, 60), 100, 50, 20, 30);
  EXPECT_EQ(p.progress.details, (std::vector<std::string>{"Generating page 1 of 1"}));
}

TEST(PrintEngine, OnlyPostersOfSeveralPagesAskForTheRange) {
  PrintRange range{FALSE, 4};
  int asked = 0;
  const auto ask = [&](PrintRange& r) {
    ++asked;
    EXPECT_EQ(r.printPage, 1);
    EXPECT_EQ(r.printAll, FALSE);  // remembered from the last command
    r.printPage = 3;
    return true;
  };
  EXPECT_TRUE(ChoosePrintRange({1, 1}, range, ask));
  EXPECT_EQ(asked, 0);
  EXPECT_EQ(range.printAll, TRUE);
  EXPECT_EQ(range.printPage, 1);
  range.printAll = FALSE;
  EXPECT_TRUE(ChoosePrintRange({3, 2}, range, ask));
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(range.printPage, 3);
  EXPECT_FALSE(ChoosePrintRange({2, 1}, range, [](PrintRange&) { return false; }));
}

TEST(PrintEngine, DocumentNamesTellTheRange) {
  EXPECT_EQ(PrintDocumentName("/a/b/beach.jpg", {1, 1}, {FALSE, 1}), "beach.jpg");
  EXPECT_EQ(PrintDocumentName("/a/b/beach.jpg", {3, 2}, {TRUE, 1}), "beach.jpg (all pages)");
  EXPECT_EQ(PrintDocumentName("beach.jpg", {3, 2}, {FALSE, 5}), "beach.jpg (page 5)");
}

TEST(PrintEngine, OnePageOfAGridIsTheOnlyPageStartedAndTakesItsPartOfThePoster) {
  CDibImage poster;
  FillWithCoordinates(poster, 250, 150);
  PrintJob job = JobFor({3, 2});
  job.range = {FALSE, 5};
  Printed p{PrintOutcome::kNotStarted, CRecordingPrintDevice({100, 100, 100, 100}), {}, 0};
  Print(p, poster, job, 1.0);

  EXPECT_EQ(p.device.events, (std::vector<std::string>{"StartDoc beach.jpg (page 5)", "StartPage",
                                                       "EndPage", "EndDoc"}));
  // Margins 25 and 25: the first row covers 75 poster rows, the first column 75 columns, so
  // the second row's middle page starts at poster (75, 75) and at the page's corner.
  ASSERT_EQ(p.device.bands.size(), 1u);
  ExpectBand(p.device.bands[0], 1, Rect(0, 0, 100, 75), 75, 75, 100, 75);
  EXPECT_EQ(p.progress.details, (std::vector<std::string>{"Generating page 5"}));
  // One band of a total of 1: its 100 percent equals the remembered start value and is not shown.
  EXPECT_EQ(p.progress.percents, (std::vector<int>{0}));
}

TEST(PrintEngine, AllPagesCoverThePosterOnceWithMarginsOnlyOnTheFirstRowAndColumn) {
  CDibImage poster;
  FillWithCoordinates(poster, 250, 150);
  Printed p{PrintOutcome::kNotStarted, CRecordingPrintDevice({100, 100, 100, 100}), {}, 0};
  Print(p, poster, JobFor({3, 2}), 1.0);

  ASSERT_EQ(p.device.bands.size(), 6u);
  ExpectBand(p.device.bands[0], 1, Rect(25, 25, 75, 75), 0, 0, 75, 75);
  ExpectBand(p.device.bands[1], 2, Rect(0, 25, 100, 75), 75, 0, 100, 75);
  ExpectBand(p.device.bands[2], 3, Rect(0, 25, 75, 75), 175, 0, 75, 75);
  ExpectBand(p.device.bands[3], 4, Rect(25, 0, 75, 75), 0, 75, 75, 75);
  ExpectBand(p.device.bands[4], 5, Rect(0, 0, 100, 75), 75, 75, 100, 75);
  ExpectBand(p.device.bands[5], 6, Rect(0, 0, 75, 75), 175, 75, 75, 75);
  EXPECT_EQ(p.progress.details.back(), "Generating page 6 of 6");
  EXPECT_EQ(p.device.events.front(), "StartDoc beach.jpg (all pages)");
}

TEST(PrintEngine, HalfTheVerticalResolutionHalvesEveryRowAndKeepsTheProportions) {
  CDibImage poster;
  FillWithCoordinates(poster, 100, 100);
  // One inch square of paper at 200 × 100 dpi holds a 200 × 200 printer pixel poster.
  Printed p{PrintOutcome::kNotStarted, CRecordingPrintDevice({200, 100, 200, 100}), {}, 0};
  Print(p, poster, JobFor({1, 1}, 200, 100), 2.0);

  ASSERT_EQ(p.device.bands.size(), 4u);
  ExpectBand(p.device.bands[0], 1, Rect(0, 0, 100, 50), 0, 0, 50, 50);
  ExpectBand(p.device.bands[1], 1, Rect(100, 0, 100, 50), 50, 0, 50, 50);
  ExpectBand(p.device.bands[2], 1, Rect(0, 50, 100, 50), 0, 50, 50, 50);
  ExpectBand(p.device.bands[3], 1, Rect(100, 50, 100, 50), 50, 50, 50, 50);
}

TEST(PrintEngine, BandsPastThePosterAreSkippedButCountedForTheBar) {
  CDibImage poster;
  FillWithCoordinates(poster, 150, 50);
  Printed p{PrintOutcome::kNotStarted, CRecordingPrintDevice({300, 100, 100, 100}), {}, 0};
  Print(p, poster, JobFor({1, 1}), 1.0);

  // Margins 75 and 25; the third band column lies wholly in the right margin.
  ASSERT_EQ(p.device.bands.size(), 2u);
  ExpectBand(p.device.bands[0], 1, Rect(75, 25, 100, 50), 0, 0, 100, 50);
  ExpectBand(p.device.bands[1], 1, Rect(175, 25, 50, 50), 100, 0, 50, 50);
  // Three bands of a total of 300 × 100 × 0.0001: 33, 66 and 100 percent, after the stage's 0.
  EXPECT_EQ(p.progress.percents, (std::vector<int>{0, 33, 66, 100}));
}

TEST(PrintEngine, CancelKeepsPrintingUntilTheDeviceHasBeenToldThenAbortsTheDocument) {
  CDibImage poster;
  FillWithCoordinates(poster, 200, 100);
  Printed p{PrintOutcome::kNotStarted, CRecordingPrintDevice({100, 100, 100, 100}), {}, 0};
  p.device.askAbortAtEndPage = true;
  p.progress.cancelAtDetail = "Generating page 1 of 2";
  Print(p, poster, JobFor({2, 1}), 1.0);

  EXPECT_EQ(p.outcome, PrintOutcome::kCancelled);
  // The band of page 1 is still sent; the device's question is answered FALSE; the second
  // page draws nothing and the document is abandoned.
  EXPECT_EQ(p.device.events,
            (std::vector<std::string>{"StartDoc beach.jpg (all pages)", "StartPage", "EndPage",
                                      "abort proc -> 0", "StartPage", "AbortDoc"}));
  ASSERT_EQ(p.device.bands.size(), 1u);
  EXPECT_EQ(p.device.bands[0].page, 1);
}

TEST(PrintEngine, SpoolerErrorsCancelButWaitingForDiskDoesNot) {
  CDibImage poster;
  FillWithCoordinates(poster, 200, 100);
  Printed error{PrintOutcome::kNotStarted, CRecordingPrintDevice({100, 100, 100, 100}), {}, 0};
  error.device.errorCodeAtEndPage = kSpError;
  Print(error, poster, JobFor({2, 1}), 1.0);
  EXPECT_EQ(error.outcome, PrintOutcome::kCancelled);
  EXPECT_EQ(error.device.events.back(), "AbortDoc");
  EXPECT_EQ(error.device.bands.size(), 1u);

  Printed disk{PrintOutcome::kNotStarted, CRecordingPrintDevice({100, 100, 100, 100}), {}, 0};
  disk.device.errorCodeAtEndPage = kSpOutOfDisk;
  Print(disk, poster, JobFor({2, 1}), 1.0);
  EXPECT_EQ(disk.outcome, PrintOutcome::kPrinted);
  EXPECT_EQ(disk.device.bands.size(), 2u);
}

TEST(PrintEngine, DeviceFailuresEndTheJobAsTheSpoolerReports) {
  CDibImage poster;
  FillWithCoordinates(poster, 200, 200);

  Printed refused{PrintOutcome::kPrinted, CRecordingPrintDevice({100, 100, 100, 100}), {}, 0};
  refused.device.failStartDoc = true;
  Print(refused, poster, JobFor({2, 2}), 1.0);
  EXPECT_EQ(refused.outcome, PrintOutcome::kNotStarted);
  EXPECT_EQ(MessageId(refused.outcome), res::IDS_NO_MEMORY);
  EXPECT_EQ(refused.device.events.size(), 1u);  // neither EndDoc nor AbortDoc

  Printed noPage{PrintOutcome::kNotStarted, CRecordingPrintDevice({100, 100, 100, 100}), {}, 0};
  noPage.device.failStartPageAt = 2;
  Print(noPage, poster, JobFor({2, 2}), 1.0);
  EXPECT_EQ(noPage.device.bands.size(), 1u);
  EXPECT_EQ(noPage.device.events.back(), "EndDoc");

  // A page that cannot be closed skips the rest of its row; the next row goes on.
  Printed noEnd{PrintOutcome::kNotStarted, CRecordingPrintDevice({100, 100, 100, 100}), {}, 0};
  noEnd.device.failEndPageAt = 1;
  Print(noEnd, poster, JobFor({2, 2}), 1.0);
  ASSERT_EQ(noEnd.device.bands.size(), 3u);
  EXPECT_EQ(noEnd.device.bands[1].sourceY, 100);
  EXPECT_EQ(noEnd.progress.details,
            (std::vector<std::string>{"Generating page 1 of 4", "Generating page 3 of 4",
                                      "Generating page 4 of 4"}));
}

TEST(PrintEngine, MainImageIsResampledToThePrintSizeOrElseStretchedByThePrinter) {
  CDibImage mainImage;
  FillWithCoordinates(mainImage, 10, 10);
  PrintJob job = JobFor({1, 1});
  job.posterBuilt = false;
  job.printSize = {1.0, 1.0};
  job.dpiDivisor = 2;  // 50 × 50 pixels, each 2 × 2 printer pixels
  Printed resampled{PrintOutcome::kNotStarted, CRecordingPrintDevice({100, 100, 100, 100}), {}, 0};
  Print(resampled, mainImage, job, 7.0);
  EXPECT_EQ(resampled.scale, 2.0);
  ASSERT_EQ(resampled.device.bands.size(), 1u);
  EXPECT_EQ(resampled.device.bands[0].destination, Rect(0, 0, 100, 100));
  EXPECT_EQ(resampled.device.bands[0].sourceWidth, 50);
  EXPECT_EQ(mainImage.GetWidth(), 10);

  // A print height below one pixel cannot be resampled: the image itself is printed at
  // 100 dpi × 0.4 inch / 10 pixels = 4 printer pixels per pixel.
  job.printSize = {0.4, 0.001};
  Printed stretched{PrintOutcome::kNotStarted, CRecordingPrintDevice({100, 100, 100, 100}), {}, 0};
  Print(stretched, mainImage, job, 7.0);
  EXPECT_EQ(stretched.scale, 4.0);
  ASSERT_EQ(stretched.device.bands.size(), 1u);
  ExpectBand(stretched.device.bands[0], 1, Rect(30, 30, 40, 40), 0, 0, 10, 10);

  // An image with more pixels than the print has dots, printed unresampled: each printer pixel
  // shows one of the 4 × 4 source pixels it covers, across the whole image.
  CDibImage wide;
  FillWithCoordinates(wide, 400, 400);
  job.printSize = {1.0, 0.001};
  Printed reduced{PrintOutcome::kNotStarted, CRecordingPrintDevice({100, 100, 100, 100}), {}, 0};
  Print(reduced, wide, job, 7.0);
  EXPECT_EQ(reduced.scale, 0.25);
  ASSERT_EQ(reduced.device.bands.size(), 1u);
  const RecordedBand& band = reduced.device.bands[0];
  EXPECT_EQ(band.destination, Rect(0, 0, 100, 100));
  EXPECT_EQ(band.sourceWidth, 100);
  EXPECT_EQ(band.sourceHeight, 100);
  EXPECT_EQ(band.sourceX, 0);
  EXPECT_EQ(band.sourceY, 0);
  EXPECT_EQ(band.lastX, 396);
  EXPECT_EQ(band.lastY, 396);
}

}  // namespace

// Half an inch of overlap with marks and labels on 3 × 3 inch pages at 100 dpi: a quarter-inch
// frame leaves 250 pixels, neighbours advance by 200, and the 400-pixel poster, centred on
// 450, starts 25 pixels into the first page's usable area.
TEST(PrintEngine, NeighboursRepeatTheOverlapAndCarryMarksLabelsAndTheMap) {
  CDibImage poster;
  FillWithCoordinates(poster, 200, 100);
  PrintJob job = JobFor({2, 1});
  job.extras = {0.5, true, true, true};
  job.printSize = {4.0, 2.0};
  Printed p{PrintOutcome::kNotStarted, CRecordingPrintDevice({300, 300, 100, 100}), {}, 0};
  Print(p, poster, job, 2.0);
  ASSERT_EQ(p.outcome, PrintOutcome::kPrinted);

  // Page 1 shows the poster up to printer pixel 225, page 2 from 175 on: both hold 175 to 225.
  std::vector<RecordedBand> first, second;
  for (const RecordedBand& band : p.device.bands) {
    if (band.page == 1) first.push_back(band);
    if (band.page == 2) second.push_back(band);
  }
  ASSERT_FALSE(first.empty());
  ASSERT_FALSE(second.empty());
  ExpectBand(first[0], 1, Rect(50, 50, 100, 100), 0, 0, 50, 50);
  ExpectBand(first[2], 1, Rect(250, 50, 25, 100), 100, 0, 12, 50);
  ExpectBand(second[0], 2, Rect(25, 50, 100, 100), 87, 0, 50, 50);

  // Cuts at the poster's edges and in the strip's middle, 200: marks in the frame of each page
  // that shows them, above and below the poster.
  const std::vector<std::string> marks = {"1: 50,0-50,20",     "1: 50,280-50,300",   "1: 250,0-250,20",
                                          "1: 250,280-250,300", "1: 0,50-20,50",      "1: 280,50-300,50",
                                          "1: 0,250-20,250",    "1: 280,250-300,250", "2: 50,0-50,20",
                                          "2: 50,280-50,300",   "2: 250,0-250,20",    "2: 250,280-250,300"};
  for (const std::string& mark : marks)
    EXPECT_NE(std::find(p.device.lines.begin(), p.device.lines.end(), mark), p.device.lines.end())
        << mark;
  for (const char* text : {"1: A1", "1: right: B1", "2: B1", "2: left: A1",
                           "3: Assembly map: 4.00 x 2.00 inches (10.2 x 5.1 cm) on 2 x 1 pages",
                           "3: A1", "3: B1"})
    EXPECT_NE(std::find(p.device.texts.begin(), p.device.texts.end(), text), p.device.texts.end())
        << text;
  EXPECT_EQ(std::count(p.device.events.begin(), p.device.events.end(), "StartPage"), 3);
}
