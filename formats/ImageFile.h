// Probing and loading image files, the format recognised by the first byte of the file.
#pragma once

#include <string>

#include "image/DibImage.h"

// Reports the size of the image in fileName without decoding its pixels. The image's pixels are
// not freed, but it counts as empty afterwards (IsValid FALSE).
[[nodiscard]] BOOL Probe(CDibImage& image, const std::string& fileName, int& width, int& height);

// Decodes fileName into image as a 24-bit picture; TRUE exactly when the reader created the new
// pixels (a file that ends early still loads, with the missing rows black).
[[nodiscard]] BOOL Load(CDibImage& image, const std::string& fileName);

// After a successful Load: FALSE when the file's data ended early or was damaged, so that part of
// the picture is filled in plain rather than read.
[[nodiscard]] BOOL LoadedWhole(const CDibImage& image);

// The format names the command line prints, by first byte; nullptr for an unknown first byte.
[[nodiscard]] const char* FormatName(unsigned char firstByte);
