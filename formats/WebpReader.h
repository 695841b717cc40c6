// Reading WebP files (lossy, lossless, with or without alpha) through libwebp.
//
// Both operations work on the image's open file, positioned at its first byte, and close it
// before they return; nothing is thrown. Animated files are refused: a poster tile is one
// picture, and which frame stands for the animation is not for the reader to guess.
#pragma once

#include "formats/LoadOptions.h"
#include "image/DibImage.h"

// TRUE with the picture's size (the canvas of an extended file) when the first kilobytes hold a
// valid still WebP header. No pixels are decoded.
[[nodiscard]] BOOL ProbeWebpFile(CDibImage& image, int& width, int& height, ReadContext& context);

// Decodes the file into a new 24-bit image; alpha is shown over white. The image stays empty
// when the file is refused or the pixels cannot be had; damaged data after that leaves what the
// library decoded, the rest black, and the image counts as loaded.
void ReadWebpFile(CDibImage& image, ReadContext& context);
