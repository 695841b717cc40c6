// The limits every reader keeps before it allocates a picture: one on the picture's area, and
// one on how much picture a file's data can stand for.
#pragma once

#include <cstdint>
#include <cstdio>

// The most pixels a picture may have: 2^30, 3 GiB of 24-bit pixels. Stitched panoramas of a few
// hundred megapixels load; a header claiming 65,535 pixels on each side (4.3 gigapixels, 13 GB)
// is refused as too large before anything of its size is allocated.
constexpr std::uint64_t kMaxImagePixels = std::uint64_t{1} << 30;

// Pictures up to this many pixels (3 MB of 24-bit pixels) load whatever their data holds, the
// pixels it does not reach black, as a file that ends early always has.
constexpr std::uint64_t kAnyDataPixels = std::uint64_t{1} << 20;

// Readers that learn exactly how much of the picture their data fills (stored rows, or the rows
// a decoder delivered) let a file cut short load, its missing rows black, as long as the data
// fills at least this fraction (1/16) of the picture: a sliver of data declaring gigabytes of
// picture is taken for damaged.
constexpr std::uint64_t kCutShortSlack = 16;

// Whether a picture of width x height pixels keeps within kMaxImagePixels.
[[nodiscard]] bool IsWithinAreaLimit(int width, int height);

// Whether a picture of width x height pixels may come from data that can give at most
// dataPixels of it. A few bytes declaring a huge picture would otherwise cost the memory and the
// time of the whole picture for what is nearly all black fill: such a file counts as damaged.
[[nodiscard]] bool DataCouldFill(int width, int height, std::uint64_t dataPixels);

// The bytes of file from its current position to its end; 0 when that cannot be learnt.
[[nodiscard]] std::uint64_t BytesLeft(std::FILE* file);

// dataBytes × pixelsPerByte, held at the largest value instead of wrapping.
[[nodiscard]] std::uint64_t PixelsFromBytes(std::uint64_t dataBytes, std::uint64_t pixelsPerByte);
