#include <gtest/gtest.h>

#include "formats/ImageFile.h"
#include "image/Progress.h"
#include "output/PosterSaver.h"
#include "resources/StringTable.h"
#include "support/TestSupport.h"

namespace {

class CCancellingProgress : public CProgress {
 public:
  explicit CCancellingProgress(std::string cancelAt) : m_cancelAt(std::move(cancelAt)) {}

 protected:
  void ShowStage(const std::string&) override {}
  void ShowDetail(const std::string& text) override {
    if (text.find(m_cancelAt) != std::string::npos) SetCancel(TRUE);
  }
  void ShowPercent(int) override {}

 private:
  std::string m_cancelAt;
};

void MakePoster(CDibImage& poster) { test::Fill(poster, 40, 30, test::Pattern); }

}  // namespace

TEST(SavePoster, TheExtensionInAnyCaseChoosesTheFormat) {
  CDibImage poster;
  MakePoster(poster);
  for (const char* name : {"a.JPG", "b.jpg", "c.Jpg"}) {
    const std::string path = test::ScratchPath(name);
    EXPECT_EQ(SavePosterAs(poster, test::Target(path), 1046, nullptr).status, PosterSaveStatus::kSaved);
    const test::Bytes bytes = test::ReadFile(path);
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(bytes[0], 0xFF) << name;
    EXPECT_EQ(bytes[1], 0xD8) << name;
  }
  const std::string bmp = test::ScratchPath("d.bmp");
  EXPECT_EQ(SavePosterAs(poster, test::Target(bmp), 1046, nullptr).status, PosterSaveStatus::kSaved);
  CDibImage loaded;
  ASSERT_TRUE(Load(loaded, bmp));
  EXPECT_TRUE(test::SamePixels(loaded, poster));
}

TEST(SavePoster, OtherExtensionsAreRefusedWithoutWriting) {
  CDibImage poster;
  MakePoster(poster);
  for (const char* name : {"e.gif", "f.jpe", "g", "h.bmp.txt"}) {
    const std::string path = test::ScratchPath(name);
    const PosterSaveOutcome outcome = SavePosterAs(poster, test::Target(path), 1046, nullptr);
    EXPECT_EQ(outcome.status, PosterSaveStatus::kRefusedName) << name;
    EXPECT_EQ(outcome.messageId, res::IDS_BAD_EXTENSION);
    EXPECT_FALSE(test::Exists(path));
  }
}

TEST(SavePoster, CancelAndFailureLeaveNoFileAndAnExistingOneUntouched) {
  CDibImage poster;
  MakePoster(poster);
  const test::Bytes before = {'o', 'l', 'd'};
  for (const char* name : {"old.jpg", "old.bmp"}) {
    const std::string path = test::ScratchPath(name);
    test::WriteFile(path, before);
    CCancellingProgress progress("KBytes");
    const PosterSaveOutcome outcome = SavePosterAs(poster, test::Target(path), 1045, &progress);
    EXPECT_EQ(outcome.status, PosterSaveStatus::kCancelled) << name;
    EXPECT_EQ(outcome.messageId, 0u);
    EXPECT_EQ(test::ReadFile(path), before) << name;
  }
  const COutputTarget missingDir = test::VanishedTarget("p.jpg");
  const PosterSaveOutcome failed = SavePosterAs(poster, missingDir, 1046, nullptr);
  EXPECT_EQ(failed.status, PosterSaveStatus::kFailed);
  EXPECT_EQ(failed.messageId, res::IDS_WRITE_ERROR);
  EXPECT_FALSE(test::Exists(missingDir.Path()));
  const std::string cancelledNew = test::ScratchPath("new.bmp");
  CCancellingProgress progress("Writing header");
  EXPECT_EQ(SavePosterAs(poster, test::Target(cancelledNew), 1046, &progress).status,
            PosterSaveStatus::kCancelled);
  EXPECT_FALSE(test::Exists(cancelledNew));
}
