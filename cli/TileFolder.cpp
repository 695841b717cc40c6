#include "cli/TileFolder.h"

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <utility>

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

// Lists one folder: its files into files, its subfolders into folders.
bool ReadFolder(const fs::path& folder, std::vector<std::string>& files,
                std::vector<fs::path>& folders) {
  std::error_code error;
  fs::directory_iterator it(folder, error);
  if (error) return false;
  for (; it != fs::directory_iterator(); it.increment(error)) {
    if (error) break;
    const fs::directory_entry& entry = *it;
    if (IsHidden(entry.path())) continue;
    std::error_code kindError;
    if (entry.is_directory(kindError))
      folders.push_back(entry.path());
    else if (entry.is_regular_file(kindError))
      files.push_back(entry.path().string());
  }
  return true;
}

}  // namespace

bool ListFolderFiles(const std::string& dir, bool recursive, std::vector<std::string>& files) {
  std::set<FolderId> visited;
  std::vector<fs::path> pending{fs::path(dir)};
  bool first = true;
  while (!pending.empty()) {
    const fs::path folder = std::move(pending.back());
    pending.pop_back();
    FolderId id{};
    if (!IdOf(folder, id) || !visited.insert(id).second) {
      if (first) return false;
      continue;
    }
    std::vector<fs::path> subfolders;
    if (!ReadFolder(folder, files, subfolders) && first) return false;
    first = false;
    if (recursive) pending.insert(pending.end(), subfolders.begin(), subfolders.end());
  }
  std::sort(files.begin(), files.end());
  return true;
}

TileFolderCount AddFolderTiles(const std::vector<std::string>& files, TileList& tiles,
                               const LoadOptions& options) {
  TileFolderCount count;
  for (const std::string& file : files) {
    if (tiles.AddFile(file, options))
      ++count.added;
    else
      ++count.skipped;
  }
  return count;
}

std::string FolderSummary(const TileFolderCount& count) {
  const auto plural = [](int n, const char* one, const char* many) {
    return FormatThousands(static_cast<std::uint32_t>(n)) + " " + (n == 1 ? one : many);
  };
  return plural(count.added, "image", "images") + " added, " +
         plural(count.skipped, "file", "files") + " skipped";
}
