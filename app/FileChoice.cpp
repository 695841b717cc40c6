#include "app/FileChoice.h"

#include <algorithm>
#include <cctype>

#include "image/PathUtils.h"
#include "platform/LocalPath.h"
#include "resources/StringTable.h"

PictureFilterChoice ChoosePictureFilter(const std::string& startPath) {
  std::string ending = startPath.size() >= 3 ? startPath.substr(startPath.size() - 3) : "";
  std::transform(ending.begin(), ending.end(), ending.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (ending == "bmp") return {"bmp", 2};
  if (ending == "gif") return {"gif", 3};
  return {"jpg", 1};
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
