// File-name splitting and the program's and the system's directories. Paths are kept whole,
// whatever their length.
#pragma once

#include <string>

#include "image/Types.h"

// path becomes its directory part, keeping the trailing separator ("/photos/a.jpg" gives
// "/photos/"; a bare name gives "").
void StripFileName(std::string& path);
// path becomes its file name and extension ("/photos/a.jpg" gives "a.jpg").
void StripDirectory(std::string& path);
// path becomes directory, a separator unless directory is empty or ends in one, then path's file
// name and extension.
void ReplaceDirectory(std::string& path, const std::string& directory);
// The running program's directory without a trailing separator; the result is its length
// before that separator was removed.
int GetProgramDirectory(std::string& directory);
// TRUE when something (a file or a directory) exists at path.
[[nodiscard]] BOOL FileExists(const std::string& path);
// The system's temporary directory, ending in a separator.
void GetTempDirectory(std::string& directory);
