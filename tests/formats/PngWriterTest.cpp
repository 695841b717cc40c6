#include "formats/PngWriter.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "formats/ImageFile.h"
#include "image/Progress.h"
#include "output/PosterSaver.h"
#include "support/TestSupport.h"
#include "support/ToolImages.h"

namespace {

class CancellingProgress : public CProgress {
 public:
  int details = 0;
  int cancelAfterDetails = 0;

 protected:
  void ShowStage(const std::string&) override {}
  void ShowDetail(const std::string& text) override {
    if (!text.empty() && ++details > cancelAfterDetails) SetCancel(TRUE);
  }
  void ShowPercent(int) override {}
};

}  // namespace

TEST(PngWriter, OddSizesRoundTripAndPngtopnmReadsTheSamePixels) {
  for (const auto& [w, h] : {std::pair{1, 1}, std::pair{7, 5}, std::pair{130, 3}}) {
    CDibImage image;
    test::Fill(image, w, h, test::Pattern);
    const std::string path = test::ScratchPath("round-" + std::to_string(w) + ".png");
    ASSERT_EQ(WritePngFile(image, test::Target(path), nullptr), SaveResult::kSaved);
    CDibImage back;
    ASSERT_TRUE(Load(back, path));
    EXPECT_TRUE(test::SamePixels(image, back)) << w;
    const std::string ppm = path + ".ppm";
    ASSERT_EQ(test::RunToolTo({"pngtopnm", path}, ppm), 0);
    const auto reference = test::ReadNetpbm(ppm);
    ASSERT_TRUE(reference);
    EXPECT_EQ(test::LargestDifference(image, *reference), 0) << w;
  }
}

TEST(PngWriter, CancelLeavesAnExistingFileUntouchedAndNoPartialFile) {
  const std::string dir = test::ScratchPath("png-cancel");
  std::filesystem::create_directory(dir);
  const std::string path = dir + "/poster.png";
  test::WriteFile(path, {'o', 'l', 'd'});
  CDibImage image;
  test::Fill(image, 64, 300, test::Pattern);
  CancellingProgress progress;
  progress.cancelAfterDetails = 3;
  EXPECT_EQ(WritePngFile(image, test::Target(path), &progress), SaveResult::kCancelled);
  EXPECT_EQ(test::ReadFile(path), (test::Bytes{'o', 'l', 'd'}));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), {}), 1);
  EXPECT_EQ(WritePngFile(image, test::VanishedTarget("poster.png"), nullptr), SaveResult::kWriteError);
}

TEST(PngWriter, TheSaverChoosesPngByTheExtensionInAnyCase) {
  EXPECT_EQ(PosterFormatFromName("poster.PNG"), PosterFormat::kPng);
  EXPECT_EQ(PosterFormatFromName("poster.png"), PosterFormat::kPng);
  EXPECT_FALSE(PosterFormatFromName("poster.png.tif").has_value());
  CDibImage image;
  test::Fill(image, 9, 4, test::Pattern);
  const std::string path = test::ScratchPath("saved.png");
  ASSERT_EQ(SavePoster(image, test::Target(path), PosterFormat::kPng, 0, nullptr), SaveResult::kSaved);
  const test::Bytes bytes = test::ReadFile(path);
  EXPECT_STREQ(FormatName(bytes.data(), bytes.size()), "PNG");
}
