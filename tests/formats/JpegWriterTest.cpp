#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "formats/ImageFile.h"
#include "formats/JpegWriter.h"
#include "image/NumberUtils.h"
#include "RecordingProgress.h"
#include "support/TestSupport.h"

namespace {

namespace fs = std::filesystem;
using test::RecordingProgress;

// A smooth picture with edges, whose red and blue differ everywhere.
void MakePhoto(CDibImage& image, int width, int height) {
  test::Fill(image, width, height, [&](int x, int y) {
    const bool inDisc = (x - width / 2) * (x - width / 2) + (y - height / 2) * (y - height / 2) <
                        (height / 3) * (height / 3);
    const auto red = static_cast<std::uint8_t>(inDisc ? 220 : 255 * x / width);
    const auto green = static_cast<std::uint8_t>(255 * y / height);
    const auto blue = static_cast<std::uint8_t>(128 + 100 * std::sin(x * 0.2) * std::cos(y * 0.15));
    return test::Bgr{blue, green, red};
  });
}

double MeanError(const CDibImage& a, const CDibImage& b) {
  double sum = 0;
  for (int y = 0; y < a.GetHeight(); ++y)
    for (int x = 0; x < a.GetWidth(); ++x) {
      const test::Bgr p = test::PixelAt(a, x, y), q = test::PixelAt(b, x, y);
      for (int i = 0; i < 3; ++i) sum += std::abs(p[i] - q[i]);
    }
  return sum / (3.0 * a.GetWidth() * a.GetHeight());
}

}  // namespace

TEST(JpegWriter, EachQualityReadsBackWithLessErrorAsTheQualityRises) {
  CDibImage photo;
  MakePhoto(photo, 96, 61);
  double lastError = 1e9;
  std::uintmax_t lastSize = 0;
  for (const unsigned code : {kJpegQualityLow, kJpegQualityMedium, kJpegQualityHigh}) {
    SCOPED_TRACE(code);
    const std::string path = test::ScratchPath("quality-" + std::to_string(code) + ".jpg");
    ASSERT_EQ(WriteJpegFile(photo, test::Target(path), code, nullptr), SaveResult::kSaved);
    CDibImage back;
    ASSERT_TRUE(Load(back, path));
    ASSERT_EQ(back.GetWidth(), 96);
    ASSERT_EQ(back.GetHeight(), 61);
    const double error = MeanError(photo, back);
    EXPECT_LT(error, lastError);
    EXPECT_GT(fs::file_size(path), lastSize);
    lastError = error;
    lastSize = fs::file_size(path);
  }
  // Red and blue differ by about 100 on average: had they changed places, the error would be
  // far larger.
  EXPECT_LT(lastError, 6.0);
}

TEST(JpegWriter, UnknownQualityCodesCountAsMedium) {
  CDibImage photo;
  MakePhoto(photo, 40, 30);
  const std::string medium = test::ScratchPath("code-medium.jpg");
  ASSERT_EQ(WriteJpegFile(photo, test::Target(medium), kJpegQualityMedium, nullptr), SaveResult::kSaved);
  for (const unsigned code : {0u, 1044u, 1048u}) {
    const std::string path = test::ScratchPath("code-" + std::to_string(code) + ".jpg");
    ASSERT_EQ(WriteJpegFile(photo, test::Target(path), code, nullptr), SaveResult::kSaved);
    EXPECT_EQ(test::ReadFile(path), test::ReadFile(medium)) << code;
  }
}

TEST(JpegWriter, ProgressTextsAppearInOrder) {
  CDibImage photo;
  MakePhoto(photo, 700, 600);  // 1,230 KBytes of pixel data: the count is grouped
  RecordingProgress progress;
  ASSERT_EQ(WriteJpegFile(photo, test::Target(test::ScratchPath("progress.jpg")), kJpegQualityMedium, &progress),
            SaveResult::kSaved);
  ASSERT_FALSE(progress.events.empty());
  EXPECT_EQ(progress.events.front(), "stage:Saving poster image to disk using JPEG format . . .");

  const std::vector<std::string> details = progress.Details();
  ASSERT_GE(details.size(), 4u);
  EXPECT_EQ(details[0], "Starting compression . . .");
  EXPECT_EQ(details[1], "Compressing image data . . .");
  EXPECT_EQ(details.back(), "Finishing compression . . .");
  const std::vector<std::string> counts(details.begin() + 2, details.end() - 1);
  EXPECT_LE(counts.size(), 101u);  // at most once per whole percent
  for (const std::string& text : counts)
    EXPECT_NE(text.find(" KBytes compressed"), std::string::npos) << text;
  EXPECT_EQ(counts.back(), FormatThousands(700 * 3 * 600 / 1024) + " KBytes compressed");

  int lastPercent = -1;
  for (const std::string& e : progress.events)
    if (e.rfind("percent:", 0) == 0 && e != "percent:0") {
      const int percent = std::stoi(e.substr(8));
      EXPECT_GT(percent, lastPercent);
      lastPercent = percent;
    }
  EXPECT_EQ(lastPercent, 100);
}

TEST(JpegWriter, CancelLeavesNoFileAndKeepsAnExistingTarget) {
  CDibImage photo;
  MakePhoto(photo, 64, 200);
  const std::vector<std::string> cancelPoints = {
      "stage:Saving poster image to disk using JPEG format . . .",
      "detail:Starting compression . . .",
      "detail:Compressing image data . . .",
      "percent:8",
      "percent:56",
      "detail:Finishing compression . . ."};
  for (std::size_t i = 0; i < cancelPoints.size(); ++i) {
    SCOPED_TRACE(cancelPoints[i]);
    const std::string dir = test::FreshDir("cancel-" + std::to_string(i));
    const std::string fresh = dir + "/new.jpg";
    const std::string existing = dir + "/old.jpg";
    test::WriteFile(existing, {1, 2, 3});
    for (const std::string& target : {fresh, existing}) {
      RecordingProgress progress;
      progress.cancelAfter = cancelPoints[i];
      EXPECT_EQ(WriteJpegFile(photo, test::Target(target), kJpegQualityHigh, &progress), SaveResult::kCancelled);
    }
    EXPECT_FALSE(test::Exists(fresh));
    EXPECT_EQ(test::ReadFile(existing), (test::Bytes{1, 2, 3}));
    EXPECT_EQ(test::FileCount(dir), 1u);  // no temporary file left behind
  }
}

TEST(JpegWriter, SidesBeyondTheFormatAreRefusedBeforeWriting) {
  for (const auto& [width, height] :
       {std::pair{65536, 1}, std::pair{1, 65536}, std::pair{65501, 2}}) {
    SCOPED_TRACE(std::to_string(width) + " x " + std::to_string(height));
    CDibImage wide;
    ASSERT_TRUE(wide.Create(width, height));
    const std::string dir = test::FreshDir("too-large");
    RecordingProgress progress;
    EXPECT_EQ(WriteJpegFile(wide, test::Target(dir + "/poster.jpg"), kJpegQualityMedium, &progress),
              SaveResult::kTooLarge);
    EXPECT_EQ(test::FileCount(dir), 0u);
    EXPECT_TRUE(progress.events.empty());
  }
  CDibImage widest;
  ASSERT_TRUE(widest.Create(65500, 2));
  EXPECT_EQ(WriteJpegFile(widest, test::Target(test::ScratchPath("widest.jpg")), kJpegQualityLow, nullptr),
            SaveResult::kSaved);
}

TEST(JpegWriter, TargetThatCannotBeCreatedOrAnEmptyImageIsAWriteError) {
  CDibImage photo, empty;
  MakePhoto(photo, 8, 8);
  EXPECT_EQ(WriteJpegFile(photo, test::VanishedTarget("poster.jpg"), kJpegQualityMedium,
                          nullptr),
            SaveResult::kWriteError);
  EXPECT_EQ(WriteJpegFile(empty, test::Target(test::ScratchPath("empty.jpg")), kJpegQualityMedium, nullptr),
            SaveResult::kWriteError);
  EXPECT_FALSE(test::Exists(test::ScratchPath("empty.jpg")));
}

TEST(JpegWriter, ConvertCommandTakesTheQualityOption) {
  CDibImage photo;
  MakePhoto(photo, 80, 60);
  const std::string in = test::ScratchPath("convert-in.jpg");
  ASSERT_EQ(WriteJpegFile(photo, test::Target(in), kJpegQualityHigh, nullptr), SaveResult::kSaved);
  const auto convert = [&](const std::string& name, std::vector<std::string> extra) {
    std::vector<std::string> args = {"convert", in, test::ScratchPath(name)};
    args.insert(args.end(), extra.begin(), extra.end());
    return test::RunCli(args);
  };
  ASSERT_EQ(convert("high.jpg", {"--quality", "high"}).exitCode, 0);
  ASSERT_EQ(convert("low.JPG", {"--quality", "low"}).exitCode, 0);
  ASSERT_EQ(convert("medium.jpg", {"--quality", "medium"}).exitCode, 0);
  ASSERT_EQ(convert("default.jpg", {}).exitCode, 0);
  EXPECT_GT(fs::file_size(test::ScratchPath("high.jpg")),
            fs::file_size(test::ScratchPath("medium.jpg")));
  EXPECT_GT(fs::file_size(test::ScratchPath("medium.jpg")),
            fs::file_size(test::ScratchPath("low.JPG")));
  EXPECT_EQ(test::ReadFile(test::ScratchPath("default.jpg")),
            test::ReadFile(test::ScratchPath("medium.jpg")));

  EXPECT_EQ(convert("best.jpg", {"--quality", "best"}).exitCode, 2);
  EXPECT_EQ(convert("missing.jpg", {"--quality"}).exitCode, 2);
  EXPECT_FALSE(test::Exists(test::ScratchPath("best.jpg")));
}
