// Reading HEIF files (HEIC, coded with HEVC) and AVIF files (coded with AV1) through libheif:
// the primary picture of the file.
//
// Both operations work on the image's open file, positioned at its first byte, and close it
// before they return; nothing is thrown. The file's rotation, mirroring and cropping are always
// applied by the library (context.orientation stays 1), whatever context.options say: in this
// format they define the picture, unlike an EXIF tag beside it. Read without them, a picture
// shows its encoder's padding, and the library reports no size for it to probe.
#pragma once

#include <cstddef>
#include <cstdint>

#include "formats/LoadOptions.h"
#include "image/DibImage.h"

// Sides above this are refused before anything is decoded.
constexpr int kHeifMaxSide = 65535;

enum class HeifBrand { kNone, kHeic, kAvif };

// The kind of file whose first bytes are head, from its file-type box: the major brand, or for
// the general brands mif1 and msf1 the compatible brands that follow within head.
[[nodiscard]] HeifBrand HeifBrandOf(const std::uint8_t* head, std::size_t size);

// TRUE with the size of the primary picture when the file's boxes can be read. No pixels are
// decoded.
[[nodiscard]] BOOL ProbeHeifFile(CDibImage& image, int& width, int& height, ReadContext& context);

// Decodes the primary picture into a new 24-bit image; alpha is shown over white and samples of
// more than 8 bits are reduced. The image stays empty when the file is refused, its picture
// cannot be decoded or the pixels cannot be had.
void ReadHeifFile(CDibImage& image, ReadContext& context);
