// Tile list files: plain text, one image file path per line.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "formats/OutputTarget.h"

// The paths of the file, each line stripped of leading and trailing white space, blank lines
// left out. Lines of any length are read whole. Nothing when the file cannot be opened.
[[nodiscard]] std::optional<std::vector<std::string>> ReadTileListFile(const std::string& path);

enum class TileListWriteResult { kWritten, kCreateFailed, kWriteFailed };

// Writes one path per line, each line ended by CR LF, replacing the file. The file appears only
// when complete: on an error an existing file of that name is untouched.
[[nodiscard]] TileListWriteResult WriteTileListFile(const COutputTarget& target,
                                                    const std::vector<std::string>& paths);
