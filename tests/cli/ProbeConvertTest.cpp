#include <gtest/gtest.h>

#include "formats/BmpWriter.h"
#include "formats/ImageFile.h"
#include "support/TestSupport.h"

using test::RunCli;

namespace {

std::string SavedPattern(const std::string& name, int w, int h) {
  CDibImage image;
  test::Fill(image, w, h, test::Pattern);
  const std::string path = test::ScratchPath(name);
  EXPECT_EQ(WriteBmpFile(image, test::Target(path), nullptr), SaveResult::kSaved);
  return path;
}

}  // namespace

TEST(CliProbe, PrintsOneLinePerFileAndFailsIfAnyIsRefused) {
  const std::string a = SavedPattern("a.bmp", 7, 3);
  const std::string junk = test::ScratchPath("junk.bmp");
  test::WriteFile(junk, test::Bytes(20, 'x'));
  auto r = RunCli({"probe", a});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out, a + ": 7 x 3 BMP\n");

  r = RunCli({"probe", a, junk});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.out, a + ": 7 x 3 BMP\n");
  EXPECT_NE(r.err.find(junk), std::string::npos);

  EXPECT_EQ(RunCli({"probe"}).exitCode, 2);
  EXPECT_EQ(RunCli({"frobnicate"}).exitCode, 2);
}

TEST(CliConvert, WritesTheSamePictureAndRefusesBadInput) {
  const std::string in = SavedPattern("in.bmp", 9, 4);
  const std::string out = test::ScratchPath("out.BMP");
  auto r = RunCli({"convert", in, out});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  CDibImage original, converted;
  ASSERT_TRUE(Load(original, in));
  ASSERT_TRUE(Load(converted, out));
  EXPECT_TRUE(test::SamePixels(original, converted));

  const std::string missing = test::ScratchPath("missing.bmp");
  r = RunCli({"convert", missing, test::ScratchPath("never.bmp")});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_FALSE(test::Exists(test::ScratchPath("never.bmp")));

  // The extension of the output chooses the format; others are refused before any reading.
  r = RunCli({"convert", in, test::ScratchPath("out.gif")});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_NE(r.err.find(".JPG"), std::string::npos);
}
