#include "engine/PosterParams.h"

namespace {

constexpr int kMinEmphasis = 1;
constexpr int kMaxEmphasis = 7;
constexpr unsigned kMinCustom = 10;
constexpr unsigned kMaxCustom = 500;

bool IsKnown(BorderStyle value) {
  const int v = static_cast<int>(value);
  return v >= static_cast<int>(BorderStyle::ButtonFrame) &&
         v <= static_cast<int>(BorderStyle::NoBorders);
}

bool IsKnown(TileOrderMode value) {
  return value == TileOrderMode::Sequential || value == TileOrderMode::Random ||
         value == TileOrderMode::Matched;
}

bool IsKnown(DPIFractionCode value) {
  const unsigned v = static_cast<unsigned>(value);
  return v >= static_cast<unsigned>(DPIFractionCode::Quarter) &&
         v <= static_cast<unsigned>(DPIFractionCode::Sixteenth);
}

bool IsKnown(TileSizePreset value) {
  switch (value) {
    case TileSizePreset::Small:
    case TileSizePreset::Medium:
    case TileSizePreset::Large:
    case TileSizePreset::Custom:
      return true;
  }
  return false;
}

bool IsKnown(JPEGQualityLevel value) {
  const unsigned v = static_cast<unsigned>(value);
  return v >= static_cast<unsigned>(JPEGQualityLevel::High) &&
         v <= static_cast<unsigned>(JPEGQualityLevel::Low);
}

}  // namespace

void CorrectLoadedParams(PosterParams& params) {
  if (!IsKnown(params.Borders)) params.Borders = BorderStyle::ButtonFrame;
  if (params.Emphasis < kMinEmphasis) params.Emphasis = kMinEmphasis;
  if (params.Emphasis > kMaxEmphasis) params.Emphasis = kMaxEmphasis;
  if (params.Custom < kMinCustom) params.Custom = kMinCustom;
  if (params.Custom > kMaxCustom) params.Custom = kMaxCustom;
  if (!IsKnown(params.TileOrder)) params.TileOrder = TileOrderMode::Random;
  if (!IsKnown(params.DPIFraction)) params.DPIFraction = DPIFractionCode::Quarter;
  if (!IsKnown(params.TileSize)) params.TileSize = TileSizePreset::Medium;
  if (!IsKnown(params.JPEGQuality)) params.JPEGQuality = JPEGQualityLevel::Medium;
  if (params.MaxUses < 0) params.MaxUses = 0;
  if (params.MaxUses > kMaxUsesLimit) params.MaxUses = kMaxUsesLimit;
}

LoadOptions LoadOptionsFor(const PosterParams& params) {
  LoadOptions options;
  options.turnUpright = params.Orientation != 0;
  return options;
}

int DPIFractionDivisor(DPIFractionCode code) {
  switch (code) {
    case DPIFractionCode::Quarter:
      return 4;
    case DPIFractionCode::Third:
      return 3;
    case DPIFractionCode::Half:
      return 2;
    case DPIFractionCode::Whole:
      return 1;
    case DPIFractionCode::Eighth:
      return 8;
    case DPIFractionCode::Sixteenth:
      return 16;
  }
  return 4;
}

std::optional<DPIFractionCode> DPIFractionFromDivisor(int divisor) {
  for (const DPIFractionCode code :
       {DPIFractionCode::Whole, DPIFractionCode::Half, DPIFractionCode::Third,
        DPIFractionCode::Quarter, DPIFractionCode::Eighth, DPIFractionCode::Sixteenth})
    if (DPIFractionDivisor(code) == divisor) return code;
  return std::nullopt;
}

double TileSizeFactor(const PosterParams& params) {
  switch (params.TileSize) {
    case TileSizePreset::Small:
      return 0.1;
    case TileSizePreset::Medium:
      return 0.33;
    case TileSizePreset::Large:
      return 0.66;
    case TileSizePreset::Custom:
      return params.Custom * 0.01;
  }
  return 0.33;
}
