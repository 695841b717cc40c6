// The tiles of a folder given with --tiles-dir, optionally with all its subfolders.
#pragma once

#include <string>
#include <vector>

#include "engine/TileList.h"
#include "formats/LoadOptions.h"

// The files of dir, sorted by path; with recursive those of every subfolder as well. Names that
// begin with a dot (hidden files and folders) are passed over. Symbolic links are followed, and
// each folder is read once however many links lead to it, so a link loop ends. False when dir
// itself cannot be read; subfolders that cannot be read are passed over.
[[nodiscard]] bool ListFolderFiles(const std::string& dir, bool recursive,
                                   std::vector<std::string>& files);

struct TileFolderCount {
  int added = 0;    // files that probed as images and joined the list
  int skipped = 0;  // files that are no image the program reads
};

// Adds every image among files to tiles, probed with options.
[[nodiscard]] TileFolderCount AddFolderTiles(const std::vector<std::string>& files,
                                             TileList& tiles, const LoadOptions& options);

// "1,234 images added, 17 files skipped" (singular for one).
[[nodiscard]] std::string FolderSummary(const TileFolderCount& count);
