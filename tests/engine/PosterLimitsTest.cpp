#include "engine/PosterLimits.h"

#include <gtest/gtest.h>

#include <regex>

#include "engine/TileFiles.h"

namespace {

constexpr std::uint64_t kPlenty = std::uint64_t{1} << 50;

struct LimitsCase {
  TileList tiles;
  PosterSetup setup;
  LimitsCase(double widthInches, DPIFractionCode fraction) {
    EXPECT_TRUE(tiles.AddFile(test::MakeTileFile("limits-a.bmp", 40, 30)));
    EXPECT_TRUE(tiles.AddFile(test::MakeTileFile("limits-b.bmp", 30, 40)));
    setup.imageWidth = 600;
    setup.imageHeight = 450;
    setup.params.DPIFraction = fraction;
    Width(widthInches);
  }
  void Width(double inches) {
    setup.printSize.width = inches;
    setup.printSize.height = HeightForWidth(inches, setup.imageWidth, setup.imageHeight);
  }
};

// The number the message gives after prefix, or -1 when it gives none.
double NumberAfter(const std::string& message, const std::string& prefix) {
  std::smatch match;
  if (!std::regex_search(message, match, std::regex(prefix + "([0-9.]+)"))) return -1;
  return std::stod(match[1]);
}

}  // namespace

TEST(PosterLimits, MemoryShortfallNamesTheNeedAndTheWidestWidthThatFits) {
  // 60 inches at 150 poster pixels per inch: 9,000 x 6,750 pixels, about 180 MB.
  LimitsCase c(60, DPIFractionCode::Quarter);
  const double needed = EstimateBuildBytes(c.tiles, c.setup);
  EXPECT_GT(needed, 9000.0 * 6750 * 3 * 0.95);
  EXPECT_LT(needed, 9000.0 * 6750 * 3 * 1.2);
  EXPECT_TRUE(CheckPosterLimits(c.tiles, c.setup, PosterFileFormat::kBmp, kPlenty).fits);

  const std::uint64_t memory = 64 << 20;
  const PosterLimitCheck check = CheckPosterLimits(c.tiles, c.setup, PosterFileFormat::kNone, memory);
  ASSERT_FALSE(check.fits);
  EXPECT_NE(check.message.find("more than this machine has (64 MB of memory and swap)"),
            std::string::npos)
      << check.message;
  const double width = NumberAfter(check.message, "A print width of ");
  ASSERT_GT(width, 0) << check.message;
  c.Width(width);
  EXPECT_TRUE(CheckPosterLimits(c.tiles, c.setup, PosterFileFormat::kNone, memory).fits);
  c.Width(width + 0.01);
  EXPECT_FALSE(CheckPosterLimits(c.tiles, c.setup, PosterFileFormat::kNone, memory).fits)
      << "the width offered is the widest that fits";

  c.Width(60);
  const double divisor = NumberAfter(check.message, "A poster resolution of 1/");
  ASSERT_EQ(divisor, 8) << check.message;
  c.setup.params.DPIFraction = DPIFractionCode::Eighth;
  EXPECT_TRUE(CheckPosterLimits(c.tiles, c.setup, PosterFileFormat::kNone, memory).fits);
}

TEST(PosterLimits, AFormatTooSmallOffersTheOtherOnlyWhenItHoldsThePoster) {
  // 45,000 x 33,750 pixels: past BMP's 4 GB, within JPEG's sides.
  LimitsCase c(75, DPIFractionCode::Whole);
  PosterLimitCheck check = CheckPosterLimits(c.tiles, c.setup, PosterFileFormat::kBmp, kPlenty);
  ASSERT_FALSE(check.fits);
  EXPECT_NE(check.message.find("more than the Windows BMP format holds (4 GB at most)"),
            std::string::npos)
      << check.message;
  EXPECT_NE(check.message.find("Saved as JPEG it fits."), std::string::npos) << check.message;
  EXPECT_TRUE(CheckPosterLimits(c.tiles, c.setup, PosterFileFormat::kJpeg, kPlenty).fits);

  // 80,000 pixels across is past both: neither format is offered, a setting that fits is.
  c.Width(80000.0 / 600);
  for (PosterFileFormat format : {PosterFileFormat::kBmp, PosterFileFormat::kJpeg}) {
    check = CheckPosterLimits(c.tiles, c.setup, format, kPlenty);
    ASSERT_FALSE(check.fits);
    EXPECT_EQ(check.message.find("Saved as"), std::string::npos) << check.message;
    const double width = NumberAfter(check.message, "A print width of ");
    ASSERT_GT(width, 0) << check.message;
    LimitsCase smaller(width, DPIFractionCode::Whole);
    EXPECT_TRUE(CheckPosterLimits(smaller.tiles, smaller.setup, format, kPlenty).fits);
  }
  EXPECT_NE(check.message.find("(65,500 pixels across and down at most)"), std::string::npos);
}

TEST(PosterLimits, WidthsPastTheGridAreMeasuredNotLaidOut) {
  // A grid cannot be laid out this wide, yet the size is still told and refused.
  LimitsCase c(1e9, DPIFractionCode::Whole);
  const PosterLimitCheck check = CheckPosterLimits(c.tiles, c.setup, PosterFileFormat::kJpeg,
                                                   kPlenty);
  ASSERT_FALSE(check.fits);
  EXPECT_NE(check.message.find("The poster would be 600,000,000,000 x "), std::string::npos)
      << check.message;
  EXPECT_GT(NumberAfter(check.message, "A print width of "), 0) << check.message;
}

// A poster laid straight into its file holds a few cell rows, not the poster, plus what the
// JPEG library keeps to optimise its tables; the matched order still builds the poster whole.
TEST(PosterLimits, APosterLaidIntoItsFileNeedsNoMemoryForThePoster) {
  constexpr std::uint64_t kMemory = std::uint64_t{400} << 20;
  // 45,000 x 33,750 pixels: 4.5 GB whole, too many pixels for optimised JPEG tables.
  LimitsCase wall(75, DPIFractionCode::Whole);
  EXPECT_FALSE(CheckPosterLimits(wall.tiles, wall.setup, PosterFileFormat::kJpeg, kMemory).fits);
  EXPECT_TRUE(
      CheckPosterLimits(wall.tiles, wall.setup, PosterFileFormat::kJpeg, kMemory, true).fits);
  wall.setup.params.TileOrder = TileOrderMode::Matched;
  EXPECT_FALSE(
      CheckPosterLimits(wall.tiles, wall.setup, PosterFileFormat::kJpeg, kMemory, true).fits);
  // 15,000 x 11,250 pixels: a BMP file needs its rows only; a JPEG's optimised tables need
  // every coefficient, 506 MB.
  LimitsCase large(25, DPIFractionCode::Whole);
  EXPECT_TRUE(CheckPosterLimits(large.tiles, large.setup, PosterFileFormat::kBmp, kMemory, true).fits);
  const PosterLimitCheck jpeg =
      CheckPosterLimits(large.tiles, large.setup, PosterFileFormat::kJpeg, kMemory, true);
  EXPECT_FALSE(jpeg.fits);
  EXPECT_NE(jpeg.message.find("Saved as BMP"), std::string::npos) << jpeg.message;
}
