#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// After <cstdio>: the library header uses FILE and size_t without declaring them.
#include <jpeglib.h>

#include "formats/ImageFile.h"
#include "formats/JpegReader.h"
#include "formats/RowRecorder.h"
#include "support/TestSupport.h"

extern char** environ;

namespace {

using test::Bytes;

std::string JpegData(const std::string& name) {
  return std::string(TEST_DATA_DIR) + "/jpeg/" + name;
}

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

// Pixels of image that differ from the reference. A grayscale sample stands for three equal
// bytes; colour samples are red, green, blue while the image holds blue, green, red.
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

// The file with extra, a run of whole segments, inserted before its end-of-image marker.
std::string Spliced(const std::string& jpegName, const Bytes& extra, int copies) {
  const Bytes good = test::ReadFile(JpegData(jpegName));
  Bytes bytes(good.begin(), good.end() - 2);
  for (int i = 0; i < copies; ++i) bytes.insert(bytes.end(), extra.begin(), extra.end());
  bytes.insert(bytes.end(), {0xFF, 0xD9});
  const std::string path = test::ScratchPath(jpegName + "-" + std::to_string(copies) + ".jpg");
  test::WriteFile(path, bytes);
  return path;
}

// The bytes of the segment that starts with the first (or last) given marker, up to the next
// end-of-image marker or the segment's stated length.
Bytes Segment(const std::string& jpegName, const char* marker, bool last) {
  const Bytes good = test::ReadFile(JpegData(jpegName));
  const std::string text(good.begin(), good.end());
  const std::size_t at = last ? text.rfind(marker) : text.find(marker);
  const std::size_t end = last ? good.size() - 2 : at + 2 + (good[at + 2] << 8 | good[at + 3]);
  return Bytes(good.begin() + at, good.begin() + end);
}

// Ink amounts, 255 for full ink.
struct Cmyk {
  std::uint8_t c, m, y, k;
};

// Writes a 32 × 32 picture with the library's compression side, which offers what cjpeg does
// not: sample(x, y, i) gives component i of every pixel.
void WriteWithLibrary(const std::string& path, int components, J_COLOR_SPACE fileSpace,
                      bool adobeMarker, const std::function<JSAMPLE(int, int, int)>& sample) {
  jpeg_compress_struct info{};
  jpeg_error_mgr error{};
  info.err = jpeg_std_error(&error);
  jpeg_create_compress(&info);
  std::FILE* file = std::fopen(path.c_str(), "wb");
  ASSERT_NE(file, nullptr);
  jpeg_stdio_dest(&info, file);
  info.image_width = info.image_height = 32;
  info.input_components = components;
  info.in_color_space = components == 4 ? JCS_CMYK : JCS_UNKNOWN;
  jpeg_set_defaults(&info);
  jpeg_set_colorspace(&info, fileSpace);
  info.write_Adobe_marker = adobeMarker;
  jpeg_set_quality(&info, 100, TRUE);
  jpeg_start_compress(&info, TRUE);
  std::vector<JSAMPLE> row(32 * components);
  for (int y = 0; y < 32; ++y) {
    for (int x = 0; x < 32; ++x)
      for (int i = 0; i < components; ++i) row[x * components + i] = sample(x, y, i);
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
  for (const auto& entry :
       std::filesystem::directory_iterator(std::string(TEST_DATA_DIR) + "/jpeg"))
    if (entry.path().extension() == ".jpg") {
      ExpectSameAsDjpeg(entry.path().string());
      ++files;
    }
  EXPECT_GE(files, 13);
}

TEST(JpegReader, ProbeReportsTheFrameSizeAndBothOperationsCloseTheFile) {
  CDibImage image;
  image.SetFileName(JpegData("progressive_64x48.jpg"));
  int width = 0, height = 0;
  ASSERT_TRUE(image.OpenFile());
  EXPECT_TRUE(ProbeJpegFile(image, width, height));
  EXPECT_EQ(width, 64);
  EXPECT_EQ(height, 48);
  EXPECT_EQ(image.GetOpenFile(), nullptr);

  ASSERT_TRUE(image.OpenFile());
  ReadJpegFile(image);
  EXPECT_EQ(image.GetOpenFile(), nullptr);
  EXPECT_TRUE(image.IsValid());
  EXPECT_EQ(image.m_currentRow, 48);
}

TEST(JpegReader, FileStartingWithFFThatIsNoJpegIsRefused) {
  const std::string path = test::ScratchPath("not-a-jpeg.jpg");
  const std::string text = "\xFFnot a JPEG file";
  test::WriteFile(path, Bytes(text.begin(), text.end()));
  CDibImage image;
  int width = -1, height = -1;
  EXPECT_FALSE(Probe(image, path, width, height));
  EXPECT_FALSE(Load(image, path));
  EXPECT_EQ(image.GetBits(), nullptr);
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
  const std::string path =
      Spliced("ycc420_37x23.jpg", Segment("ycc420_37x23.jpg", "\xFF\xC0", false), 1);
  CDibImage expected, image;
  ASSERT_TRUE(Load(expected, JpegData("ycc420_37x23.jpg")));
  ASSERT_TRUE(Load(image, path));
  EXPECT_TRUE(test::SamePixels(image, expected));
}

TEST(JpegReader, FourComponentFilesGiveTheirScreenColours) {
  // Four 16 × 16 patches: red, green, blue and an orange darkened by black.
  const std::array<Cmyk, 4> patches = {Cmyk{0, 255, 255, 0}, Cmyk{255, 0, 255, 0},
                                       Cmyk{255, 255, 0, 0}, Cmyk{0, 128, 255, 64}};
  const auto patchAt = [&](int x, int y) { return patches[(y / 16) * 2 + x / 16]; };
  // Plain files hold ink amounts; Adobe's hold them inverted, in CMYK or transformed to YCCK.
  for (const auto& [space, adobe] :
       {std::pair{JCS_CMYK, false}, std::pair{JCS_CMYK, true}, std::pair{JCS_YCCK, true}}) {
    SCOPED_TRACE(std::to_string(space) + (adobe ? " Adobe" : " plain"));
    const std::string path = test::ScratchPath("cmyk-" + std::to_string(space + adobe) + ".jpg");
    WriteWithLibrary(path, 4, space, adobe, [&](int x, int y, int i) {
      const Cmyk ink = patchAt(x, y);
      const std::uint8_t amount = i == 0 ? ink.c : i == 1 ? ink.m : i == 2 ? ink.y : ink.k;
      return static_cast<JSAMPLE>(adobe ? 255 - amount : amount);
    });
    CDibImage image;
    ASSERT_TRUE(Load(image, path));
    ASSERT_EQ(image.GetWidth(), 32);
    int worst = 0;
    for (int y = 0; y < 32; ++y)
      for (int x = 0; x < 32; ++x) {
        const test::Bgr expected = ScreenColor(patchAt(x, y)), actual = test::PixelAt(image, x, y);
        for (int i = 0; i < 3; ++i) worst = std::max(worst, std::abs(actual[i] - expected[i]));
      }
    EXPECT_LE(worst, 3);
  }
}

TEST(JpegReader, ComponentCountsWithoutAColourMeaningAreRefused) {
  const std::string path = test::ScratchPath("two-components.jpg");
  WriteWithLibrary(path, 2, JCS_UNKNOWN, false, [](int x, int, int) { return JSAMPLE(x); });
  CDibImage image;
  int width = 0, height = 0;
  EXPECT_FALSE(Probe(image, path, width, height));
  EXPECT_FALSE(Load(image, path));
}

TEST(JpegReader, ProgressiveFileWithHundredsOfScansIsRefused) {
  // Repeating the last scan keeps the file decodable (the library only warns), but every scan
  // costs a pass over the whole picture.
  const Bytes scan = Segment("progressive_64x48.jpg", "\xFF\xDA", true);
  CDibImage image;
  EXPECT_TRUE(Load(image, Spliced("progressive_64x48.jpg", scan, 400)));  // 410 scans in all
  EXPECT_FALSE(Load(image, Spliced("progressive_64x48.jpg", scan, 600)));
}

// A tile's rows go to the shaping as they are decoded: they must be the loaded picture's rows,
// and a file cut short or failing late must count as incomplete in the same way.
TEST(JpegReader, RowsHandedOverAreThoseOfTheLoadedPicture) {
  std::vector<std::string> files;
  for (const auto& entry : std::filesystem::directory_iterator(std::string(TEST_DATA_DIR) + "/jpeg"))
    if (entry.path().extension() == ".jpg") files.push_back(entry.path().string());
  const Bytes restart = test::ReadFile(JpegData("restart_64x48.jpg"));
  const std::string cut = test::ScratchPath("rows-cut.jpg");
  test::WriteFile(cut, Bytes(restart.begin(), restart.begin() + restart.size() / 2));
  files.push_back(cut);
  files.push_back(Spliced("ycc420_37x23.jpg", Segment("ycc420_37x23.jpg", "\xFF\xC0", false), 1));
  const std::string cmyk = test::ScratchPath("rows-cmyk.jpg");
  WriteWithLibrary(cmyk, 4, JCS_YCCK, true, [](int x, int y, int i) { return JSAMPLE(x * 7 + y * 3 + i * 50); });
  files.push_back(cmyk);
  for (const std::string& file : files) {
    SCOPED_TRACE(file);
    CDibImage loaded, holder;
    ASSERT_TRUE(Load(loaded, file));
    test::RowRecorder recorder;
    const LoadOutcome outcome = LoadOrStream(holder, file, LoadOptions{}, recorder);
    ASSERT_EQ(outcome.delivery, Delivery::kRows);
    EXPECT_FALSE(holder.IsValid());
    EXPECT_EQ(outcome.whole, LoadedWhole(loaded) != FALSE);
    EXPECT_LE(recorder.rowsTaken, loaded.GetHeight());
    EXPECT_TRUE(test::SamePixels(recorder.picture, loaded));
  }
}

TEST(JpegReader, DeclinedRowsAreLoadedIntoTheImage) {
  CDibImage image, expected;
  test::RowRecorder decliner(false);
  const LoadOutcome outcome = LoadOrStream(image, JpegData("gray_37x23.jpg"), LoadOptions{}, decliner);
  EXPECT_EQ(decliner.accepted, 1);
  EXPECT_EQ(outcome.delivery, Delivery::kImage);
  EXPECT_TRUE(outcome.whole);
  ASSERT_TRUE(Load(expected, JpegData("gray_37x23.jpg")));
  EXPECT_TRUE(test::SamePixels(image, expected));
  EXPECT_EQ(LoadOrStream(image, test::ScratchPath("no-such.jpg"), LoadOptions{}, decliner).delivery,
            Delivery::kNone);
}
