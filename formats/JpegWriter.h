// Writing a 24-bit image as a JPEG file through libjpeg.
#pragma once

#include <cstdint>
#include <string>

#include "formats/OutputTarget.h"
#include "formats/SaveResult.h"
#include "image/DibImage.h"

class CProgress;

// The stored JPEG quality codes of the poster options.
constexpr unsigned kJpegQualityHigh = 1045;
constexpr unsigned kJpegQualityMedium = 1046;
constexpr unsigned kJpegQualityLow = 1047;

// The library quality (1..100) that a quality code stands for; any other code counts as Medium.
[[nodiscard]] int JpegQualityFor(unsigned qualityCode);

// Whether the format can hold a width × height picture (65,500 pixels on each side at most).
[[nodiscard]] bool JpegCanHold(std::int64_t width, std::int64_t height);

// Writes image (24-bit, blue-green-red) to target as a baseline JPEG with optimised Huffman
// tables. Reports to progress (may be nullptr) "Starting compression . . .", then "Compressing
// image data . . ." and the kilobytes of image data compressed so far with the bar per whole
// percent of rows, then "Finishing compression . . ."; a cancel stops the writing. The file
// appears only when complete: on cancel or error an existing file of that name is untouched. A
// side longer than the format allows is refused before anything is written.
[[nodiscard]] SaveResult WriteJpegFile(const CDibImage& image, const COutputTarget& target,
                                       unsigned qualityCode, CProgress* progress);
