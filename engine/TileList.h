// The tile list: the image files the poster's tiles are taken from, kept sorted by path.
//
// Paths are kept exactly as given. The order compares paths byte by byte with ASCII letters
// folded to lower case; a new path goes after every entry that does not sort after it, so equal
// paths (duplicates are allowed) keep the order they were added in. An entry's index is its
// position in that order. Each entry owns at most one size record. Index arguments outside
// 0..count − 1 read as an empty entry and change nothing.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "formats/LoadOptions.h"
#include "image/Types.h"

// Size of a tile image in pixels as the probe reported it.
struct TileSizeInfo {
  int width = 0;
  int height = 0;
};

// Probes the file at path; nothing when it cannot be probed or reports a side below 0.
[[nodiscard]] std::optional<TileSizeInfo> ProbeTileSize(const std::string& path, const LoadOptions& options = {});

class TileList {
 public:
  [[nodiscard]] int GetCount() const { return static_cast<int>(m_entries.size()); }
  // The entry's path; empty for an index out of range.
  [[nodiscard]] const std::string& GetText(int index) const;
  // The entry's size record, or none when it has none (or the index is out of range).
  [[nodiscard]] std::optional<TileSizeInfo> GetSizeInfo(int index) const;

  // Probes path; when that succeeds with both sides 0 or more, inserts the path at its sorted
  // place with the probed size and returns TRUE. Otherwise (unreadable file, shorter than 10
  // bytes, unknown format, refused header, no memory) nothing is added and the result is FALSE.
  // options say whether the size is that of the upright picture.
  [[nodiscard]] BOOL AddFile(const std::string& path, const LoadOptions& options = {});
  // Removes the entry with its size record.
  void Remove(int index);
  void RemoveAll();
  // Frees the size record of every entry, keeping the entries; returns the number of entries.
  int ReleaseAllSizeInfo();
  // Probes every entry's file again, in list order: a file that probes stores its new size
  // (a record is made where there was none), an entry whose file no longer probes is removed.
  // Returns the number of entries left.
  int Reprobe(const LoadOptions& options = {});
  // The same with another way to learn a file's size (one that remembers files already probed);
  // the paths of the entries removed are added to removed where it is given.
  int Reprobe(const std::function<std::optional<TileSizeInfo>(const std::string&)>& probe,
              std::vector<std::string>* removed = nullptr);

 private:
  struct Entry {
    std::string path;
    std::optional<TileSizeInfo> sizeInfo;
  };

  std::vector<Entry> m_entries;
};
