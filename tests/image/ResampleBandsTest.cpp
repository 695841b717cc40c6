// Enlarging on several threads: the same bytes as on one, and the percentage from the calling
// thread only, in order.
#include <gtest/gtest.h>

#include <thread>

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

TEST(ResampleBands, EnlargingOnSeveralThreadsGivesTheBytesOfOne) {
  CDibImage source;
  test::Fill(source, 37, 23, test::Pattern);
  CDibImage one, several;
  ASSERT_TRUE(ResampleFrom(one, 211, 301, source, 0, 1));
  PercentLog log;
  several.SetProgress(&log);
  ASSERT_TRUE(ResampleFrom(several, 211, 301, source, 0, 4));
  several.SetProgress(nullptr);
  EXPECT_TRUE(test::SamePixels(one, several));
  EXPECT_EQ(log.foreignCalls, 0);
  ASSERT_FALSE(log.percents.empty());
  for (std::size_t i = 1; i < log.percents.size(); ++i)
    EXPECT_EQ(log.percents[i], log.percents[i - 1] + 1);
  EXPECT_EQ(log.percents.back(), 99);

  // Cancel half-way: the resampling ends (successfully, as on one thread) and reports no more.
  CDibImage cancelled;
  PercentLog stopping;
  stopping.cancelAt = 50;
  cancelled.SetProgress(&stopping);
  EXPECT_TRUE(ResampleFrom(cancelled, 211, 301, source, 0, 4));
  EXPECT_EQ(stopping.percents.back(), 50);
  EXPECT_TRUE(stopping.IsCancelled());
}
