#include "app/FileChoice.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <algorithm>
#include <cctype>

#include "image/PathUtils.h"
#include "platform/LocalPath.h"
#include "resources/StringTable.h"

namespace {

struct FilterEntry {
  const char* extension;
  int filterIndex;
};

// The picture formats a typed name may end in; the open dialogs list them all under their first
// filter.
constexpr const char* kPictureExtensions[] = {"jpg",  "jpeg", "png", "webp", "heic",
                                              "heif", "avif", "bmp", "gif"};
// Positions in the string table's filter IDS_SAVE_FILTER.
constexpr FilterEntry kSaveFilters[] = {{"jpg", 1}, {"jpeg", 1}, {"png", 2}, {"bmp", 3}};

std::string LowerExtension(const std::string& path) {
  const std::size_t dot = path.find_last_of("./");
  if (dot == std::string::npos || path[dot] != '.') return {};
  std::string ending = path.substr(dot + 1);
  std::transform(ending.begin(), ending.end(), ending.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return ending;
}

template <std::size_t N>
PictureFilterChoice ChooseAmong(const FilterEntry (&entries)[N], const std::string& path,
                                int fallbackIndex) {
  const std::string ending = LowerExtension(path);
  for (const FilterEntry& entry : entries)
    if (ending == entry.extension) return {entry.extension, entry.filterIndex};
  return {"jpg", fallbackIndex};
}

}  // namespace

// Opening always starts with every readable picture shown: a remembered JPEG name must not hide
// the PNG, WebP and HEIC photos beside it.
PictureFilterChoice ChoosePictureFilter(const std::string& startPath) {
  const std::string ending = LowerExtension(startPath);
  for (const char* extension : kPictureExtensions)
    if (ending == extension) return {extension, 1};
  return {"jpg", 1};
}

PictureFilterChoice ChooseSaveFilter(const std::string& startPath) {
  return ChooseAmong(kSaveFilters, startPath, 1);
}

FileDialogRequest MakeFileRequest(const std::string& startPath, unsigned titleId,
                                  unsigned filterId, const char* extension) {
  std::string path = startPath;
  if (path.empty()) {
    GetProgramDirectory(path);
    path += "/*.";
    path += extension;
  }
  std::string directory = path;
  StripFileName(directory);
  std::string name = path;
  StripDirectory(name);
  FileDialogRequest request;
  request.title = QString::fromUtf8(res::LoadString(titleId));
  request.filter = QString::fromUtf8(res::LoadString(filterId));
  request.defaultExtension = QString::fromLatin1(extension);
  request.initialDirectory = FromLocalPath(directory);
  request.initialName = FromLocalPath(name);
  return request;
}

std::string SaveStartPath(const std::string& rememberedName) {
  std::string folder = rememberedName;
  StripFileName(folder);
  if (!folder.empty() && QFileInfo(FromLocalPath(folder)).isDir()) return rememberedName;
  QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
  if (pictures.isEmpty() || !QFileInfo(pictures).isDir()) pictures = QDir::homePath();
  std::string path = rememberedName;
  ReplaceDirectory(path, ToLocalPath(pictures));
  return path;
}
