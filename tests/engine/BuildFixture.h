// A small build set up in code for the engine tests that compare whole posters: a patterned
// main image and patterned tile files of several shapes.
#pragma once

#include <string>
#include <vector>

#include "engine/BuildPoster.h"
#include "image/DibImage.h"

namespace test {

// Writes a width × height BMP tile whose pixels follow a pattern chosen by variant.
std::string MakePatternTile(const std::string& name, int width, int height, int variant);

struct PosterBuild {
  CDibImage main;
  TileList tiles;
  PosterBuildInputs inputs;
  CDibImage poster;
  TileOrderShuffle order;

  // A 64 × 48 main image printed 2 inches wide on a 96 dpi printer, small tiles: a grid of
  // several cell rows, so that every thread gets rows to lay.
  PosterBuild();
  // Adds tiles of landscape, portrait and square shapes (prefix keeps the files apart).
  void AddMixedTiles(const std::string& prefix, int count);
  PosterBuildResult Build(int threads, CProgress* progress = nullptr);
};

}  // namespace test
