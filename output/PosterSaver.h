// Saving the poster: the file name's extension chooses the format.
#pragma once

#include <optional>
#include <string>

#include "formats/OutputTarget.h"
#include "formats/SaveResult.h"
#include "image/DibImage.h"

class CProgress;

enum class PosterFormat { kBmp, kJpeg, kPng };

// ".bmp", ".jpg", ".jpeg" and ".png" in any letter case; nothing for any other name.
[[nodiscard]] std::optional<PosterFormat> PosterFormatFromName(const std::string& fileName);

// Writes image to target in the format its extension names; jpegQualityCode is the stored
// quality code (1045 High, 1046 Medium, 1047 Low) and is used only for JPEG. The caller checks
// the extension first with PosterFormatFromName.
[[nodiscard]] SaveResult SavePoster(const CDibImage& image, const COutputTarget& target,
                                    PosterFormat format, unsigned jpegQualityCode,
                                    CProgress* progress);

enum class PosterSaveStatus {
  kSaved,
  kRefusedName,  // the name ends in neither .jpg nor .bmp: nothing was written
  kCancelled,    // nothing was left behind; an existing file of that name is untouched
  kFailed,       // likewise
};

struct PosterSaveOutcome {
  PosterSaveStatus status = PosterSaveStatus::kSaved;
  unsigned messageId = 0;  // the string-table message to show (its %s is the name), 0 for none
};

// The Save Poster command after the file dialog and the target check: the extension picks the
// format, any other name is refused with the extension message; the writer reports to progress (may be nullptr).
// The file appears only when complete.
[[nodiscard]] PosterSaveOutcome SavePosterAs(const CDibImage& image, const COutputTarget& target,
                                             unsigned jpegQualityCode, CProgress* progress);
