// Resampling on several threads: the same bytes as on one, and the percentage from the calling
// thread only, in order.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "image/Progress.h"
#include "image/Resample.h"
#include "support/TestSupport.h"

namespace {

class PercentLog : public CProgress {
 public:
  std::vector<int> percents;
  std::thread::id owner = std::this_thread::get_id();
  int foreignCalls = 0;
  int cancelAt = -1;

 protected:
  void ShowStage(const std::string&) override {}
  void ShowDetail(const std::string&) override {}
  void ShowPercent(int percent) override {
    if (std::this_thread::get_id() != owner) ++foreignCalls;
    percents.push_back(percent);
    if (percent == cancelAt) SetCancel(TRUE);
  }
};

}  // namespace

// Enlarging both ways, and reducing both ways with 16- and 32-bit row sums and a last band of
// one row.
TEST(ResampleBands, SeveralThreadsGiveTheBytesAndPercentagesOfOne) {
  struct Case {
    int fromWidth, fromHeight, toWidth, toHeight;
  };
  for (const Case c : {Case{37, 23, 211, 301}, Case{401, 613, 97, 71}, Case{3, 20000, 2, 40},
                       Case{500, 700, 300, 33}}) {
    SCOPED_TRACE(std::to_string(c.fromWidth) + "x" + std::to_string(c.fromHeight) + " to " +
                 std::to_string(c.toWidth) + "x" + std::to_string(c.toHeight));
    CDibImage source;
    test::Fill(source, c.fromWidth, c.fromHeight, test::Pattern);
    CDibImage one, several;
    PercentLog oneLog, log;
    one.SetProgress(&oneLog);
    ASSERT_TRUE(ResampleFrom(one, c.toWidth, c.toHeight, source, 0, 1));
    several.SetProgress(&log);
    ASSERT_TRUE(ResampleFrom(several, c.toWidth, c.toHeight, source, 0, 4));
    EXPECT_TRUE(test::SamePixels(one, several));
    EXPECT_EQ(log.foreignCalls, 0);
    EXPECT_EQ(log.percents, oneLog.percents);
    EXPECT_FALSE(log.percents.empty());
  }
}

TEST(ResampleBands, CancelStopsTheBandsAndTheReports) {
  CDibImage source;
  test::Fill(source, 37, 23, test::Pattern);
  // Cancel half-way: the resampling ends (successfully, as on one thread) and reports no more.
  CDibImage cancelled;
  PercentLog stopping;
  stopping.cancelAt = 50;
  cancelled.SetProgress(&stopping);
  EXPECT_TRUE(ResampleFrom(cancelled, 211, 301, source, 0, 4));
  EXPECT_EQ(stopping.percents.back(), 50);
  EXPECT_TRUE(stopping.IsCancelled());
}
