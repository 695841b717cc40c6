// The PNG, WebP, HEIC and AVIF readers against the Debian tools: files made at test time by the
// formats' own encoders, decoded pixels compared with the reference decoders.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "formats/FileRefusal.h"
#include "formats/ImageFile.h"
#include "support/TestSupport.h"
#include "support/ToolImages.h"

namespace {

using test::Bytes;

// A colourful picture of odd size, written as PPM for the encoders.
std::string SourcePpm(int width = 37, int height = 23) {
  const std::string path =
      test::ScratchPath("source-" + std::to_string(width) + "x" + std::to_string(height) + ".ppm");
  if (!test::Exists(path)) {
    CDibImage image;
    test::Fill(image, width, height, [](int x, int y) {
      return test::Bgr{static_cast<std::uint8_t>(x * 7 + y), static_cast<std::uint8_t>(y * 11),
                       static_cast<std::uint8_t>(255 - x * 5)};
    });
    test::WritePpm(image, path);
  }
  return path;
}

// ImageMagick writes the source with the options given; the path, or empty on failure.
std::string Convert(const std::vector<std::string>& options, const std::string& name,
                    const std::string& source = SourcePpm()) {
  const std::string out = test::ScratchPath(name);
  std::vector<std::string> args{"convert", source};
  args.insert(args.end(), options.begin(), options.end());
  args.push_back(out);
  return test::RunTool(args) == 0 ? out : std::string();
}

// The reference decoder's picture, read back.
std::optional<test::Netpbm> Reference(const std::vector<std::string>& command,
                                      const std::string& name) {
  const std::string out = test::ScratchPath(name);
  if (test::RunToolTo(command, out) != 0) return std::nullopt;
  return test::ReadNetpbm(out);
}

// Probe and load through the dispatch agree with each other and with the reference.
void ExpectMatches(const std::string& file, const test::Netpbm& reference, const char* format,
                   int tolerance = 1) {
  CDibImage image;
  int w = 0, h = 0;
  ASSERT_TRUE(Probe(image, file, w, h)) << file;
  EXPECT_EQ(w, reference.width) << file;
  EXPECT_EQ(h, reference.height) << file;
  ASSERT_TRUE(Load(image, file)) << file;
  EXPECT_LE(test::LargestDifference(image, reference), tolerance) << file;
  EXPECT_LE(0, test::LargestDifference(image, reference)) << file;
  const Bytes head = test::ReadFile(file);
  EXPECT_STREQ(FormatName(head.data(), std::min<std::size_t>(head.size(), kFormatHeadBytes)),
               format);
}

void ExpectRefusedWithoutCrash(const std::string& file) {
  CDibImage image;
  int w = 0, h = 0;
  EXPECT_FALSE(Probe(image, file, w, h)) << file;
  EXPECT_FALSE(Load(image, file)) << file;
}

// A 64-byte file start: size bytes of text, then zeros.
Bytes FileStart(const char* text, std::size_t size) {
  Bytes bytes(64, 0);
  std::memcpy(bytes.data(), text, std::min<std::size_t>(size, bytes.size()));
  return bytes;
}

Bytes Truncated(const std::string& file, std::size_t keep) {
  Bytes bytes = test::ReadFile(file);
  bytes.resize(std::min(keep, bytes.size()));
  return bytes;
}

}  // namespace

TEST(PngReader, EveryColourTypeAndDepthMatchesPngtopnmOverWhite) {
  const std::vector<std::pair<std::string, std::vector<std::string>>> kinds = {
      {"rgb8.png", {"-define", "png:color-type=2", "-depth", "8"}},
      {"gray8.png", {"-colorspace", "gray", "-define", "png:color-type=0", "-depth", "8"}},
      {"palette.png", {"-colors", "20", "-define", "png:color-type=3"}},
      {"rgb16.png", {"-depth", "16", "-define", "png:bit-depth=16", "-define", "png:color-type=2"}},
      {"rgba8.png", {"-alpha", "set", "-channel", "A", "-fx", "(i+j)%7/6", "+channel",
                     "-define", "png:color-type=6", "-depth", "8"}},
      {"rgba16.png", {"-alpha", "set", "-channel", "A", "-fx", "(i*j)%5/4", "+channel",
                      "-depth", "16", "-define", "png:bit-depth=16", "-define", "png:color-type=6"}},
      {"graya.png", {"-colorspace", "gray", "-alpha", "set", "-channel", "A", "-fx", "i/w",
                     "+channel", "-define", "png:color-type=4", "-depth", "8"}},
      {"interlaced.png", {"-interlace", "PNG", "-define", "png:color-type=2", "-depth", "8"}},
      {"palette-trns.png", {"-colors", "8", "-transparent", "white", "-fuzz", "30%",
                            "-define", "png:color-type=3"}},
  };
  for (const auto& [name, options] : kinds) {
    const std::string png = Convert(options, name);
    ASSERT_FALSE(png.empty()) << name;
    const auto reference = Reference({"pngtopnm", "-mix", "-background", "white", png}, name + ".ppm");
    ASSERT_TRUE(reference) << name;
    ExpectMatches(png, *reference, "PNG");
  }
}

TEST(PngReader, DamagedFilesAreRefusedOrKeepTheRowsBeforeTheCut) {
  // Noise hardly compresses, so the pixel data spans several chunks and a cut at half the file
  // leaves whole rows before it.
  const std::string png = test::ScratchPath("cut.png");
  ASSERT_EQ(test::RunTool({"convert", "-size", "300x200", "xc:", "+noise", "Random", "-depth",
                           "8", "-define", "png:color-type=2", png}), 0);
  const Bytes whole = test::ReadFile(png);
  CDibImage full;
  ASSERT_TRUE(Load(full, png));

  // Cut inside the pixel data: full size, the first rows as decoded, the last ones black.
  const std::string cut = test::ScratchPath("cut-half.png");
  test::WriteFile(cut, Truncated(png, whole.size() / 2));
  CDibImage partial;
  ASSERT_TRUE(Load(partial, cut));
  EXPECT_EQ(partial.GetWidth(), 300);
  EXPECT_EQ(partial.GetHeight(), 200);
  EXPECT_EQ(test::PixelAt(partial, 5, 0), test::PixelAt(full, 5, 0));
  EXPECT_EQ(test::PixelAt(partial, 299, 40), test::PixelAt(full, 299, 40));
  EXPECT_EQ(test::PixelAt(partial, 5, 199), (test::Bgr{0, 0, 0}));

  // A header whose checksum fails, and one cut before the header ends.
  Bytes badHeader = whole;
  badHeader[17] ^= 0x40;  // a byte of the width
  const std::string bad = test::ScratchPath("bad-crc.png");
  test::WriteFile(bad, badHeader);
  ExpectRefusedWithoutCrash(bad);
  const std::string shortHeader = test::ScratchPath("short.png");
  test::WriteFile(shortHeader, Truncated(png, 20));
  ExpectRefusedWithoutCrash(shortHeader);
}

TEST(WebpReader, LossyLosslessAndAlphaMatchDwebpOverWhite) {
  const std::string png = Convert({"-define", "png:color-type=2", "-depth", "8"}, "for-webp.png");
  const std::string alphaPng = Convert({"-alpha", "set", "-channel", "A", "-fx", "(i+2*j)%9/8",
                                        "+channel", "-define", "png:color-type=6", "-depth", "8"},
                                       "for-webp-alpha.png");
  ASSERT_FALSE(png.empty());
  ASSERT_FALSE(alphaPng.empty());
  const std::vector<std::pair<std::string, std::vector<std::string>>> kinds = {
      {"lossy.webp", {"cwebp", "-quiet", "-q", "80", png}},
      {"lossless.webp", {"cwebp", "-quiet", "-lossless", png}},
      {"lossy-alpha.webp", {"cwebp", "-quiet", "-q", "80", alphaPng}},
      {"lossless-alpha.webp", {"cwebp", "-quiet", "-lossless", alphaPng}},
  };
  for (auto [name, command] : kinds) {
    const std::string webp = test::ScratchPath(name);
    command.insert(command.end(), {"-o", webp});
    ASSERT_EQ(test::RunTool(command), 0) << name;
    const auto reference = Reference({"dwebp", "-pam", webp, "-o", "-"}, name + ".pam");
    ASSERT_TRUE(reference) << name;
    ExpectMatches(webp, *reference, "WEBP");
  }
}

TEST(WebpReader, DamagedFilesAreRefusedWithoutCrash) {
  const std::string png = Convert({"-define", "png:color-type=2", "-depth", "8"}, "webp-cut.png");
  const std::string webp = test::ScratchPath("cut.webp");
  ASSERT_EQ(test::RunTool({"cwebp", "-quiet", "-q", "80", png, "-o", webp}), 0);
  const std::string cut = test::ScratchPath("cut-header.webp");
  test::WriteFile(cut, Truncated(webp, 14));
  ExpectRefusedWithoutCrash(cut);
  // A RIFF file of another kind starts with the same byte.
  Bytes wave = FileStart("RIFF\x24\0\0\0WAVEfmt ", 16);
  const std::string wav = test::ScratchPath("sound.wav");
  test::WriteFile(wav, wave);
  ExpectRefusedWithoutCrash(wav);
  // Data cut short still gives a picture of the probed size or nothing, never a crash.
  test::WriteFile(cut, Truncated(webp, test::ReadFile(webp).size() * 2 / 3));
  CDibImage image;
  int w = 0, h = 0;
  if (Probe(image, cut, w, h) && Load(image, cut)) {
    EXPECT_EQ(image.GetWidth(), w);
    EXPECT_EQ(image.GetHeight(), h);
  }
}

TEST(HeifReader, HeicAndAvifMatchHeifConvertOverWhite) {
  const std::string png =
      Convert({"-define", "png:color-type=2", "-depth", "8"}, "for-heif.png", SourcePpm(38, 24));
  const std::string alphaPng =
      Convert({"-alpha", "set", "-channel", "A", "-fx", "(i+j)%5/4", "+channel", "-define",
               "png:color-type=6", "-depth", "8"}, "for-heif-alpha.png", SourcePpm(38, 24));
  ASSERT_FALSE(png.empty());
  ASSERT_FALSE(alphaPng.empty());
  const std::vector<std::tuple<std::string, std::string, const char*>> kinds = {
      {"photo.heic", png, "HEIC"},
      {"photo.avif", png, "AVIF"},
      {"alpha.heic", alphaPng, "HEIC"},
      {"alpha.avif", alphaPng, "AVIF"},
  };
  for (const auto& [name, source, format] : kinds) {
    const std::string file = test::ScratchPath(name);
    ASSERT_EQ(test::RunTool({"heif-enc", "-q", "80", source, "-o", file}), 0) << name;
    const std::string decoded = test::ScratchPath(name + ".png");
    ASSERT_EQ(test::RunTool({"heif-convert", file, decoded}), 0) << name;
    const auto reference =
        Reference({"pngtopnm", "-mix", "-background", "white", decoded}, name + ".ppm");
    ASSERT_TRUE(reference) << name;
    ExpectMatches(file, *reference, format);
  }
}

TEST(HeifReader, DamagedFilesAndForeignBrandsAreRefused) {
  const std::string png =
      Convert({"-define", "png:color-type=2", "-depth", "8"}, "heif-cut.png", SourcePpm(38, 24));
  const std::string heic = test::ScratchPath("cut.heic");
  ASSERT_EQ(test::RunTool({"heif-enc", "-q", "50", png, "-o", heic}), 0);
  const Bytes whole = test::ReadFile(heic);
  for (const std::size_t keep : {std::size_t{40}, whole.size() / 2, whole.size() - 10}) {
    const std::string cut = test::ScratchPath("cut-" + std::to_string(keep) + ".heic");
    test::WriteFile(cut, Truncated(heic, keep));
    CDibImage image;
    EXPECT_FALSE(Load(image, cut)) << keep;
  }
  // Boxes declaring 70,000 coded pixels across: too large, with its size, not damaged.
  Bytes huge = whole;
  const std::string ispe = "ispe";
  const auto box = std::search(huge.begin(), huge.end(), ispe.begin(), ispe.end());
  ASSERT_NE(box, huge.end());
  const std::uint8_t wide[] = {0, 1, 0x11, 0x70};  // 70,000 as the box's 32-bit width
  std::copy(std::begin(wide), std::end(wide), box + 8);
  const std::string large = test::ScratchPath("large.heic");
  test::WriteFile(large, huge);
  EXPECT_EQ(DescribeRefusal(large),
            "too large: 70,000 x 64 pixels, more than can be read here (65,535 at most on each side)");
  // A video file of the same family: a file-type box whose brand is no still picture.
  const Bytes movie = FileStart("\0\0\0\x14" "ftypisom\0\0\2\0mp41", 20);
  const std::string mp4 = test::ScratchPath("clip.mp4");
  test::WriteFile(mp4, movie);
  ExpectRefusedWithoutCrash(mp4);
  EXPECT_EQ(FormatName(movie.data(), movie.size()), nullptr);
}

TEST(HeifReader, GeneralBrandsAreToldApartByTheirCompatibleBrands) {
  auto ftyp = [](const char* major, std::vector<const char*> compatible) {
    std::string box(3, '\0');
    box.push_back(static_cast<char>(16 + 4 * compatible.size()));
    box.append("ftyp").append(major, 4).append(4, '\0');
    for (const char* brand : compatible) box.append(brand, 4);
    return FileStart(box.data(), box.size());
  };
  const Bytes heic = ftyp("mif1", {"mif1", "heic"});
  const Bytes avif = ftyp("mif1", {"mif1", "miaf", "avif"});
  const Bytes neither = ftyp("mif1", {"mif1", "jpeg"});
  EXPECT_STREQ(FormatName(heic.data(), heic.size()), "HEIC");
  EXPECT_STREQ(FormatName(avif.data(), avif.size()), "AVIF");
  EXPECT_EQ(FormatName(neither.data(), neither.size()), nullptr);
  // Brands beyond the box's own size belong to the next box.
  Bytes shortBox = avif;
  shortBox[3] = 20;
  EXPECT_EQ(FormatName(shortBox.data(), shortBox.size()), nullptr);
}
