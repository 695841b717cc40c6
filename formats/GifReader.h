// Reading the first image of a GIF file (87a or 89a) as a 24-bit picture.
//
// Both operations work on the image's open file, positioned at its first byte, and close it
// before they return; no exception leaves them. Extensions, the logical screen, transparency and
// every image after the first are passed over.
#pragma once

#include "image/DibImage.h"

// TRUE with the size of the first image descriptor (which need not be the logical screen's)
// when the header is a GIF header and an image with both sides at least 1 comes before the
// trailer, no larger than the bytes after its descriptor can fill (see DataCouldFill).
[[nodiscard]] BOOL ProbeGifFile(CDibImage& image, int& width, int& height);

// Decodes the first image into a new 24-bit image. The image stays empty when the file is
// refused, the picture is past the area limit, or the pixels cannot be allocated. Image data
// that ends early (an end code, the end of the data or of the file before the last pixel) still
// gives the whole picture, the pixels not decoded black. Pixel values beyond the colour table in force are black; with no colour table
// at all, pixel value v is the grey v, v, v.
void ReadGifFile(CDibImage& image);
