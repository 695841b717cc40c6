// What a resampling tells the progress sink, when it stops on a cancel, and whose sink it uses.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "ResampleReference.h"
#include "image/Progress.h"
#include "image/Resample.h"
#include "support/TestSupport.h"

using test::Bgr;
using test::PixelAt;

namespace {

// Records the detail texts and every percentage; cancels once a percentage reaches cancelAt.
class RecordingProgress : public CProgress {
 public:
  std::vector<std::string> details;
  std::vector<int> percents;
  int cancelAt = -1;

 protected:
  void ShowStage(const std::string&) override {}
  void ShowDetail(const std::string& text) override { details.push_back(text); }
  void ShowPercent(int percent) override {
    percents.push_back(percent);
    if (cancelAt >= 0 && percent >= cancelAt) SetCancel(TRUE);
  }
};

const std::vector<std::string> kResampleDetails{"Preparing to resample image . . .",
                                                "Resampling image . . ."};

// The percentages of resampling a noise picture of sw × sh to dw × dh in place.
std::vector<int> PercentsOf(int sw, int sh, int dw, int dh) {
  RecordingProgress progress;
  CDibImage image;
  test::Fill(image, sw, sh, ref::Noise);
  image.SetProgress(&progress);
  EXPECT_TRUE(Resample(image, dw, dh));
  EXPECT_EQ(progress.details, kResampleDetails);
  return progress.percents;
}

bool RowIsBlack(const CDibImage& image, int y) {
  for (int x = 0; x < image.GetWidth(); ++x)
    if (PixelAt(image, x, y) != Bgr{0, 0, 0}) return false;
  return true;
}

bool SameRow(const CDibImage& a, const CDibImage& b, int y) {
  for (int x = 0; x < a.GetWidth(); ++x)
    if (PixelAt(a, x, y) != PixelAt(b, x, y)) return false;
  return true;
}

}  // namespace

TEST(ResampleProgress, EachProcedureReportsOnlyChangedWholePercents) {
  // Totals that are not multiples of 100, totals below 100 (percents skipped), and a slight
  // reduction whose last box of rows ends past the last row (percents above 100).
  EXPECT_EQ(PercentsOf(37, 23, 11, 7), ref::ReduceBothPercents(37, 23, 11, 7));
  EXPECT_EQ(PercentsOf(9, 17, 3, 16), ref::ReduceBothPercents(9, 17, 3, 16));
  EXPECT_EQ(PercentsOf(37, 5, 11, 13), ref::ReduceAcrossEnlargeDownPercents(37, 13));
  EXPECT_EQ(PercentsOf(5, 37, 13, 11), ref::EnlargeAcrossReduceDownPercents(37, 13));
  EXPECT_EQ(PercentsOf(7, 5, 13, 9), ref::EnlargeBothPercents(13, 9));
  EXPECT_EQ(PercentsOf(3, 3, 5, 5), ref::EnlargeBothPercents(5, 5));

  // 17 → 16 rows: the last box ends at the step past the last row, reported at 100 + 100 / 17.
  const std::vector<int> shortReduction = PercentsOf(9, 17, 3, 16);
  EXPECT_EQ(shortReduction.back(), 105);
  const std::vector<int> skipping = PercentsOf(3, 3, 5, 5);
  EXPECT_EQ(skipping.front(), 0);
  EXPECT_EQ(skipping[1], 4);
}

TEST(ResampleProgress, EnlargeAcrossReduceDownRisesEvenlyAndStaysBelowAHundred) {
  // 40 source rows of 8 destination columns: every whole percent once, 2.5 per source row.
  std::vector<int> expected;
  for (int p = 0; p < 100; ++p) expected.push_back(p);
  EXPECT_EQ(PercentsOf(4, 40, 8, 10), expected);
}

TEST(ResampleProgress, WithoutASinkNothingIsReported) {
  CDibImage image;
  test::Fill(image, 6, 6, ref::Noise);
  EXPECT_TRUE(Resample(image, 3, 9));
  EXPECT_EQ(image.GetProgress(), nullptr);
}

TEST(ResampleProgress, CancelKeepsTheRowsWrittenAndLeavesTheRestBlack) {
  CDibImage source;
  test::Fill(source, 8, 8, ref::Noise);
  CDibImage full;
  ASSERT_TRUE(ResampleFrom(full, 16, 16, source, 0));

  // 50 % falls due at the first pixel of row 8: rows 0 .. 7 are done, 8 .. 15 never begun.
  RecordingProgress progress;
  progress.cancelAt = 50;
  CDibImage partial;
  partial.SetProgress(&progress);
  EXPECT_TRUE(ResampleFrom(partial, 16, 16, source, 0));
  EXPECT_TRUE(progress.IsCancelled());
  EXPECT_EQ(progress.percents.back(), 50);
  ASSERT_EQ(partial.GetWidth(), 16);
  for (int y = 0; y < 8; ++y) EXPECT_TRUE(SameRow(partial, full, y)) << y;
  for (int y = 8; y < 16; ++y) EXPECT_TRUE(RowIsBlack(partial, y)) << y;
}

TEST(ResampleProgress, EveryProcedureStopsOnCancelAndStillSucceeds) {
  for (const auto& [w, h] : std::vector<std::pair<int, int>>{{6, 5}, {6, 40}, {40, 5}, {40, 40}}) {
    CDibImage full;
    test::Fill(full, 20, 20, ref::Noise);
    ASSERT_TRUE(Resample(full, w, h));

    // Resampling in place adopts the part done.
    RecordingProgress progress;
    progress.cancelAt = 30;
    CDibImage image;
    test::Fill(image, 20, 20, ref::Noise);
    image.SetProgress(&progress);
    EXPECT_TRUE(Resample(image, w, h)) << w << " x " << h;
    ASSERT_EQ(image.GetWidth(), w);
    EXPECT_TRUE(SameRow(image, full, 0)) << w << " x " << h;
    EXPECT_TRUE(RowIsBlack(image, h - 1)) << w << " x " << h;
    int y = 0;
    while (y < h && SameRow(image, full, y)) ++y;
    // At most the row in progress is partly written; every later one is black.
    for (++y; y < h; ++y) EXPECT_TRUE(RowIsBlack(image, y)) << w << " x " << h << " row " << y;
  }
}

TEST(ResampleProgress, AnAlreadyCancelledSinkGivesABlackImageOfTheNewSize) {
  RecordingProgress progress;
  progress.SetCancel(TRUE);
  CDibImage image;
  test::Fill(image, 9, 9, ref::Noise);
  image.SetProgress(&progress);
  EXPECT_TRUE(Resample(image, 4, 4));
  ASSERT_EQ(image.GetWidth(), 4);
  for (int y = 0; y < 4; ++y) EXPECT_TRUE(RowIsBlack(image, y));
}

TEST(ResampleProgress, TheDestinationsSinkIsLentToTheSourceAndGivenBack) {
  CDibImage source;
  test::Fill(source, 12, 12, ref::Noise);
  RecordingProgress sourceOwn, lent;
  source.SetProgress(&sourceOwn);
  CDibImage destination;
  destination.SetProgress(&lent);

  ASSERT_TRUE(ResampleFrom(destination, 5, 5, source, 0));
  EXPECT_EQ(lent.details, kResampleDetails);
  EXPECT_FALSE(lent.percents.empty());
  EXPECT_TRUE(sourceOwn.details.empty());
  EXPECT_TRUE(sourceOwn.percents.empty());
  EXPECT_EQ(source.GetProgress(), &sourceOwn);
  EXPECT_EQ(destination.GetProgress(), &lent);

  // Given back on the way out of a cancel and of a failure too.
  lent.cancelAt = 10;
  ASSERT_TRUE(ResampleFrom(destination, 5, 30, source, 0));
  EXPECT_EQ(source.GetProgress(), &sourceOwn);
  EXPECT_FALSE(ResampleFrom(destination, INT_MAX, INT_MAX, source, 0));
  EXPECT_EQ(source.GetProgress(), &sourceOwn);
  EXPECT_TRUE(sourceOwn.percents.empty());

  // With nothing to lend, the procedure reports through the image it reads.
  CDibImage quiet;
  ASSERT_TRUE(ResampleFrom(quiet, 5, 5, source, 0));
  EXPECT_EQ(sourceOwn.details, std::vector<std::string>{"Resampling image . . ."});
  EXPECT_FALSE(sourceOwn.percents.empty());
}

TEST(ResampleProgress, TheFirstStageOfAStrongReductionKeepsReporting) {
  CDibImage source;
  test::Fill(source, 64, 64, ref::Noise);
  RecordingProgress progress;
  CDibImage thumbnail;
  thumbnail.SetProgress(&progress);
  ASSERT_TRUE(ResampleFrom(thumbnail, 4, 4, source, 4));
  // The box average runs over the 16 × 16 stretched copy and reports as it would over a source.
  EXPECT_EQ(progress.percents, ref::ReduceBothPercents(16, 16, 4, 4));
}
