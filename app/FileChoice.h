// How the main window's file dialogs start from a remembered path.
#pragma once

#include <string>

#include "platform/FileDialog.h"

// The default extension and the filter position that a starting path's last three letters
// pick among the picture filters: "bmp" gives 2, "gif" 3, anything else "jpg" and 1.
struct PictureFilterChoice {
  const char* extension;
  int filterIndex;
};
[[nodiscard]] PictureFilterChoice ChoosePictureFilter(const std::string& startPath);

// A request whose folder and name come from startPath; an empty startPath starts in the
// program's folder with the name "*." and the default extension.
[[nodiscard]] FileDialogRequest MakeFileRequest(const std::string& startPath, unsigned titleId,
                                                unsigned filterId, const char* extension);
