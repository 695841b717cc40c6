// The settings every poster JPEG is compressed with, whoever writes it: saved from a built
// poster or written from its rows as they are made, the same picture gives the same bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include <jpeglib.h>

// Optimised Huffman tables need every coefficient of the picture before the first byte of the
// scan: the library keeps them all, two bytes a sample (three a pixel with the chroma halved
// both ways). Up to this many pixels they are kept, and the file is a few percent smaller;
// above it the standard tables are used, so that a poster written from its rows holds no more
// than a band of them. 256 megapixels keep 768 MB of coefficients.
constexpr std::int64_t kJpegOptimisedPixels = std::int64_t{256} << 20;

// Whether a width × height poster's file gets Huffman tables made for its own coefficients.
[[nodiscard]] bool JpegOptimisesCoding(std::int64_t width, std::int64_t height);

// The bytes the library holds while it compresses a width × height poster beyond its rows:
// the coefficients when the tables are optimised, next to nothing otherwise.
[[nodiscard]] std::uint64_t JpegCodingBytes(std::int64_t width, std::int64_t height);

// Sets the record, created with its destination, for a 24-bit blue-green-red picture of
// width × height at library quality (1..100), with pixelsPerInch as the JFIF density (0: none).
void SetPosterJpegSettings(jpeg_compress_struct& info, int width, int height, int quality,
                           double pixelsPerInch);
