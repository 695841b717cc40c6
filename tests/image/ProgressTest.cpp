#include "image/Progress.h"

#include <gtest/gtest.h>

#include <vector>

#include "resources/StringTable.h"

namespace {

// Records what the protocol shows and how often it pumps.
class RecordingProgress : public CProgress {
 public:
  std::string stage, detail;
  int percent = -1;
  int pumps = 0;
  bool quitOnNextPump = false;

 protected:
  void ShowStage(const std::string& text) override { stage = text; }
  void ShowDetail(const std::string& text) override { detail = text; }
  void ShowPercent(int p) override { percent = p; }
  BOOL PumpMessages() override {
    ++pumps;
    return quitOnNextPump ? TRUE : FALSE;
  }
};

}  // namespace

TEST(Progress, StageEmptiesTheDetailAndTheBar) {
  RecordingProgress p;
  EXPECT_TRUE(p.SetDetail("old detail"));
  EXPECT_TRUE(p.SetPercent(57));
  EXPECT_TRUE(p.SetStage(res::IDS_STAGE_LAY_TILES));
  EXPECT_EQ(p.stage, "Laying tiles . . .");
  EXPECT_EQ(p.detail, "");
  EXPECT_EQ(p.percent, 0);
  // An id without text leaves the lines as they are but still answers.
  EXPECT_TRUE(p.SetDetail(9999u));
  EXPECT_EQ(p.detail, "");
  EXPECT_EQ(p.pumps, 4);
}

TEST(Progress, CancelIsStickyAndStopsPumping) {
  RecordingProgress p;
  EXPECT_TRUE(p.SetPercent(1));
  p.SetCancel(TRUE);
  const int pumpsBefore = p.pumps;
  EXPECT_FALSE(p.SetPercent(2));
  EXPECT_FALSE(p.SetDetail("x"));
  EXPECT_FALSE(p.SetStage("y"));
  EXPECT_TRUE(p.CheckCancel());
  EXPECT_EQ(p.pumps, pumpsBefore);
}

TEST(Progress, AQuitRequestCountsAsCancel) {
  RecordingProgress p;
  p.quitOnNextPump = true;
  EXPECT_FALSE(p.SetPercent(5));
  p.quitOnNextPump = false;
  // The quit request was consumed by the pump, yet the stop stays in force.
  EXPECT_FALSE(p.SetPercent(6));
  EXPECT_TRUE(p.IsCancelled());
}
