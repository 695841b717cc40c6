// Number formatting and picture fitting shared by the whole program.
#pragma once

#include <cstdint>
#include <string>

// The value in decimal with a comma between groups of three digits: 1234567 gives "1,234,567".
// The separator is a comma whatever the locale.
[[nodiscard]] std::string FormatThousands(std::uint32_t value);

// Scales width × height up or down to the largest size of the same aspect ratio inside
// maxWidth × maxHeight; each side stays between 1 and its maximum.
void FitInside(int& width, int& height, int maxWidth, int maxHeight);
