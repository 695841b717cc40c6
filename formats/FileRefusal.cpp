#include "formats/FileRefusal.h"

#include <cstdio>

#include "formats/ForeignFormat.h"
#include "formats/ImageFile.h"
#include "formats/InputFile.h"
#include "resources/StringTable.h"

std::string DescribeRefusal(const std::string& fileName) {
  int error = 0;
  std::FILE* file = OpenInputFile(fileName, error);
  if (file == nullptr) return DescribeFileError(error);
  unsigned char head[kFormatHeadBytes];
  const std::size_t size = std::fread(head, 1, sizeof head, file);
  std::fclose(file);
  constexpr std::size_t kShortestImage = 10;
  if (size < kShortestImage) return res::LoadString(res::IDS_FILE_TOO_SHORT);
  if (FormatName(head, size) != nullptr) return res::LoadString(res::IDS_DAMAGED_IMAGE);
  if (const char* foreign = ForeignFormatName(head, size)) {
    std::string text = res::LoadString(res::IDS_FOREIGN_FORMAT);
    return text.replace(text.find("%s"), 2, foreign);
  }
  return res::LoadString(res::IDS_UNKNOWN_FORMAT);
}
