// Writing a 24-bit image as a PNG file through libspng.
#pragma once

#include <string>

#include "formats/OutputTarget.h"
#include "formats/SaveResult.h"
#include "image/DibImage.h"

class CProgress;

// Writes image (24-bit, blue-green-red) to target as an 8-bit red-green-blue PNG, not
// interlaced. Reports "Saving poster image to disk using PNG format . . ." and then the
// kilobytes written with the bar per whole percent of rows to progress (may be nullptr), whose
// cancel stops the writing. The file appears only when complete: on cancel or error an existing
// file of that name is untouched.
[[nodiscard]] SaveResult WritePngFile(const CDibImage& image, const COutputTarget& target,
                                      CProgress* progress);
