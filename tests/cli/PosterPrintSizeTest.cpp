#include <gtest/gtest.h>

#include <spng.h>

#include <cstdio>
#include <filesystem>
#include <memory>

#include "formats/BmpWriter.h"
#include "support/TestSupport.h"

using test::Bgr;
using test::RunCli;

namespace {

// The pHYs chunk of a PNG file: pixels per metre across, down, and the unit (1: metre); or
// nothing when the file has none.
std::optional<spng_phys> PhysOf(const std::string& path) {
  const test::Bytes bytes = test::ReadFile(path);
  std::unique_ptr<spng_ctx, void (*)(spng_ctx*)> ctx(spng_ctx_new(0), spng_ctx_free);
  spng_set_png_buffer(ctx.get(), bytes.data(), bytes.size());
  spng_phys phys{};
  if (spng_get_phys(ctx.get(), &phys) != 0) return std::nullopt;
  return phys;
}

}  // namespace

// A print shop opens the poster at its print size: 100 dpi at two printer dots per pixel is 50
// pixels per inch in the JFIF header and 1969 per metre in the PNG. A converted photo has no
// print size and keeps the plain header; a BMP poster keeps its header whatever the size.
TEST(PosterPrintSize, JpegAndPngPostersCarryTheirResolution) {
  const std::string dir = test::FreshDir("poster_print_size");
  CDibImage picture;
  test::Fill(picture, 40, 30, [](int x, int y) {
    return Bgr{static_cast<std::uint8_t>(6 * x), static_cast<std::uint8_t>(8 * y), 90};
  });
  const std::string main = dir + "/main.bmp", tile = dir + "/tile.bmp";
  ASSERT_EQ(WriteBmpFile(picture, test::Target(main), nullptr), SaveResult::kSaved);
  ASSERT_EQ(WriteBmpFile(picture, test::Target(tile), nullptr), SaveResult::kSaved);
  const auto build = [&](const std::string& out, const char* dpi) {
    return RunCli({"build", main, tile, "--print-width", "4", "--dpi", dpi, "--fraction", "2",
                   "--seed", "1", "-q", "-o", out})
        .exitCode;
  };
  ASSERT_EQ(build(dir + "/p.jpg", "100"), 0);
  ASSERT_EQ(build(dir + "/p.png", "100"), 0);
  ASSERT_EQ(build(dir + "/p.bmp", "100"), 0);
  ASSERT_EQ(build(dir + "/q.bmp", "300"), 0);
  ASSERT_EQ(RunCli({"convert", main, dir + "/c.jpg"}).exitCode, 0);

  // JFIF: "JFIF\0", version, unit (1: dots per inch), densities across and down, big-endian.
  const test::Bytes jpeg = test::ReadFile(dir + "/p.jpg");
  ASSERT_GT(jpeg.size(), 18u);
  EXPECT_EQ(std::string(jpeg.begin() + 6, jpeg.begin() + 10), "JFIF");
  EXPECT_EQ((test::Bytes{jpeg.begin() + 13, jpeg.begin() + 18}), (test::Bytes{1, 0, 50, 0, 50}));
  const test::Bytes plain = test::ReadFile(dir + "/c.jpg");
  EXPECT_EQ((test::Bytes{plain.begin() + 13, plain.begin() + 18}), (test::Bytes{0, 0, 1, 0, 1}));

  const auto phys = PhysOf(dir + "/p.png");
  ASSERT_TRUE(phys);
  EXPECT_EQ(phys->ppu_x, 1969u);
  EXPECT_EQ(phys->ppu_y, 1969u);
  EXPECT_EQ(phys->unit_specifier, 1);

  // The header's resolution fields (bytes 38 to 45) alike at 100 and 300 dpi: the BMP says
  // nothing of the print size.
  const test::Bytes bmp100 = test::ReadFile(dir + "/p.bmp"), bmp300 = test::ReadFile(dir + "/q.bmp");
  ASSERT_GT(bmp100.size(), 54u);
  ASSERT_GT(bmp300.size(), 54u);
  EXPECT_EQ(test::Bytes(bmp100.begin() + 38, bmp100.begin() + 46),
            test::Bytes(bmp300.begin() + 38, bmp300.begin() + 46));
}
