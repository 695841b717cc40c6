// Tile list files: plain text, one image file path per line.
#pragma once

#include <optional>
#include <string>
#include <vector>

// The paths of the file, each line stripped of leading and trailing white space, blank lines
// left out. Lines of any length are read whole. Nothing when the file cannot be opened.
[[nodiscard]] std::optional<std::vector<std::string>> ReadTileListFile(const std::string& path);

enum class TileListWriteResult { kWritten, kCreateFailed, kWriteFailed };

// Writes one path per line, each line ended by CR LF, replacing the file.
[[nodiscard]] TileListWriteResult WriteTileListFile(const std::string& path,
                                                    const std::vector<std::string>& paths);
