// Pictures made and decoded by the Debian tools (ImageMagick, cwebp/dwebp, heif-enc/heif-convert,
// pngtopnm, cjpeg): the independent encoders and reference decoders of the format tests.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "image/DibImage.h"

namespace test {

// Runs a program found on PATH, its output discarded; its exit code, or -1 when it could not
// be run or was killed.
int RunTool(std::vector<std::string> args);
// Runs a program and writes what it printed on standard output to outPath.
int RunToolTo(std::vector<std::string> args, const std::string& outPath);

// A binary netpbm picture (P5 grey, P6 colour, P7 with any depth), samples of one or two bytes
// widened to 16 bits, rows top down.
struct Netpbm {
  int width = 0;
  int height = 0;
  int channels = 0;
  int maxValue = 0;
  std::vector<std::uint16_t> samples;
  [[nodiscard]] std::uint16_t At(int x, int y, int channel) const {
    return samples[(static_cast<std::size_t>(y) * width + x) * channels + channel];
  }
};
std::optional<Netpbm> ReadNetpbm(const std::string& path);

// The largest difference of any byte between image and the reference's red, green, blue
// reduced to 8 bits (alpha, where present, shown over white); -1 when the sizes differ.
int LargestDifference(const CDibImage& image, const Netpbm& reference);

// An EXIF block (TIFF header and a first directory of one entry) holding the orientation tag,
// in either byte order.
std::vector<std::uint8_t> ExifBlock(int orientation, bool bigEndian);
// jpeg with an APP1 segment holding block right after its start marker, as cameras write it.
std::vector<std::uint8_t> WithExifSegment(const std::vector<std::uint8_t>& jpeg,
                                          const std::vector<std::uint8_t>& block);

// Writes a binary PPM of a 24-bit image, for the encoders.
void WritePpm(const CDibImage& image, const std::string& path);

}  // namespace test
