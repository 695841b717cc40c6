#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "formats/ImageFile.h"
#include "formats/JpegReader.h"
#include "support/TestSupport.h"

extern char** environ;

namespace {

using test::Bytes;

std::string JpegData(const std::string& name) { return std::string(TEST_DATA_DIR) + "/jpeg/" + name; }

// Runs a program found on PATH with its messages silenced; its exit code, or -1 when it could
// not be run.
int RunProgram(std::vector<std::string> args) {
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return -1;
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// A binary PGM or PPM picture as djpeg writes it: one or three samples per pixel, rows top down.
struct Pnm {
  int width = 0;
  int height = 0;
  int channels = 0;
  Bytes samples;
};

std::optional<Pnm> ReadPnm(const std::string& path) {
  const Bytes bytes = test::ReadFile(path);
  std::string header(bytes.begin(), bytes.begin() + std::min<std::size_t>(bytes.size(), 32));
  char kind = 0;
  int width = 0, height = 0, maxValue = 0, headerBytes = 0;
  if (std::sscanf(header.c_str(), "P%c %d %d %d%n", &kind, &width, &height, &maxValue,
                  &headerBytes) != 4 ||
      maxValue != 255 || (kind != '5' && kind != '6'))
    return std::nullopt;
  Pnm pnm{width, height, kind == '5' ? 1 : 3, {}};
  const std::size_t start = static_cast<std::size_t>(headerBytes) + 1;  // one whitespace byte
  const std::size_t count = static_cast<std::size_t>(width) * height * pnm.channels;
  if (bytes.size() < start + count) return std::nullopt;
  pnm.samples.assign(bytes.begin() + start, bytes.begin() + start + count);
  return pnm;
}

// The reference decode with the reader's settings: fast integer transform, no smoothing.
std::optional<Pnm> DecodeWithDjpeg(const std::string& jpegPath) {
  const std::string out =
      test::ScratchPath(std::filesystem::path(jpegPath).filename().string() + ".pnm");
  const int exitCode =
      RunProgram({"djpeg", "-dct", "fast", "-nosmooth", "-ppm", "-outfile", out, jpegPath});
  if (exitCode != 0 && exitCode != 2) return std::nullopt;  // 2: decoded with warnings
  return ReadPnm(out);
}

// Pixels of image that differ from the reference; grayscale samples stand for three equal
// bytes, colour samples are red, green, blue while the image holds blue, green, red.
int CountDifferences(const CDibImage& image, const Pnm& reference) {
  int differences = 0;
  const std::uint8_t* sample = reference.samples.data();
  for (int y = 0; y < reference.height; ++y)
    for (int x = 0; x < reference.width; ++x, sample += reference.channels) {
      const test::Bgr expected = reference.channels == 1
                                     ? test::Bgr{sample[0], sample[0], sample[0]}
                                     : test::Bgr{sample[2], sample[1], sample[0]};
      if (test::PixelAt(image, x, y) != expected) ++differences;
    }
  return differences;
}

void ExpectSameAsDjpeg(const std::string& path) {
  SCOPED_TRACE(path);
  const auto reference = DecodeWithDjpeg(path);
  ASSERT_TRUE(reference) << "djpeg (libjpeg-turbo-progs, see scripts/setup) could not decode it";
  CDibImage image;
  ASSERT_TRUE(Load(image, path));
  ASSERT_EQ(image.GetWidth(), reference->width);
  ASSERT_EQ(image.GetHeight(), reference->height);
  EXPECT_EQ(CountDifferences(image, *reference), 0);
}

Bytes WithoutEndOfImage(const Bytes& jpeg) { return Bytes(jpeg.begin(), jpeg.end() - 2); }

// Ink amounts, 255 for full ink.
struct Cmyk {
  std::uint8_t c, m, y, k;
};

enum class CmykFile {
  kPlain,  // ink amounts as they are, no Adobe marker
  kAdobe,  // Adobe marker, amounts stored inverted
  kYcck,   // Adobe marker, inverted amounts transformed to YCCK
};

// A 32 × 32 picture of four 16 × 16 patches (left to right, top to bottom) made with the
// library's compression side, which cjpeg does not offer for four components.
void WriteCmykJpeg(const std::string& path, CmykFile kind, const std::array<Cmyk, 4>& patches) {
  jpeg_compress_struct info{};
  jpeg_error_mgr error{};
  info.err = jpeg_std_error(&error);
  jpeg_create_compress(&info);
  std::FILE* file = std::fopen(path.c_str(), "wb");
  ASSERT_NE(file, nullptr);
  jpeg_stdio_dest(&info, file);
  info.image_width = 32;
  info.image_height = 32;
  info.input_components = 4;
  info.in_color_space = JCS_CMYK;
  jpeg_set_defaults(&info);
  jpeg_set_colorspace(&info, kind == CmykFile::kYcck ? JCS_YCCK : JCS_CMYK);
  info.write_Adobe_marker = kind != CmykFile::kPlain;
  jpeg_set_quality(&info, 100, TRUE);
  jpeg_start_compress(&info, TRUE);
  const bool inverted = kind != CmykFile::kPlain;
  std::array<JSAMPLE, 32 * 4> row{};
  for (int y = 0; y < 32; ++y) {
    for (int x = 0; x < 32; ++x) {
      const Cmyk ink = patches[(y / 16) * 2 + x / 16];
      const std::uint8_t values[4] = {ink.c, ink.m, ink.y, ink.k};
      for (int i = 0; i < 4; ++i)
        row[x * 4 + i] = static_cast<JSAMPLE>(inverted ? 255 - values[i] : values[i]);
    }
    JSAMPROW rowPointer = row.data();
    jpeg_write_scanlines(&info, &rowPointer, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  std::fclose(file);
}

// The screen colour of printed ink: each ink takes away its share of one primary, black of all.
test::Bgr ScreenColor(const Cmyk& ink) {
  const auto left = [&](std::uint8_t amount) {
    return static_cast<std::uint8_t>(((255 - amount) * (255 - ink.k) + 127) / 255);
  };
  return {left(ink.y), left(ink.m), left(ink.c)};
}

}  // namespace

TEST(JpegReader, DecodesEveryWellFormedFileLikeTheReferenceDecoder) {
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(std::string(TEST_DATA_DIR) + "/jpeg"))
    if (entry.path().extension() == ".jpg") {
      ExpectSameAsDjpeg(entry.path().string());
      ++files;
    }
  EXPECT_GE(files, 13);
}

TEST(JpegReader, GrayscaleBecomesThreeEqualBytes) {
  CDibImage image;
  ASSERT_TRUE(Load(image, JpegData("gray_37x23.jpg")));
  ASSERT_TRUE(image.Is24Bit());
  int distinctLevels = 0, last = -1;
  for (int y = 0; y < image.GetHeight(); ++y)
    for (int x = 0; x < image.GetWidth(); ++x) {
      const test::Bgr p = test::PixelAt(image, x, y);
      ASSERT_EQ(p[0], p[1]);
      ASSERT_EQ(p[1], p[2]);
      if (p[0] != last) ++distinctLevels, last = p[0];
    }
  EXPECT_GT(distinctLevels, 10);  // a real picture, not one flat grey
}

TEST(JpegReader, ProbeReportsTheFrameSizeAndLeavesTheImageEmpty) {
  CDibImage image;
  ASSERT_TRUE(Load(image, JpegData("ycc422_37x23.jpg")));
  int width = 0, height = 0;
  ASSERT_TRUE(Probe(image, JpegData("progressive_64x48.jpg"), width, height));
  EXPECT_EQ(width, 64);
  EXPECT_EQ(height, 48);
  EXPECT_FALSE(image.IsValid());
  EXPECT_EQ(image.GetWidth(), 37);  // the pixels of the earlier picture are not touched
}

TEST(JpegReader, BothOperationsCloseTheFileAndReadCountsRows) {
  CDibImage image;
  image.SetFileName(JpegData("ycc420_37x23.jpg"));
  int width = 0, height = 0;
  ASSERT_TRUE(image.OpenFile());
  EXPECT_TRUE(ProbeJpegFile(image, width, height));
  EXPECT_EQ(image.GetOpenFile(), nullptr);

  ASSERT_TRUE(image.OpenFile());
  ReadJpegFile(image);
  EXPECT_EQ(image.GetOpenFile(), nullptr);
  EXPECT_TRUE(image.IsValid());
  EXPECT_EQ(image.m_currentRow, 23);
}

TEST(JpegReader, FileStartingWithFFThatIsNoJpegIsRefused) {
  const std::string path = test::ScratchPath("not-a-jpeg.jpg");
  test::WriteFile(path, {0xFF, 'n', 'o', 't', ' ', 'a', ' ', 'J', 'P', 'E', 'G', ' ', 'f', 'i', 'l', 'e'});
  CDibImage image;
  ASSERT_TRUE(Load(image, JpegData("tiny_1x1.jpg")));
  int width = -1, height = -1;
  EXPECT_FALSE(Probe(image, path, width, height));
  EXPECT_FALSE(Load(image, path));
  EXPECT_FALSE(image.IsValid());

  // Direct calls: nothing created, the file closed.
  CDibImage fresh;
  fresh.SetFileName(path);
  ASSERT_TRUE(fresh.OpenFile());
  ReadJpegFile(fresh);
  EXPECT_EQ(fresh.GetBits(), nullptr);
  EXPECT_EQ(fresh.GetOpenFile(), nullptr);
}

TEST(JpegReader, FileCutInsideTheEntropyDataLoadsAtFullSize) {
  const Bytes whole = test::ReadFile(JpegData("restart_64x48.jpg"));
  const std::size_t dataStart = std::string(whole.begin(), whole.end()).find("\xFF\xDA") + 20;
  for (const std::size_t cut : {dataStart, (dataStart + whole.size()) / 2, whole.size() - 10}) {
    SCOPED_TRACE(cut);
    const std::string path = test::ScratchPath("cut-" + std::to_string(cut) + ".jpg");
    test::WriteFile(path, Bytes(whole.begin(), whole.begin() + cut));
    CDibImage image;
    ASSERT_TRUE(Load(image, path));
    EXPECT_EQ(image.GetWidth(), 64);
    EXPECT_EQ(image.GetHeight(), 48);
    // The library fills what is missing exactly as the reference decoder does.
    ExpectSameAsDjpeg(path);
  }
}

TEST(JpegReader, ErrorAfterThePixelsExistKeepsThePicture) {
  // A second frame header after the scan is a library error, met only once every row is decoded.
  const Bytes good = test::ReadFile(JpegData("ycc420_37x23.jpg"));
  const std::string goodText(good.begin(), good.end());
  const std::size_t sof = goodText.find("\xFF\xC0");
  ASSERT_NE(sof, std::string::npos);
  const std::size_t sofBytes = 2 + (good[sof + 2] << 8 | good[sof + 3]);
  Bytes bad = WithoutEndOfImage(good);
  bad.insert(bad.end(), good.begin() + sof, good.begin() + sof + sofBytes);
  bad.insert(bad.end(), {0xFF, 0xD9});
  const std::string path = test::ScratchPath("two-frame-headers.jpg");
  test::WriteFile(path, bad);

  CDibImage expected, image;
  ASSERT_TRUE(Load(expected, JpegData("ycc420_37x23.jpg")));
  ASSERT_TRUE(Load(image, path));
  EXPECT_TRUE(test::SamePixels(image, expected));
}

TEST(JpegReader, FourComponentFilesGiveTheirScreenColours) {
  const std::array<Cmyk, 4> patches = {Cmyk{0, 255, 255, 0}, Cmyk{255, 0, 255, 0},
                                       Cmyk{255, 255, 0, 0}, Cmyk{0, 128, 255, 64}};
  for (const CmykFile kind : {CmykFile::kPlain, CmykFile::kAdobe, CmykFile::kYcck}) {
    SCOPED_TRACE(static_cast<int>(kind));
    const std::string path = test::ScratchPath("cmyk-" + std::to_string(static_cast<int>(kind)) + ".jpg");
    WriteCmykJpeg(path, kind, patches);
    CDibImage image;
    int width = 0, height = 0;
    ASSERT_TRUE(Probe(image, path, width, height));
    ASSERT_TRUE(Load(image, path));
    ASSERT_EQ(image.GetWidth(), 32);
    int worst = 0;
    for (int y = 0; y < 32; ++y)
      for (int x = 0; x < 32; ++x) {
        const test::Bgr expected = ScreenColor(patches[(y / 16) * 2 + x / 16]);
        const test::Bgr actual = test::PixelAt(image, x, y);
        for (int i = 0; i < 3; ++i) worst = std::max(worst, std::abs(actual[i] - expected[i]));
      }
    EXPECT_LE(worst, 3);
  }
}

TEST(JpegReader, ComponentCountsWithoutAColourMeaningAreRefused) {
  const std::string path = test::ScratchPath("two-components.jpg");
  {
    jpeg_compress_struct info{};
    jpeg_error_mgr error{};
    info.err = jpeg_std_error(&error);
    jpeg_create_compress(&info);
    std::FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    jpeg_stdio_dest(&info, file);
    info.image_width = 8;
    info.image_height = 8;
    info.input_components = 2;
    info.in_color_space = JCS_UNKNOWN;
    jpeg_set_defaults(&info);
    jpeg_start_compress(&info, TRUE);
    std::array<JSAMPLE, 16> row{};
    JSAMPROW rowPointer = row.data();
    for (int y = 0; y < 8; ++y) jpeg_write_scanlines(&info, &rowPointer, 1);
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::fclose(file);
  }
  CDibImage image;
  int width = 0, height = 0;
  EXPECT_FALSE(Probe(image, path, width, height));
  EXPECT_FALSE(Load(image, path));
}

TEST(JpegReader, ProgressiveFileWithThousandsOfScansIsRefused) {
  // Repeating the last scan keeps the file decodable (the library only warns), but every scan
  // costs a pass over the whole picture.
  const Bytes good = test::ReadFile(JpegData("progressive_64x48.jpg"));
  const std::string goodText(good.begin(), good.end());
  const std::size_t lastScan = goodText.rfind("\xFF\xDA");
  const Bytes scan(good.begin() + lastScan, good.end() - 2);
  const auto withExtraScans = [&](int extra) {
    Bytes bytes = WithoutEndOfImage(good);
    for (int i = 0; i < extra; ++i) bytes.insert(bytes.end(), scan.begin(), scan.end());
    bytes.insert(bytes.end(), {0xFF, 0xD9});
    const std::string path = test::ScratchPath("scans-" + std::to_string(extra) + ".jpg");
    test::WriteFile(path, bytes);
    return path;
  };
  CDibImage image;
  EXPECT_TRUE(Load(image, withExtraScans(400)));  // ten scans of its own: 410 in all
  EXPECT_FALSE(Load(image, withExtraScans(600)));
}
