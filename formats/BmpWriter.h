// Writing a 24-bit image as a Windows bitmap file.
#pragma once

#include <cstdint>
#include <string>

#include "formats/OutputTarget.h"
#include "formats/SaveResult.h"
#include "image/DibImage.h"

class CProgress;

// Writes image (24-bit) to target: "BM", a 40-byte information header, bottom-up rows padded
// to 4 bytes. Reports "Writing header" and then the kilobytes written to progress (may be
// nullptr), whose cancel stops the writing. The file appears only when complete: on cancel or
// error an existing file of that name is untouched. A picture whose file would pass the
// format's 4 GiB size field is refused before anything is written.
// Whether a width × height 24-bit picture fits the format's 32-bit file size field.
[[nodiscard]] bool BmpCanHold(std::int64_t width, std::int64_t height);

[[nodiscard]] SaveResult WriteBmpFile(const CDibImage& image, const COutputTarget& target,
                                      CProgress* progress);
