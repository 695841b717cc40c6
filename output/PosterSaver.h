// Saving the poster: the file name's extension chooses the format.
#pragma once

#include <optional>
#include <string>

#include "formats/SaveResult.h"
#include "image/DibImage.h"

class CProgress;

enum class PosterFormat { kBmp, kJpeg, kPng };

// ".bmp", ".jpg" and ".png" in any letter case; nothing for any other name.
[[nodiscard]] std::optional<PosterFormat> PosterFormatFromName(const std::string& fileName);

// Writes image to fileName in the format its extension names; jpegQualityCode is the stored
// quality code (1045 High, 1046 Medium, 1047 Low) and is used only for JPEG. The caller checks
// the extension first with PosterFormatFromName.
[[nodiscard]] SaveResult SavePoster(const CDibImage& image, const std::string& fileName,
                                    PosterFormat format, unsigned jpegQualityCode,
                                    CProgress* progress);
