#include "formats/BmpWriter.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "formats/ImageFile.h"
#include "image/Progress.h"
#include "support/TestSupport.h"

namespace {

class RecordingProgress : public CProgress {
 public:
  std::vector<std::string> details;
  int cancelAfterDetails = -1;

 protected:
  void ShowStage(const std::string&) override {}
  void ShowDetail(const std::string& text) override {
    if (text.empty()) return;  // the stage line empties it first
    details.push_back(text);
    if (cancelAfterDetails >= 0 && static_cast<int>(details.size()) > cancelAfterDetails)
      SetCancel(TRUE);
  }
  void ShowPercent(int) override {}
};

}  // namespace

TEST(BmpWriter, RoundTripsOddSizesExactly) {
  for (auto [w, h] : {std::pair{1, 1}, std::pair{3, 2}, std::pair{7, 5}, std::pair{16, 3}}) {
    CDibImage original, loaded;
    test::Fill(original, w, h, test::Pattern);
    const std::string path = test::ScratchPath("round.bmp");
    ASSERT_EQ(WriteBmpFile(original, test::Target(path), nullptr), SaveResult::kSaved);
    ASSERT_TRUE(Load(loaded, path));
    EXPECT_TRUE(test::SamePixels(original, loaded)) << w << "x" << h;
    const test::Bytes file = test::ReadFile(path);
    EXPECT_EQ(file.size(), 54 + original.GetImageBytes());
    EXPECT_EQ(file[0], 'B');
    EXPECT_EQ(file[1], 'M');
  }
}

TEST(BmpWriter, ReportsHeaderThenKilobytes) {
  CDibImage image;
  test::Fill(image, 700, 700, test::Pattern);  // 1,470,000 bytes of rows: two chunks
  RecordingProgress progress;
  ASSERT_EQ(WriteBmpFile(image, test::Target(test::ScratchPath("progress.bmp")), &progress), SaveResult::kSaved);
  ASSERT_EQ(progress.details.size(), 3u);
  EXPECT_EQ(progress.details[0], "Writing header");
  EXPECT_EQ(progress.details[1], "1,024 KBytes written");
  EXPECT_EQ(progress.details[2], "1,435 KBytes written");
}

TEST(BmpWriter, CancelLeavesAnExistingFileUntouchedAndNoLeftovers) {
  const std::string dir = test::ScratchPath("cancel");
  std::filesystem::create_directory(dir);
  const std::string target = dir + "/poster.bmp";
  test::WriteFile(target, {1, 2, 3});
  CDibImage image;
  test::Fill(image, 700, 700, test::Pattern);
  RecordingProgress progress;
  progress.cancelAfterDetails = 1;
  EXPECT_EQ(WriteBmpFile(image, test::Target(target), &progress), SaveResult::kCancelled);
  EXPECT_EQ(test::ReadFile(target), (test::Bytes{1, 2, 3}));
  EXPECT_EQ(test::FileCount(dir), 1u);
}

TEST(BmpWriter, RefusesWhatCannotBeWritten) {
  CDibImage image;
  EXPECT_EQ(WriteBmpFile(image, test::Target(test::ScratchPath("empty.bmp")), nullptr), SaveResult::kWriteError);
  test::Fill(image, 2, 2, test::Pattern);
  EXPECT_EQ(WriteBmpFile(image, test::VanishedTarget("dir.bmp"), nullptr),
            SaveResult::kWriteError);
  // Past the format's 32-bit size field: refused before a byte is written. The pages of the
  // image are never touched, so they cost no memory.
  CDibImage huge;
  ASSERT_TRUE(huge.Create(40000, 40000, TRUE));
  const std::string path = test::ScratchPath("huge_poster.bmp");
  EXPECT_EQ(WriteBmpFile(huge, test::Target(path), nullptr), SaveResult::kTooLarge);
  EXPECT_FALSE(test::Exists(path));
}
