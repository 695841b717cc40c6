// The tiles of a folder given with --tiles-dir, optionally with all its subfolders.
#pragma once

#include <string>
#include <vector>

#include "engine/TileList.h"
#include "formats/LoadOptions.h"

// The entries a folder walk passed over, by kind.
struct FolderSkips {
  int hidden = 0;             // names that begin with a dot
  int unreadableFolders = 0;  // subfolders that cannot be listed
  int linksOutside = 0;       // links to folders outside the named folder
  int notRegular = 0;         // pipes, devices and sockets
  int unreadableFiles = 0;    // files that cannot be opened, or vanished before they were read
  int notImages = 0;          // files that are no image the program reads
  int lostInBuild = 0;        // tiles that vanished or could not be read once the build began

  [[nodiscard]] int Total() const;
  FolderSkips& operator+=(const FolderSkips& other);
};

struct FolderListing {
  std::vector<std::string> files;  // sorted by path
  FolderSkips skipped;
};

// The files of dir; with recursive those of every subfolder as well. Hidden names are passed
// over. A link to a folder is followed only when the folder lies inside dir, and each folder is
// read once however many links lead to it, so neither a link loop nor a link to "/" leads the
// walk out. Every entry passed over is counted in listing.skipped. False when dir itself cannot
// be read.
[[nodiscard]] bool ListFolderFiles(const std::string& dir, bool recursive, FolderListing& listing);

struct TileFolderCount {
  int added = 0;  // files that probed as images and joined the list
  FolderSkips skipped;
};

// Adds every image of listing to tiles, probed with options; the files that are not added are
// counted by why.
[[nodiscard]] TileFolderCount AddFolderTiles(const FolderListing& listing, TileList& tiles,
                                             const LoadOptions& options);

// "3 skipped (2 unreadable folders, 1 not a regular file)"; "0 skipped" when nothing was.
[[nodiscard]] std::string SkipSummary(const FolderSkips& skipped);

// "1,234 images added, 3 skipped (2 unreadable folders, 1 not a regular file)".
[[nodiscard]] std::string FolderSummary(const TileFolderCount& count);
