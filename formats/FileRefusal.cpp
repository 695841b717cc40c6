#include "formats/FileRefusal.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "formats/ForeignFormat.h"
#include "formats/ImageFile.h"
#include "formats/HeifReader.h"
#include "formats/ImageLimits.h"
#include "formats/InputFile.h"
#include "formats/PngReader.h"
#include "image/NumberUtils.h"
#include "resources/StringTable.h"

namespace {

std::uint32_t BigEndian32(const unsigned char* bytes) {
  return static_cast<std::uint32_t>(bytes[0]) << 24 | static_cast<std::uint32_t>(bytes[1]) << 16 |
         static_cast<std::uint32_t>(bytes[2]) << 8 | bytes[3];
}

// "too large: 100,000 x 20 pixels, ..." for a PNG file whose header declares a side past what is
// read here; empty otherwise.
std::string PngTooLarge(const unsigned char* head, std::size_t size) {
  constexpr unsigned char kStart[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n',
                                      0,    0,   0,   13,  'I',  'H',  'D',  'R'};
  if (size < 24 || !std::equal(std::begin(kStart), std::end(kStart), head)) return {};
  const std::uint32_t width = BigEndian32(head + 16), height = BigEndian32(head + 20);
  if (width <= kPngMaxSide && height <= kPngMaxSide) return {};
  return res::FormatString(res::IDS_IMAGE_TOO_LARGE,
                           {FormatThousands(width), FormatThousands(height),
                            FormatThousands(static_cast<std::uint32_t>(kPngMaxSide))});
}

// The same for a HEIC or AVIF file: its picture's coded size lies in an image-spatial-extents
// box ("ispe") among the first boxes, which the library refuses to report past its limit.
std::string HeifTooLarge(const std::string& fileName, const unsigned char* head, std::size_t size) {
  if (HeifBrandOf(head, size) == HeifBrand::kNone) return {};
  int error = 0;
  std::FILE* file = OpenInputFile(fileName, error);
  if (file == nullptr) return {};
  std::vector<unsigned char> boxes(64 * 1024);
  boxes.resize(std::fread(boxes.data(), 1, boxes.size(), file));
  std::fclose(file);
  std::uint32_t width = 0, height = 0;
  constexpr unsigned char kIspe[] = {'i', 's', 'p', 'e'};
  // "ispe", 4 bytes of version and flags, then the width and the height.
  for (auto at = boxes.begin(); boxes.end() - at >= 16; ++at) {
    at = std::search(at, boxes.end() - 12, std::begin(kIspe), std::end(kIspe));
    if (at == boxes.end() - 12) break;
    width = std::max(width, BigEndian32(&*at + 8));
    height = std::max(height, BigEndian32(&*at + 12));
  }
  if (width <= kHeifMaxSide && height <= kHeifMaxSide) return {};
  return res::FormatString(res::IDS_IMAGE_TOO_LARGE,
                           {FormatThousands(width), FormatThousands(height),
                            FormatThousands(static_cast<std::uint32_t>(kHeifMaxSide))});
}

// "too large: 40,000 x 30,000 pixels, ..." for a picture the reader accepts but whose area is
// past the limit every reader keeps; empty otherwise.
std::string PastAreaLimit(const std::string& fileName) {
  CDibImage image;
  int width = 0, height = 0;
  if (!ProbeDeclaredSize(image, fileName, width, height) || IsWithinAreaLimit(width, height))
    return {};
  return res::FormatString(res::IDS_IMAGE_PAST_AREA,
                           {FormatThousands(static_cast<std::uint32_t>(width)),
                            FormatThousands(static_cast<std::uint32_t>(height)),
                            FormatThousands(static_cast<std::uint32_t>(kMaxImagePixels))});
}

}  // namespace

std::string DescribeRefusal(const std::string& fileName) {
  int error = 0;
  std::FILE* file = OpenInputFile(fileName, error);
  if (file == nullptr) return DescribeFileError(error);
  unsigned char head[kFormatHeadBytes];
  const std::size_t size = std::fread(head, 1, sizeof head, file);
  std::fclose(file);
  constexpr std::size_t kShortestImage = 10;
  if (size < kShortestImage) return res::LoadString(res::IDS_FILE_TOO_SHORT);
  if (FormatName(head, size) != nullptr) {
    std::string tooLarge = PngTooLarge(head, size);
    if (tooLarge.empty()) tooLarge = HeifTooLarge(fileName, head, size);
    if (tooLarge.empty()) tooLarge = PastAreaLimit(fileName);
    return tooLarge.empty() ? res::LoadString(res::IDS_DAMAGED_IMAGE) : tooLarge;
  }
  if (const char* foreign = ForeignFormatName(head, size)) {
    std::string text = res::LoadString(res::IDS_FOREIGN_FORMAT);
    return text.replace(text.find("%s"), 2, foreign);
  }
  return res::LoadString(res::IDS_UNKNOWN_FORMAT);
}
