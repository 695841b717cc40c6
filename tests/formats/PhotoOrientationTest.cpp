// Photos stored turned or mirrored, with the orientation in an EXIF block (JPEG APP1, PNG
// eXIf): probe and load deliver them upright unless told to read them as stored.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>
#include <libheif/heif.h>
#include <spng.h>

#include <algorithm>
#include <cstdlib>
#include <memory>

#include "formats/ExifOrientation.h"
#include "formats/ImageFile.h"
#include "formats/JpegWriter.h"
#include "image/Orientation.h"
#include "formats/RowRecorder.h"
#include "support/TestSupport.h"
#include "support/ToolImages.h"

namespace {

using test::Bytes;
using test::ExifBlock;

// "o6.png" and the like, one file per orientation.
std::string FileName(int orientation, const char* ending) {
  std::string name = "o";
  name += std::to_string(orientation);
  name += ending;
  return name;
}

// A JPEG of the pattern with an APP1 EXIF segment right after the start marker.
std::string TaggedJpeg(const std::string& name, int w, int h, int orientation, bool bigEndian) {
  CDibImage image;
  test::Fill(image, w, h, test::Pattern);
  const std::string plain = test::ScratchPath("plain-" + name);
  EXPECT_EQ(WriteJpegFile(image, test::Target(plain), kJpegQualityHigh, nullptr), SaveResult::kSaved);
  const std::string path = test::ScratchPath(name);
  test::WriteFile(path, test::WithExifSegment(test::ReadFile(plain), ExifBlock(orientation, bigEndian)));
  return path;
}

// A PNG of the pattern with an eXIf chunk, through the library's encoder.
std::string TaggedPng(const std::string& name, int w, int h, int orientation) {
  Bytes pixels;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const test::Bgr p = test::Pattern(x, y);
      pixels.insert(pixels.end(), {p[2], p[1], p[0]});
    }
  Bytes block = ExifBlock(orientation, true);
  std::unique_ptr<spng_ctx, void (*)(spng_ctx*)> ctx(spng_ctx_new(SPNG_CTX_ENCODER), spng_ctx_free);
  spng_ihdr ihdr{static_cast<std::uint32_t>(w), static_cast<std::uint32_t>(h), 8,
                 SPNG_COLOR_TYPE_TRUECOLOR, 0, 0, 0};
  spng_exif exif{block.size(), reinterpret_cast<char*>(block.data())};
  const std::string path = test::ScratchPath(name);
  std::FILE* file = std::fopen(path.c_str(), "wb");
  EXPECT_NE(file, nullptr);
  spng_set_png_file(ctx.get(), file);
  spng_set_ihdr(ctx.get(), &ihdr);
  EXPECT_EQ(spng_set_exif(ctx.get(), &exif), 0);
  EXPECT_EQ(spng_encode_image(ctx.get(), pixels.data(), pixels.size(), SPNG_FMT_PNG,
                              SPNG_ENCODE_FINALIZE), 0);
  ctx.reset();
  std::fclose(file);
  return path;
}

// A HEIC file of four coloured quadrants, stored as coded and marked with the orientation,
// which the library's encoder writes as rotation and mirroring boxes.
// The encoder library keeps a few blocks to the end of the process, which the leak checker of
// the sanitizer build would count against the test: the file is made in a child process that
// ends without the exit handlers.
bool EncodeTaggedHeic(const std::string& path, int w, int h, int orientation);

std::string TaggedHeic(const std::string& name, int w, int h, int orientation) {
  const std::string path = test::ScratchPath(name);
  const pid_t child = fork();
  if (child == 0) _exit(EncodeTaggedHeic(path, w, h, orientation) ? 0 : 1);
  int status = -1;
  waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << name;
  return path;
}

bool EncodeTaggedHeic(const std::string& path, int w, int h, int orientation) {
  heif_image* picture = nullptr;
  if (heif_image_create(w, h, heif_colorspace_RGB, heif_chroma_interleaved_RGB, &picture).code !=
          heif_error_Ok ||
      heif_image_add_plane(picture, heif_channel_interleaved, w, h, 8).code != heif_error_Ok)
    return false;
  int stride = 0;
  std::uint8_t* rows = heif_image_get_plane(picture, heif_channel_interleaved, &stride);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      std::uint8_t* p = rows + y * stride + x * 3;
      p[0] = x < w / 2 ? 230 : 20;  // red on the left
      p[1] = y < h / 2 ? 220 : 30;  // green at the top
      p[2] = 120;
    }
  heif_context* ctx = heif_context_alloc();
  heif_encoder* encoder = nullptr;
  if (heif_context_get_encoder_for_format(ctx, heif_compression_HEVC, &encoder).code != heif_error_Ok)
    return false;
  heif_encoder_set_lossy_quality(encoder, 95);
  heif_encoding_options* options = heif_encoding_options_alloc();
  options->image_orientation = static_cast<heif_orientation>(orientation);
  return heif_context_encode_image(ctx, picture, encoder, options, nullptr).code == heif_error_Ok &&
         heif_context_write_to_file(ctx, path.c_str()).code == heif_error_Ok;
}

// Probe and load of file give the upright form of what the stored reading gives, and the
// stored reading with turnUpright off.
void ExpectUpright(const std::string& file, int orientation) {
  CDibImage stored, upright;
  const LoadOptions asStored{false};
  int w = 0, h = 0, uw = 0, uh = 0;
  ASSERT_TRUE(Probe(stored, file, w, h, asStored));
  ASSERT_TRUE(Load(stored, file, asStored));
  EXPECT_EQ(stored.GetWidth(), w);
  ASSERT_TRUE(Probe(upright, file, uw, uh));
  ASSERT_TRUE(Load(upright, file));
  const bool swapped = orientation >= 5;
  EXPECT_EQ(uw, swapped ? h : w) << orientation;
  EXPECT_EQ(uh, swapped ? w : h) << orientation;
  CDibImage expected;
  test::Fill(expected, w, h, [&](int x, int y) { return test::PixelAt(stored, x, y); });
  ASSERT_TRUE(TurnUpright(expected, orientation));
  EXPECT_TRUE(test::SamePixels(upright, expected)) << file;
}

}  // namespace

TEST(PhotoOrientation, JpegOfEachOrientationComesOutUpright) {
  for (int orientation = 1; orientation <= 8; ++orientation)
    for (const bool bigEndian : {false, true}) {
      const std::string name = FileName(orientation, bigEndian ? "mm.jpg" : "ii.jpg");
      const std::string file = TaggedJpeg(name, 19, 11, orientation, bigEndian);
      ExpectUpright(file, orientation);
      // Rows handed over as decoded are stored rows: a photo to be turned is loaded whole.
      CDibImage image, upright;
      test::RowRecorder recorder;
      const LoadOutcome outcome = LoadOrStream(image, file, LoadOptions{}, recorder);
      ASSERT_TRUE(Load(upright, file));
      if (orientation == 1) {
        EXPECT_EQ(outcome.delivery, Delivery::kRows);
        EXPECT_TRUE(test::SamePixels(recorder.picture, upright));
      } else {
        EXPECT_EQ(recorder.accepted, 0) << orientation;
        EXPECT_EQ(outcome.delivery, Delivery::kImage);
        EXPECT_TRUE(test::SamePixels(image, upright));
      }
    }
}

TEST(PhotoOrientation, PngEXifChunkTurnsThePictureUpright) {
  for (const int orientation : {2, 6, 7, 8}) {
    const std::string file = TaggedPng(FileName(orientation, ".png"), 9, 5, orientation);
    ExpectUpright(file, orientation);
    // The PNG's pixels are exact: the upright picture is the pattern itself turned.
    CDibImage upright, pattern;
    ASSERT_TRUE(Load(upright, file));
    test::Fill(pattern, 9, 5, test::Pattern);
    ASSERT_TRUE(TurnUpright(pattern, orientation));
    EXPECT_TRUE(test::SamePixels(upright, pattern));
  }
}

TEST(PhotoOrientation, HeicRotationAndMirroringAreAlwaysApplied) {
  // The quadrants as stored, turned the way each orientation shows them.
  CDibImage quadrants;
  test::Fill(quadrants, 32, 24, [](int x, int y) {
    return test::Bgr{120, static_cast<std::uint8_t>(y < 12 ? 220 : 30),
                     static_cast<std::uint8_t>(x < 16 ? 230 : 20)};
  });
  for (int orientation = 1; orientation <= 8; ++orientation) {
    const std::string file =
        TaggedHeic(FileName(orientation, ".heic"), 32, 24, orientation);
    CDibImage expected;
    test::Fill(expected, 32, 24, [&](int x, int y) { return test::PixelAt(quadrants, x, y); });
    ASSERT_TRUE(TurnUpright(expected, orientation));
    for (const bool turnUpright : {true, false}) {
      CDibImage image;
      int w = 0, h = 0;
      ASSERT_TRUE(Probe(image, file, w, h, LoadOptions{turnUpright})) << orientation;
      EXPECT_EQ(w, expected.GetWidth()) << orientation;
      EXPECT_EQ(h, expected.GetHeight()) << orientation;
      ASSERT_TRUE(Load(image, file, LoadOptions{turnUpright})) << orientation;
      ASSERT_EQ(image.GetWidth(), w);
      // Lossy coding blurs the quadrants' edges; a wrong turn misplaces whole quadrants, which
      // differ by 190 or more in red or green.
      int wrong = 0;
      for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
          for (int c = 1; c < 3; ++c)
            wrong += std::abs(test::PixelAt(image, x, y)[c] - test::PixelAt(expected, x, y)[c]) > 95;
      EXPECT_LT(wrong, w * h / 10) << "orientation " << orientation;
    }
  }
}

TEST(PhotoOrientation, DamagedOrStrangeBlocksCountAsUpright) {
  const Bytes good = ExifBlock(6, false);
  EXPECT_EQ(ExifOrientation(good.data(), good.size()), 6);
  Bytes prefixed = {'E', 'x', 'i', 'f', 0, 0};
  prefixed.insert(prefixed.end(), good.begin(), good.end());
  EXPECT_EQ(ExifOrientation(prefixed.data(), prefixed.size()), 6);
  const Bytes nine = ExifBlock(9, false);
  EXPECT_EQ(ExifOrientation(nine.data(), nine.size()), 1);
  // Cut anywhere: the tag is read whole or not at all.
  for (std::size_t keep = 0; keep < good.size(); ++keep) {
    const int cut = ExifOrientation(good.data(), keep);
    EXPECT_TRUE(cut == 1 || cut == 6) << keep;
  }
  Bytes farDirectory = good;
  farDirectory[4] = 0xF0;  // the first directory lies far past the end
  EXPECT_EQ(ExifOrientation(farDirectory.data(), farDirectory.size()), 1);
}

TEST(PhotoOrientation, FilesWithoutATagReadAsBefore) {
  // The JPEG writer's files carry no EXIF block: both readings give the same bytes.
  CDibImage image, stored, upright;
  test::Fill(image, 13, 7, test::Pattern);
  const std::string plain = test::ScratchPath("untagged.jpg");
  ASSERT_EQ(WriteJpegFile(image, test::Target(plain), kJpegQualityMedium, nullptr), SaveResult::kSaved);
  ASSERT_TRUE(Load(stored, plain, LoadOptions{false}));
  ASSERT_TRUE(Load(upright, plain));
  EXPECT_TRUE(test::SamePixels(stored, upright));
}
