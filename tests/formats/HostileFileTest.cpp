// Files a hostile or careless user hands the readers: pipes, folders, links, foreign formats
// and pictures cut short.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "formats/BmpWriter.h"
#include "formats/FileRefusal.h"
#include "formats/ImageFile.h"
#include "formats/InputFile.h"
#include "support/TestSupport.h"

namespace {

std::string SavedPattern(const std::string& name, int w, int h) {
  CDibImage image;
  test::Fill(image, w, h, test::Pattern);
  const std::string path = test::ScratchPath(name);
  if (WriteBmpFile(image, test::Target(path), nullptr) != SaveResult::kSaved) ADD_FAILURE() << "write failed";
  return path;
}

test::Bytes Padded(std::string head) {
  head.resize(64, '\0');
  return test::Bytes(head.begin(), head.end());
}

// A copy of path without its last `cut` bytes.
std::string CutShort(const std::string& path, const std::string& name, std::size_t cut) {
  test::Bytes bytes = test::ReadFile(path);
  bytes.resize(bytes.size() - cut);
  const std::string copy = test::ScratchPath(name);
  test::WriteFile(copy, bytes);
  return copy;
}

}  // namespace

TEST(HostileFiles, PipesFoldersAndLinksAreRefusedAtOnceWithTheirCause) {
  const std::string fifo = test::ScratchPath("pipe.jpg");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const std::string folder = test::ScratchPath("folder.bmp");
  std::filesystem::create_directory(folder);
  const std::string loop = test::ScratchPath("loop.bmp");
  std::filesystem::create_symlink(loop, loop);
  const std::string image = SavedPattern("real.bmp", 3, 2);

  // A pipe with no writer would hold an ordinary open for ever: the alarm ends such a test.
  alarm(10);
  CDibImage scratch;
  int w = 0, h = 0;
  for (const std::string& path : {fifo, folder, loop, image + "/inside.bmp"}) {
    EXPECT_FALSE(Probe(scratch, path, w, h)) << path;
    EXPECT_FALSE(Load(scratch, path)) << path;
  }
  alarm(0);
  EXPECT_EQ(DescribeRefusal(fifo), "not a regular file (a named pipe, a device or a socket)");
  EXPECT_EQ(DescribeRefusal(folder), "is a folder");
  EXPECT_EQ(DescribeRefusal(loop), "too many levels of symbolic links");
  EXPECT_EQ(DescribeRefusal(image + "/inside.bmp"), "not a folder");
  EXPECT_EQ(DescribeRefusal(test::ScratchPath("missing.bmp")), "no such file");
  EXPECT_EQ(DescribeRefusal("/dev/null"), "not a regular file (a named pipe, a device or a socket)");

  // A link to a real image reads the image.
  const std::string link = test::ScratchPath("link.bmp");
  std::filesystem::create_symlink(image, link);
  ASSERT_TRUE(Probe(scratch, link, w, h));
  EXPECT_EQ(w, 3);
}

TEST(HostileFiles, ForeignFormatsAreNamedAndOtherRefusalsSayWhy) {
  for (const std::string& head : {std::string("II*\0", 4), std::string("MM\0*", 4)}) {
    const std::string path = test::ScratchPath("foreign.tif");
    test::WriteFile(path, Padded(head));
    EXPECT_EQ(DescribeRefusal(path), "a TIFF image, a format that cannot be read here");
  }
  // Formats that are read here but whose data is broken are called damaged, not foreign.
  const std::pair<std::string, std::string> readHeads[] = {
      {std::string("\x89PNG\r\n\x1a\n", 8), "png"},
      {std::string("RIFF\x10\0\0\0WEBPVP8 ", 16), "webp"},
      {std::string("\0\0\0\x18" "ftypheic", 12), "heic"},
      {std::string("\0\0\0\x1c" "ftypavif", 12), "avif"},
  };
  for (const auto& [head, extension] : readHeads) {
    const std::string path = test::ScratchPath("broken." + extension);
    test::WriteFile(path, Padded(head));
    EXPECT_EQ(DescribeRefusal(path), "the image is damaged or of a kind that cannot be read here")
        << extension;
  }
  const std::string video = test::ScratchPath("video.mp4");
  test::WriteFile(video, Padded(std::string("\0\0\0\x18" "ftypisom", 12)));
  EXPECT_EQ(DescribeRefusal(video), "not an image of a format that can be read here");

  const std::string nine = test::ScratchPath("nine.gif");
  test::WriteFile(nine, {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1});
  EXPECT_EQ(DescribeRefusal(nine), "too short to be an image");
  const std::string text = std::string(TEST_DATA_DIR) + "/bad/text_starting_with_B.txt";
  EXPECT_EQ(DescribeRefusal(text), "the image is damaged or of a kind that cannot be read here");
}

TEST(HostileFiles, PicturesCutShortLoadButSayTheyAreNotWhole) {
  const std::string bmp = SavedPattern("whole.bmp", 16, 12);
  const std::string jpeg = std::string(TEST_DATA_DIR) + "/jpeg/progressive_64x48.jpg";
  const std::string gif = std::string(TEST_DATA_DIR) + "/gif/multi_image.gif";
  CDibImage image;
  for (const std::string& whole : {bmp, jpeg, std::string(TEST_DATA_DIR) + "/jpeg/rgb_24x16.jpg"}) {
    ASSERT_TRUE(Load(image, whole)) << whole;
    EXPECT_TRUE(LoadedWhole(image)) << whole;
  }
  ASSERT_TRUE(Load(image, gif));
  EXPECT_TRUE(LoadedWhole(image));

  const std::string cutBmp = CutShort(bmp, "cut.bmp", 100);
  const std::string cutJpeg = CutShort(std::string(TEST_DATA_DIR) + "/jpeg/rgb_24x16.jpg", "cut.jpg", 200);
  const std::string cutProgressive = CutShort(jpeg, "cutp.jpg", 300);
  for (const std::string& cut : {cutBmp, cutJpeg, cutProgressive}) {
    ASSERT_TRUE(Load(image, cut)) << cut;
    EXPECT_FALSE(LoadedWhole(image)) << cut;
  }
  // The flag belongs to one load: a whole file read next is whole again.
  ASSERT_TRUE(Load(image, bmp));
  EXPECT_TRUE(LoadedWhole(image));
}

TEST(HostileFiles, BombsAreRefusedBeforeTheirPictureIsAllocatedAndHugeOnesSaySo) {
  // 44 bytes of lossless WebP declaring 16383 x 16383 pixels, with no data for a single row.
  std::string webp("RIFF\x24\0\0\0WEBPVP8L\x18\0\0\0\x2f", 21);
  const std::uint32_t sides = 16382u | 16382u << 14;
  for (int shift = 0; shift < 32; shift += 8) webp.push_back(static_cast<char>(sides >> shift & 0xFF));
  webp.resize(44, '\0');
  const std::string bomb = test::ScratchPath("bomb.webp");
  test::WriteFile(bomb, test::Bytes(webp.begin(), webp.end()));
  CDibImage image;
  int width = 0, height = 0;
  EXPECT_FALSE(Probe(image, bomb, width, height));
  EXPECT_FALSE(Load(image, bomb));
  EXPECT_EQ(DescribeRefusal(bomb), "the image is damaged or of a kind that cannot be read here");

  // 51 bytes of PNG declaring 65535 x 65535 pixels, its data ending before the first row.
  const std::string pngBomb = test::ScratchPath("bomb.png");
  const char kPngBomb[] =
      "\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR\0\0\xff\xff\0\0\xff\xff\x08\x02\0\0\0\x39\x67\x4e\x07"
      "\0\0\0\x06IDAT\x78\x9c\x63\x60\x80\x01\xee\xb1\x67\x6d";
  test::WriteFile(pngBomb, test::Bytes(kPngBomb, kPngBomb + sizeof kPngBomb - 1));
  EXPECT_FALSE(Load(image, pngBomb));
  EXPECT_FALSE(image.IsValid());

  // A PNG header declaring 100,000 pixels across is too large, not damaged.
  std::string png("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR\0\x01\x86\xa0\0\0\0\x14\x08\x02\0\0\0", 29);
  png.resize(64, '\0');
  const std::string wide = test::ScratchPath("wide.png");
  test::WriteFile(wide, test::Bytes(png.begin(), png.end()));
  EXPECT_FALSE(Probe(image, wide, width, height));
  EXPECT_EQ(DescribeRefusal(wide),
            "too large: 100,000 x 20 pixels, more than can be read here (65,535 at most on each side)");
}

TEST(HostileFiles, APicturePastTheAreaLimitIsTooLargeWithItsSize) {
  // A one-bit PNG of 40,000 x 30,000 pixels, each side allowed, with bytes enough to inflate to
  // it: 1.2 gigapixels are past the area limit.
  std::string png("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR\0\0\x9c\x40\0\0\x75\x30\x01\0\0\0\0"
                  "\xe4\x6d\xdd\xad", 33);
  png.resize(256 * 1024, '\0');
  const std::string huge = test::ScratchPath("huge.png");
  test::WriteFile(huge, test::Bytes(png.begin(), png.end()));
  CDibImage image;
  int width = 0, height = 0;
  EXPECT_FALSE(Probe(image, huge, width, height));
  EXPECT_TRUE(ProbeDeclaredSize(image, huge, width, height));
  EXPECT_FALSE(Load(image, huge));
  EXPECT_EQ(DescribeRefusal(huge),
            "too large: 40,000 x 30,000 pixels, more than can be read here (1,073,741,824 pixels "
            "at most)");
}
