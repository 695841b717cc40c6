// The poster options as the user sets them, with the codes they are stored under.
//
// Several options are stored as the identifier of the option button that selects them; those
// identifiers are also the values kept in the settings, so a loaded record may hold any number
// until CorrectLoadedParams has run.
#pragma once

#include <optional>

#include "formats/LoadOptions.h"

// Tile borders; the value is also the item index in the options dialog's list.
enum class BorderStyle : int {
  ButtonFrame = 0,  // "Transparent button frame"
  SingleLine = 1,   // "Single line"
  NoBorders = 2,    // "Don't use tile borders"
};

enum class TileOrderMode : int {
  Sequential = 1027,  // loops through the list in its sorted order
  Random = 1028,
  Matched = 1057,  // each cell gets the tile whose colours fit the main image under it
};

// The fraction of the printer resolution used as poster resolution.
enum class DPIFractionCode : unsigned {
  Quarter = 1036,
  Third = 1037,
  Half = 1038,
  Whole = 1039,
  Eighth = 1040,
  Sixteenth = 1041,
};

enum class TileSizePreset : int {
  Small = 1006,
  Medium = 1007,
  Large = 1008,
  Custom = 1023,  // the percentage in PosterParams::Custom
};

// Used only when a poster is saved as JPEG.
enum class JPEGQualityLevel : unsigned {
  High = 1045,
  Medium = 1046,
  Low = 1047,
};

// Defaults are the values taken when a setting is missing.
struct PosterParams {
  int Rotate = 1;  // non-zero: a tile may be turned a quarter turn to the majority orientation
  int Crop = 1;    // non-zero: a tile may be cut to the cell's aspect ratio before scaling
  BorderStyle Borders = BorderStyle::SingleLine;
  int Emphasis = 4;       // weight of the tile image in eighths, 1..7; 4 is "Equal"
  unsigned Custom = 100;  // custom tile size factor in percent, 10..500
  TileOrderMode TileOrder = TileOrderMode::Random;
  DPIFractionCode DPIFraction = DPIFractionCode::Quarter;
  TileSizePreset TileSize = TileSizePreset::Medium;
  JPEGQualityLevel JPEGQuality = JPEGQualityLevel::Medium;
  int Orientation = 1;  // non-zero: photos stored turned or mirrored are read upright
  // Matched order only: uses of one photo at most, 0 for no limit, and non-zero to use every
  // photo at least once. Random and sequential order use each photo in turn.
  int MaxUses = 0;
  int UseAll = 0;
};

// The largest limit of uses a setting may hold; more is no limit in practice.
constexpr int kMaxUsesLimit = 99999;

// Brings every field of a record read from the settings into its range: an unknown code becomes
// the default code (Borders becomes ButtonFrame), Emphasis, Custom and MaxUses are clamped.
void CorrectLoadedParams(PosterParams& params);

// How the main image and the tiles are read under these options.
[[nodiscard]] LoadOptions LoadOptionsFor(const PosterParams& params);

// Printer dots per poster pixel: 4, 3, 2, 1, 8 or 16 for the six codes, 4 for any other value.
[[nodiscard]] int DPIFractionDivisor(DPIFractionCode code);
// The code whose divisor is divisor; nothing for a divisor no code has.
[[nodiscard]] std::optional<DPIFractionCode> DPIFractionFromDivisor(int divisor);

// The tile size factor g of the grid computation: 0.1, 0.33, 0.66, or Custom × 0.01 for the
// custom preset; an unknown preset counts as Medium.
[[nodiscard]] double TileSizeFactor(const PosterParams& params);
