#include "formats/ImageFile.h"

#include <gtest/gtest.h>

#include "formats/BmpWriter.h"
#include "support/TestSupport.h"

namespace {

std::string SavedPattern(const std::string& name, int w, int h) {
  CDibImage image;
  test::Fill(image, w, h, test::Pattern);
  const std::string path = test::ScratchPath(name);
  if (WriteBmpFile(image, test::Target(path), nullptr) != SaveResult::kSaved) ADD_FAILURE() << "write failed";
  return path;
}

}  // namespace

TEST(ImageFile, ProbeReportsTheSizeAndLeavesThePixelsButNotTheirValidity) {
  const std::string path = SavedPattern("probe.bmp", 6, 4);
  CDibImage image;
  test::Fill(image, 2, 2, test::Pattern);
  const std::uint8_t* before = image.GetBits();
  int w = 0, h = 0;
  ASSERT_TRUE(Probe(image, path, w, h));
  EXPECT_EQ(w, 6);
  EXPECT_EQ(h, 4);
  EXPECT_EQ(image.GetBits(), before);
  EXPECT_EQ(image.GetWidth(), 2);
  EXPECT_FALSE(image.IsValid());
  EXPECT_EQ(image.GetFileName(), path);
}

TEST(ImageFile, FilesShorterThanTenBytesAreRefused) {
  const std::string path = test::ScratchPath("nine.bmp");
  test::WriteFile(path, {'B', 'M', 0, 0, 0, 0, 0, 0, 0});
  CDibImage image;
  int w, h;
  EXPECT_FALSE(Probe(image, path, w, h));
  EXPECT_FALSE(Load(image, path));
  EXPECT_FALSE(Load(image, test::ScratchPath("missing.bmp")));
}

TEST(ImageFile, UnknownFirstBytesAreRefusedWhateverTheName) {
  const std::string path = test::ScratchPath("picture.bmp");
  test::WriteFile(path, test::Bytes(64, 'P'));
  CDibImage image;
  int w, h;
  EXPECT_FALSE(Probe(image, path, w, h));
  EXPECT_FALSE(Load(image, path));
  const std::string text = test::ScratchPath("notes.txt");
  test::WriteFile(text, test::Bytes{'B', 'e', 'e', 's', ' ', 'b', 'u', 'z', 'z', ' ', '!', '\n'});
  EXPECT_FALSE(Probe(image, text, w, h));
}

TEST(ImageFile, TheNameDoesNotDecideTheFormat) {
  const std::string bmp = SavedPattern("really-a-bitmap.jpg", 3, 3);
  CDibImage image;
  ASSERT_TRUE(Load(image, bmp));
  EXPECT_EQ(test::PixelAt(image, 2, 2), test::Pattern(2, 2));
}

TEST(ImageFile, FailedLoadAfterAGoodOneLeavesTheImageEmpty) {
  CDibImage image;
  ASSERT_TRUE(Load(image, SavedPattern("good.bmp", 4, 4)));
  const std::string bad = test::ScratchPath("bad.bmp");
  test::WriteFile(bad, test::Bytes{'B', 'M', 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12});
  EXPECT_FALSE(Load(image, bad));
  EXPECT_FALSE(image.IsValid());
}

TEST(ImageFile, FormatNamesFollowTheFirstByte) {
  EXPECT_STREQ(FormatName('B'), "BMP");
  EXPECT_EQ(FormatName('Z'), nullptr);
}
