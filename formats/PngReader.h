// Reading PNG files through libspng.
//
// Both operations work on the image's open file, positioned at its first byte, and close it
// before they return; nothing is thrown. With context.options.turnUpright the orientation of an
// eXIf chunk is reported in context.orientation for the dispatch to apply.
#pragma once

#include "formats/LoadOptions.h"
#include "image/DibImage.h"

// Sides above this are refused; the library's own limit is far larger.
constexpr int kPngMaxSide = 65535;

// TRUE with the stored size when the signature and header are valid, both sides are within
// kPngMaxSide, and the file is large enough to inflate to the picture (see DataCouldFill). Reads the header, and the chunks before the pixel data only to find an eXIf.
[[nodiscard]] BOOL ProbePngFile(CDibImage& image, int& width, int& height, ReadContext& context);

// Decodes every colour type and depth into a new 24-bit image: transparency (alpha or tRNS) is
// shown over white, 16-bit samples are reduced by rounding, the gamma chunk is not applied. The
// image stays empty when the header is refused, the picture is past the area limit, or the
// pixels cannot be had; damaged pixel data after that leaves the rows decoded so far, the rest
// black, and the image counts as loaded.
void ReadPngFile(CDibImage& image, ReadContext& context);
