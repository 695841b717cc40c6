#include "output/PosterSaver.h"

#include <cctype>

#include "formats/BmpWriter.h"
#include "formats/JpegWriter.h"
#include "formats/PngWriter.h"
#include "resources/StringTable.h"

namespace {

bool EndsWithNoCase(const std::string& name, const std::string& suffix) {
  if (name.size() < suffix.size()) return false;
  for (std::size_t i = 0; i < suffix.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(name[name.size() - suffix.size() + i])) !=
        suffix[i])
      return false;
  return true;
}

}  // namespace

std::optional<PosterFormat> PosterFormatFromName(const std::string& fileName) {
  if (EndsWithNoCase(fileName, ".jpg") || EndsWithNoCase(fileName, ".jpeg"))
    return PosterFormat::kJpeg;
  if (EndsWithNoCase(fileName, ".bmp")) return PosterFormat::kBmp;
  if (EndsWithNoCase(fileName, ".png")) return PosterFormat::kPng;
  return std::nullopt;
}

SaveResult SavePoster(const CDibImage& image, const COutputTarget& target, PosterFormat format,
                      unsigned jpegQualityCode, CProgress* progress) {
  switch (format) {
    case PosterFormat::kBmp: return WriteBmpFile(image, target, progress);
    case PosterFormat::kJpeg: return WriteJpegFile(image, target, jpegQualityCode, progress);
    case PosterFormat::kPng: return WritePngFile(image, target, progress);
  }
  return SaveResult::kWriteError;
}

PosterSaveOutcome SavePosterAs(const CDibImage& image, const COutputTarget& target,
                               unsigned jpegQualityCode, CProgress* progress) {
  const std::optional<PosterFormat> format = PosterFormatFromName(target.Path());
  if (!format) return {PosterSaveStatus::kRefusedName, res::IDS_BAD_EXTENSION};
  const SaveResult result = SavePoster(image, target, *format, jpegQualityCode, progress);
  switch (result) {
    case SaveResult::kSaved: return {PosterSaveStatus::kSaved, 0};
    case SaveResult::kCancelled: return {PosterSaveStatus::kCancelled, 0};
    default: return {PosterSaveStatus::kFailed, MessageId(result, *format == PosterFormat::kJpeg)};
  }
}
