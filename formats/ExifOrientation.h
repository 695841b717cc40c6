// The orientation tag of an EXIF block, as JPEG (APP1) and PNG (eXIf) files carry it.
#pragma once

#include <cstddef>
#include <cstdint>

// The orientation 1..8 stored in the first image directory of an EXIF block; 1 (upright) when
// the block is damaged, has no orientation tag, or holds a value outside 1..8. data is the block
// with or without the "Exif\0\0" prefix a JPEG APP1 segment puts before it.
[[nodiscard]] int ExifOrientation(const std::uint8_t* data, std::size_t size);
