#include "output/PosterSaver.h"

#include <cctype>

#include "formats/BmpWriter.h"
#include "formats/JpegWriter.h"
#include "formats/PngWriter.h"

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
  if (EndsWithNoCase(fileName, ".jpg")) return PosterFormat::kJpeg;
  if (EndsWithNoCase(fileName, ".bmp")) return PosterFormat::kBmp;
  if (EndsWithNoCase(fileName, ".png")) return PosterFormat::kPng;
  return std::nullopt;
}

SaveResult SavePoster(const CDibImage& image, const std::string& fileName, PosterFormat format,
                      unsigned jpegQualityCode, CProgress* progress) {
  switch (format) {
    case PosterFormat::kBmp: return WriteBmpFile(image, fileName, progress);
    case PosterFormat::kJpeg: return WriteJpegFile(image, fileName, jpegQualityCode, progress);
    case PosterFormat::kPng: return WritePngFile(image, fileName, progress);
  }
  return SaveResult::kWriteError;
}
