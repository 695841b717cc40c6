// The command-line conventions users expect of every command.
#include <gtest/gtest.h>

#include <filesystem>

#include "formats/BmpWriter.h"
#include "formats/ImageFile.h"
#include "support/TestSupport.h"

using test::RunCli;

namespace {

std::string SavedImage(const std::string& path, int w, int h) {
  CDibImage image;
  test::Fill(image, w, h, test::Pattern);
  EXPECT_EQ(WriteBmpFile(image, test::Target(path), nullptr), SaveResult::kSaved);
  return path;
}

bool Has(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

std::size_t Count(const std::string& text, const std::string& part) {
  std::size_t n = 0;
  for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

}  // namespace

TEST(CliConventions, HelpOnEveryCommandAndTheVersion) {
  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{{"build", "--help"},
                                             {"build", "main.bmp", "-o", "x.bmp", "-h"},
                                             {"probe", "--help"},
                                             {"convert", "-h"},
                                             {"--help"}}) {
    const auto r = RunCli(args);
    EXPECT_EQ(r.exitCode, 0) << args[0] << " " << args[1];
    EXPECT_TRUE(Has(r.out, "usage: mozaikon-cli")) << r.out;
  }
  const auto r = RunCli({"--version"});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out, "mozaikon-cli 1.0\n");
}

TEST(CliConventions, JoinedValuesEndOfOptionsAndOutputExtensions) {
  const std::string dir = test::ScratchPath("conventions");
  std::filesystem::create_directory(dir);
  const std::string main = SavedImage(dir + "/main.bmp", 60, 45);
  // A tile whose name starts with a dash is named after "--".
  const std::string dashed = SavedImage(dir + "/-tile.bmp", 32, 24);
  const auto previous = std::filesystem::current_path();
  std::filesystem::current_path(dir);
  const std::vector<std::string> common = {"--dpi=120", "--fraction", "1", "--seed=5"};

  std::vector<std::string> joined = {"build", main, "--print-width=2", "-o", dir + "/a.JPEG"};
  joined.insert(joined.end(), common.begin(), common.end());
  joined.insert(joined.end(), {"--", "-tile.bmp"});
  auto r = RunCli(joined);
  ASSERT_EQ(r.exitCode, 0) << r.err;
  std::vector<std::string> spaced = {"build", main, "--print-width", "2", "-o", dir + "/b.jpg",
                                     "--dpi", "120", "--fraction", "1", "--seed", "5",
                                     "--", "-tile.bmp"};
  r = RunCli(spaced);
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(test::ReadFile(dir + "/a.JPEG"), test::ReadFile(dir + "/b.jpg"));
  int w = 0, h = 0;
  CDibImage image;
  EXPECT_TRUE(Probe(image, dir + "/a.JPEG", w, h));

  r = RunCli({"convert", main, "--quality=high", "--", dir + "/c.Bmp"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  r = RunCli({"probe", "--", dashed});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  r = RunCli({"build", main, "--dpi=abc", "-o", dir + "/d.bmp", "--", dashed});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_TRUE(Has(r.err, "invalid value 'abc' for --dpi")) << r.err;
  std::filesystem::current_path(previous);
}

TEST(CliConventions, ProgressIsOneLinePerTenPercentInALogAndNoneWhenQuiet) {
  const std::string dir = test::ScratchPath("progress");
  std::filesystem::create_directory(dir);
  const std::string main = SavedImage(dir + "/main.bmp", 60, 45);
  const std::string tile = SavedImage(dir + "/tile.bmp", 32, 24);
  const std::vector<std::string> args = {"build", main, tile, "--print-width", "4", "--dpi",
                                         "120", "--fraction", "1", "-o", dir + "/p.bmp"};
  auto r = RunCli(args);
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(Count(r.err, "Laying tiles . . .\n"), 1u) << r.err;
  for (int percent = 10; percent <= 90; percent += 10)
    EXPECT_EQ(Count(r.err, "Laying tiles . . . " + std::to_string(percent) + "%\n"), 1u)
        << percent << "\n" << r.err;

  std::vector<std::string> quiet = args;
  quiet.push_back("-q");
  r = RunCli(quiet);
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.err, "");
}

TEST(CliConventions, AFolderWithoutImagesSaysHowManyFilesItSkipped) {
  const std::string dir = test::ScratchPath("skipped");
  std::filesystem::create_directories(dir + "/texts/inner");
  const std::string main = SavedImage(dir + "/main.bmp", 60, 45);
  test::WriteFile(dir + "/texts/a.txt", test::Bytes(30, 'a'));
  test::WriteFile(dir + "/texts/b.txt", test::Bytes(30, 'b'));
  const auto r = RunCli({"build", main, "--tiles-dir", dir + "/texts", "-o", dir + "/p.bmp"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_TRUE(Has(r.err, dir + "/texts: no image that can be read here; 2 skipped (2 not images)")) << r.err;
}
