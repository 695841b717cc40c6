#include "engine/PosterParams.h"

#include <gtest/gtest.h>

namespace {

TEST(PosterParamsTest, MissingSettingsTakeTheDefaults) {
  const PosterParams params;
  EXPECT_EQ(params.Rotate, 1);
  EXPECT_EQ(params.Crop, 1);
  EXPECT_EQ(params.Borders, BorderStyle::SingleLine);
  EXPECT_EQ(params.Emphasis, 4);
  EXPECT_EQ(params.Custom, 100u);
  EXPECT_EQ(static_cast<int>(params.TileOrder), 1028);
  EXPECT_EQ(static_cast<unsigned>(params.DPIFraction), 1036u);
  EXPECT_EQ(static_cast<int>(params.TileSize), 1007);
  EXPECT_EQ(static_cast<unsigned>(params.JPEGQuality), 1046u);
}

TEST(PosterParamsTest, OutOfRangeSettingsAreCorrectedOnLoad) {
  PosterParams params;
  params.Borders = static_cast<BorderStyle>(5);
  params.Emphasis = 0;
  params.Custom = 1000;
  params.TileOrder = static_cast<TileOrderMode>(7);
  params.DPIFraction = static_cast<DPIFractionCode>(2000);
  params.TileSize = static_cast<TileSizePreset>(1009);
  params.JPEGQuality = static_cast<JPEGQualityLevel>(1044);
  CorrectLoadedParams(params);
  EXPECT_EQ(params.Borders, BorderStyle::ButtonFrame);
  EXPECT_EQ(params.Emphasis, 1);
  EXPECT_EQ(params.Custom, 500u);
  EXPECT_EQ(params.TileOrder, TileOrderMode::Random);
  EXPECT_EQ(params.DPIFraction, DPIFractionCode::Quarter);
  EXPECT_EQ(params.TileSize, TileSizePreset::Medium);
  EXPECT_EQ(params.JPEGQuality, JPEGQualityLevel::Medium);

  params.Borders = static_cast<BorderStyle>(-1);
  params.Emphasis = 8;
  params.Custom = 9;
  CorrectLoadedParams(params);
  EXPECT_EQ(params.Borders, BorderStyle::ButtonFrame);
  EXPECT_EQ(params.Emphasis, 7);
  EXPECT_EQ(params.Custom, 10u);

  // A negative number stored for Custom reads as a huge unsigned value.
  params.Custom = static_cast<unsigned>(-5);
  CorrectLoadedParams(params);
  EXPECT_EQ(params.Custom, 500u);
}

TEST(PosterParamsTest, ValuesInRangeSurviveTheCorrection) {
  PosterParams params;
  params.Rotate = 0;
  params.Crop = 7;  // any non-zero value means on and is kept
  params.Borders = BorderStyle::NoBorders;
  params.Emphasis = 7;
  params.Custom = 10;
  params.TileOrder = TileOrderMode::Sequential;
  params.DPIFraction = DPIFractionCode::Sixteenth;
  params.TileSize = TileSizePreset::Custom;
  params.JPEGQuality = JPEGQualityLevel::Low;
  const PosterParams before = params;
  CorrectLoadedParams(params);
  EXPECT_EQ(params.Rotate, before.Rotate);
  EXPECT_EQ(params.Crop, before.Crop);
  EXPECT_EQ(params.Borders, before.Borders);
  EXPECT_EQ(params.Emphasis, before.Emphasis);
  EXPECT_EQ(params.Custom, before.Custom);
  EXPECT_EQ(params.TileOrder, before.TileOrder);
  EXPECT_EQ(params.DPIFraction, before.DPIFraction);
  EXPECT_EQ(params.TileSize, before.TileSize);
  EXPECT_EQ(params.JPEGQuality, before.JPEGQuality);
}

TEST(PosterParamsTest, MatchedOrderIsKeptAndOtherUnknownOrdersReadAsRandom) {
  PosterParams params;
  params.TileOrder = static_cast<TileOrderMode>(1057);
  CorrectLoadedParams(params);
  EXPECT_EQ(params.TileOrder, TileOrderMode::Matched);
  for (const int stored : {1026, 1029, 1056, 1058, 0}) {
    params.TileOrder = static_cast<TileOrderMode>(stored);
    CorrectLoadedParams(params);
    EXPECT_EQ(params.TileOrder, TileOrderMode::Random) << stored;
  }
}

TEST(PosterParamsTest, EachFractionCodeHasItsDivisor) {
  EXPECT_EQ(DPIFractionDivisor(static_cast<DPIFractionCode>(1036)), 4);
  EXPECT_EQ(DPIFractionDivisor(static_cast<DPIFractionCode>(1037)), 3);
  EXPECT_EQ(DPIFractionDivisor(static_cast<DPIFractionCode>(1038)), 2);
  EXPECT_EQ(DPIFractionDivisor(static_cast<DPIFractionCode>(1039)), 1);
  EXPECT_EQ(DPIFractionDivisor(static_cast<DPIFractionCode>(1040)), 8);
  EXPECT_EQ(DPIFractionDivisor(static_cast<DPIFractionCode>(1041)), 16);
  EXPECT_EQ(DPIFractionDivisor(static_cast<DPIFractionCode>(1035)), 4);
  EXPECT_EQ(DPIFractionDivisor(static_cast<DPIFractionCode>(0)), 4);
}

TEST(PosterParamsTest, EachPresetHasItsTileSizeFactor) {
  PosterParams params;
  params.TileSize = static_cast<TileSizePreset>(1006);
  EXPECT_EQ(TileSizeFactor(params), 0.1);
  params.TileSize = static_cast<TileSizePreset>(1007);
  EXPECT_EQ(TileSizeFactor(params), 0.33);
  params.TileSize = static_cast<TileSizePreset>(1008);
  EXPECT_EQ(TileSizeFactor(params), 0.66);
  params.TileSize = static_cast<TileSizePreset>(1023);
  params.Custom = 250;
  EXPECT_EQ(TileSizeFactor(params), 250 * 0.01);
  params.TileSize = static_cast<TileSizePreset>(1);
  EXPECT_EQ(TileSizeFactor(params), 0.33);
}

}  // namespace
