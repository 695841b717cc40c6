#include "cli/TileFolder.h"

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <utility>

#include "formats/InputFile.h"
#include "image/NumberUtils.h"

namespace fs = std::filesystem;

namespace {

using FolderId = std::pair<dev_t, ino_t>;

bool IsHidden(const fs::path& path) {
  const std::string name = path.filename().string();
  return !name.empty() && name[0] == '.';
}

// The device and inode of the folder a path leads to, links followed; false when it has none.
bool IdOf(const fs::path& folder, FolderId& id) {
  struct stat info {};
  if (stat(folder.c_str(), &info) != 0) return false;
  id = {info.st_dev, info.st_ino};
  return true;
}

// Whether the canonical path lies inside the canonical root (or is it).
bool Inside(const fs::path& root, const fs::path& path) {
  return std::mismatch(root.begin(), root.end(), path.begin(), path.end()).first == root.end();
}

struct Walk {
  fs::path root;  // the named folder, canonical
  bool recursive = false;
  std::vector<fs::path> pending;
  FolderListing& listing;
};

// Files join the listing, subfolders the walk; everything else is counted by kind.
void TakeEntry(const fs::directory_entry& entry, Walk& walk) {
  FolderSkips& skipped = walk.listing.skipped;
  if (IsHidden(entry.path())) {
    ++skipped.hidden;
    return;
  }
  std::error_code error;
  const fs::file_status status = entry.status(error);  // through links
  if (error) {
    ++skipped.unreadableFiles;  // a link to nothing, or an entry gone since it was listed
  } else if (fs::is_directory(status)) {
    if (!walk.recursive) return;
    std::error_code linkError;
    if (entry.is_symlink(linkError) || linkError) {
      const fs::path target = fs::canonical(entry.path(), linkError);
      if (linkError || !Inside(walk.root, target)) {
        ++skipped.linksOutside;
        return;
      }
    }
    walk.pending.push_back(entry.path());
  } else if (fs::is_regular_file(status)) {
    walk.listing.files.push_back(entry.path().string());
  } else {
    ++skipped.notRegular;
  }
}

// Lists one folder into the walk; false when it cannot be listed at all.
bool ReadFolder(const fs::path& folder, Walk& walk) {
  std::error_code error;
  fs::directory_iterator it(folder, error);
  if (error) return false;
  for (; it != fs::directory_iterator(); it.increment(error)) {
    if (error) return false;
    TakeEntry(*it, walk);
  }
  return !error;
}

// Why a file of the listing did not join the tiles.
void CountRefusal(const std::string& file, FolderSkips& skipped) {
  int error = 0;
  if (std::FILE* opened = OpenInputFile(file, error)) {
    std::fclose(opened);
    ++skipped.notImages;
  } else if (error == kNotARegularFile) {
    ++skipped.notRegular;
  } else {
    ++skipped.unreadableFiles;
  }
}

std::string Counted(int n, const char* one, const char* many) {
  return FormatThousands(static_cast<std::uint32_t>(n)) + " " + (n == 1 ? one : many);
}

}  // namespace

int FolderSkips::Total() const {
  return hidden + unreadableFolders + linksOutside + notRegular + unreadableFiles + notImages +
         lostInBuild;
}

FolderSkips& FolderSkips::operator+=(const FolderSkips& other) {
  hidden += other.hidden;
  unreadableFolders += other.unreadableFolders;
  linksOutside += other.linksOutside;
  notRegular += other.notRegular;
  unreadableFiles += other.unreadableFiles;
  notImages += other.notImages;
  lostInBuild += other.lostInBuild;
  return *this;
}

bool ListFolderFiles(const std::string& dir, bool recursive, FolderListing& listing) {
  std::error_code error;
  Walk walk{fs::canonical(dir, error), recursive, {fs::path(dir)}, listing};
  if (error) return false;
  std::set<FolderId> visited;
  bool first = true;
  while (!walk.pending.empty()) {
    const fs::path folder = std::move(walk.pending.back());
    walk.pending.pop_back();
    FolderId id{};
    const bool known = IdOf(folder, id);
    if (known && !visited.insert(id).second) continue;  // reached again through a link
    if (!known || !ReadFolder(folder, walk)) {
      if (first) return false;
      ++listing.skipped.unreadableFolders;
    }
    first = false;
  }
  std::sort(listing.files.begin(), listing.files.end());
  return true;
}

TileFolderCount AddFolderTiles(const FolderListing& listing, TileList& tiles,
                               const LoadOptions& options) {
  TileFolderCount count;
  count.skipped = listing.skipped;
  for (const std::string& file : listing.files) {
    if (tiles.AddFile(file, options))
      ++count.added;
    else
      CountRefusal(file, count.skipped);
  }
  return count;
}

std::string SkipSummary(const FolderSkips& skipped) {
  const std::pair<int, std::string> kinds[] = {
      {skipped.unreadableFolders, Counted(skipped.unreadableFolders, "unreadable folder", "unreadable folders")},
      {skipped.linksOutside, Counted(skipped.linksOutside, "link out of the folder", "links out of the folder")},
      {skipped.notRegular, Counted(skipped.notRegular, "not a regular file", "not regular files")},
      {skipped.unreadableFiles, Counted(skipped.unreadableFiles, "unreadable file", "unreadable files")},
      {skipped.notImages, Counted(skipped.notImages, "not an image", "not images")},
      {skipped.lostInBuild, Counted(skipped.lostInBuild, "vanished or unreadable during the build",
                                    "vanished or unreadable during the build")},
      {skipped.hidden, Counted(skipped.hidden, "hidden", "hidden")},
  };
  std::string text = FormatThousands(static_cast<std::uint32_t>(skipped.Total())) + " skipped";
  std::string separator = " (";
  for (const auto& [n, words] : kinds) {
    if (n == 0) continue;
    text += separator + words;
    separator = ", ";
  }
  return skipped.Total() > 0 ? text + ")" : text;
}

std::string FolderSummary(const TileFolderCount& count) {
  return Counted(count.added, "image", "images") + " added, " + SkipSummary(count.skipped);
}
