// Tile image files made in code for the engine tests.
#pragma once

#include <string>

namespace test {

// Writes a width × height 24-bit BMP file named name into the scratch folder; returns its path.
std::string MakeTileFile(const std::string& name, int width, int height);

}  // namespace test
