// How the main window's file dialogs start from a remembered path.
#pragma once

#include <string>

#include "platform/FileDialog.h"

// The default extension and the filter position that a starting path's extension picks. Opening
// starts with the first filter, all readable pictures; saving with the poster format of the
// path. A path without a known extension gives "jpg" and the first filter.
struct PictureFilterChoice {
  const char* extension;
  int filterIndex;
};
[[nodiscard]] PictureFilterChoice ChoosePictureFilter(const std::string& startPath);
[[nodiscard]] PictureFilterChoice ChooseSaveFilter(const std::string& startPath);

// A request whose folder and name come from startPath; an empty startPath starts in the
// program's folder with the name "*." and the default extension.
[[nodiscard]] FileDialogRequest MakeFileRequest(const std::string& startPath, unsigned titleId,
                                                unsigned filterId, const char* extension);

// Where the poster's save dialog starts: the remembered name in its folder when that folder
// exists, else that name in the user's pictures folder (the home folder without one).
[[nodiscard]] std::string SaveStartPath(const std::string& rememberedName);
