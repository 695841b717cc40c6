// Reading uncompressed Windows and OS/2 bitmaps of 1, 4, 8 and 24 bits per pixel.
//
// Both operations work on the image's open file, positioned at its first byte, and close it
// before they return.
#pragma once

#include <cstdint>

#include "image/DibFormat.h"
#include "image/DibImage.h"

// TRUE with the size when the headers are acceptable, both sides are at least 1, and the file's
// bytes could fill at least a sixteenth of the picture (any picture of up to kAnyDataPixels may
// have less). The bit count is not looked at beyond that.
[[nodiscard]] BOOL ProbeBmpFile(CDibImage& image, int& width, int& height);

// Decodes the file into a new 24-bit image. On a refusal (as the probe's, or a picture past the
// area limit) the image stays empty; a file that ends
// inside the pixel data keeps the rows read so far and the rows above them stay black.
void ReadBmpFile(CDibImage& image);

// Write width pixels of three bytes (blue, green, red), each the colour-table entry that the
// corresponding 1-, 4- or 8-bit source pixel selects.
void ExpandRow1(std::uint8_t* destination, const std::uint8_t* source, int width,
                const RGBQUAD* colorTable);
void ExpandRow4(std::uint8_t* destination, const std::uint8_t* source, int width,
                const RGBQUAD* colorTable);
void ExpandRow8(std::uint8_t* destination, const std::uint8_t* source, int width,
                const RGBQUAD* colorTable);
