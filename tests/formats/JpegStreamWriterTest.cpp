// A JPEG written while its image is still being made: the bytes and the reports of a whole save,
// and nothing left behind when the writing is dropped, cancelled (also in the library's last
// pass) or cannot create its file.
#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "formats/JpegRowFeed.h"
#include "formats/JpegStreamWriter.h"
#include "formats/JpegWriter.h"
#include "RecordingProgress.h"
#include "support/TestSupport.h"

namespace {

namespace fs = std::filesystem;
using test::RecordingProgress;

// Busy in every byte, so that the compressed data depends on every row.
void MakePicture(CDibImage& image, int width, int height) {
  test::Fill(image, width, height, [](int x, int y) {
    return test::Bgr{static_cast<std::uint8_t>(x * 7 + y), static_cast<std::uint8_t>(x ^ y),
                     static_cast<std::uint8_t>(y * 5 - x * 3)};
  });
}

void Pause() { std::this_thread::sleep_for(std::chrono::milliseconds(3)); }

}  // namespace

TEST(JpegStreamWriter, RowsAnnouncedLateGiveTheBytesAndReportsOfAWholeSave) {
  struct Case {
    int width, height;
    unsigned quality;
    std::vector<int> announcements;  // rows final, in the order told; Finish adds the rest
  };
  const Case cases[] = {
      {61, 250, kJpegQualityMedium, {0, 3, 40, 41, 170, 249}},  // 250 is no multiple of 16
      {33, 16, kJpegQualityHigh, {16}},
      {17, 5, kJpegQualityLow, {}},
      {130, 96, kJpegQualityMedium, {0, 32, 32, 64, 96}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height));
    CDibImage picture;
    MakePicture(picture, c.width, c.height);
    const std::string name = std::to_string(c.width) + "x" + std::to_string(c.height);
    const std::string whole = test::ScratchPath(name + "-whole.jpg");
    const std::string streamed = test::ScratchPath(name + "-streamed.jpg");
    RecordingProgress wholeProgress, streamProgress;
    ASSERT_EQ(WriteJpegFile(picture, test::Target(whole), c.quality, &wholeProgress), SaveResult::kSaved);
    {
      CJpegStreamWriter writer(picture, test::Target(streamed), c.quality);
      for (const int rows : c.announcements) {
        writer.RowsFinal(rows);
        Pause();  // the writing thread catches up and waits for more
      }
      EXPECT_FALSE(test::Exists(streamed));  // named only once Finish has shown the last step
      ASSERT_EQ(writer.Finish(&streamProgress), SaveResult::kSaved);
    }
    EXPECT_EQ(test::ReadFile(streamed), test::ReadFile(whole));
    EXPECT_EQ(streamProgress.events, wholeProgress.events);
    EXPECT_EQ(streamProgress.foreignCalls, 0);
  }
}

TEST(JpegStreamWriter, DroppedOrCancelledWritingLeavesNoFileAndKeepsAnExistingTarget) {
  CDibImage picture;
  MakePicture(picture, 64, 200);
  const std::string dir = test::FreshDir("stream-stops");
  const std::string fresh = dir + "/new.jpg", existing = dir + "/old.jpg";
  test::WriteFile(existing, {1, 2, 3});
  for (const std::string& target : {fresh, existing}) {
    SCOPED_TRACE(target);
    for (const int rows : {0, 100, 200}) {  // dropped with a part or all of the rows final
      CJpegStreamWriter writer(picture, test::Target(target), kJpegQualityMedium);
      writer.RowsFinal(rows);
      Pause();
    }
    for (const char* cancelAfter : {"stage:Saving poster image to disk using JPEG format . . .",
                                    "detail:Compressing image data . . .", "percent:56",
                                    "detail:Finishing compression . . ."}) {
      SCOPED_TRACE(cancelAfter);
      RecordingProgress progress;
      progress.cancelAfter = cancelAfter;
      CJpegStreamWriter writer(picture, test::Target(target), kJpegQualityMedium);
      writer.RowsFinal(100);
      EXPECT_EQ(writer.Finish(&progress), SaveResult::kCancelled);
    }
  }
  EXPECT_FALSE(test::Exists(fresh));
  EXPECT_EQ(test::ReadFile(existing), (test::Bytes{1, 2, 3}));
  EXPECT_EQ(test::FileCount(dir), 1u);  // no temporary file left behind
}

// Every row ready at once; asks to stop at the stopAt-th question after "Finishing", so that
// the library's last pass is cut short wherever it is.
class StopInLastPass : public JpegRowFeed {
 public:
  explicit StopInLastPass(int stopAt) : m_stopAt(stopAt) {}
  mutable int questionsAfterFinishing = 0;

  int WaitForRows(int wanted) override { return wanted; }
  bool Started() override { return true; }
  bool Compressed(int) override { return true; }
  bool Finishing() override {
    m_finishing = true;
    return true;
  }
  bool Stopped() const override {
    if (!m_finishing) return false;
    return ++questionsAfterFinishing >= m_stopAt;
  }

 private:
  int m_stopAt;
  bool m_finishing = false;
};

TEST(JpegRowFeed, AStopDuringTheLibrarysLastPassEndsItAndLeavesNoFile) {
  CDibImage picture;
  MakePicture(picture, 64, 256);  // 16 rows of blocks: the last pass asks 16 times
  const std::string dir = test::FreshDir("last-pass");
  StopInLastPass whole(1000);
  ASSERT_EQ(CompressJpegFile(picture, test::Target(dir + "/whole.jpg"), 75, whole), SaveResult::kSaved);
  EXPECT_GE(whole.questionsAfterFinishing, 16);
  fs::remove(dir + "/whole.jpg");
  StopInLastPass cut(3);
  EXPECT_EQ(CompressJpegFile(picture, test::Target(dir + "/cut.jpg"), 75, cut), SaveResult::kCancelled);
  EXPECT_LE(cut.questionsAfterFinishing, 4);  // the pass ended at the third question
  EXPECT_EQ(test::FileCount(dir), 0u);
}

TEST(JpegStreamWriter, AFileThatCannotBeCreatedIsAWriteErrorWithItsCause) {
  CDibImage picture, empty;
  MakePicture(picture, 8, 8);
  CJpegStreamWriter writer(picture, test::VanishedTarget("poster.jpg"), kJpegQualityLow);
  writer.RowsFinal(8);
  errno = 0;
  EXPECT_EQ(writer.Finish(nullptr), SaveResult::kWriteError);
  EXPECT_EQ(errno, ENOENT);
  CJpegStreamWriter nothing(empty, test::Target(test::ScratchPath("empty.jpg")), kJpegQualityLow);
  EXPECT_EQ(nothing.Finish(nullptr), SaveResult::kWriteError);
  EXPECT_FALSE(test::Exists(test::ScratchPath("empty.jpg")));
}
