// Tiles kept as shaped for the grid between builds, so that a rebuild which changes only the
// emphasis, the frame, the order or the seed reads no tile file.
//
// A shaped tile is keyed by its file (path, size in bytes and modification time), and by the
// shape (tile image size, cell size, crop and rotate options): a file changed on disk or a new
// grid misses and is read again. The probed size of each file is kept under the same file key,
// so that the build's reprobe opens no kept file either. The owner (the main window) keeps one
// cache for its whole life and lends it to every build; only the calling thread of a build
// touches it.
//
// Memory is bounded: when keeping a tile would take the cache past its budget (a quarter of the
// machine's memory by default), the tiles that the running build does not use are dropped
// first, and if that is not enough the new tile is not kept beyond the build.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "engine/TileList.h"
#include "engine/TileShaping.h"
#include "image/DibImage.h"

// What tells a changed file: its size in bytes and its modification time.
struct FileStamp {
  std::uintmax_t sizeBytes = 0;
  std::int64_t modifiedNs = 0;

  auto operator<=>(const FileStamp&) const = default;
};

// The file's stamp; nothing when it cannot be looked at.
[[nodiscard]] std::optional<FileStamp> StampFile(const std::string& path);

// A quarter of the machine's physical memory.
[[nodiscard]] std::size_t DefaultTileCacheBudget();

class ShapedTileCache {
 public:
  explicit ShapedTileCache(std::size_t budgetBytes = DefaultTileCacheBudget());

  // Starts a build: the tiles found or kept from now on count as in use.
  void BeginBuild();

  [[nodiscard]] std::optional<TileSizeInfo> FindProbe(const std::string& path,
                                                      const FileStamp& stamp,
                                                      bool upright = true) const;
  void KeepProbe(const std::string& path, const FileStamp& stamp, TileSizeInfo size,
                 bool upright = true);

  // The kept tile, marked in use by the running build; nullptr when none is kept.
  [[nodiscard]] std::shared_ptr<const CDibImage> Find(const std::string& path,
                                                      const FileStamp& stamp,
                                                      const TileShape& shape);
  // Keeps a shaped tile within the budget; false when it could not be kept.
  bool Keep(const std::string& path, const FileStamp& stamp, const TileShape& shape,
            std::shared_ptr<const CDibImage> tile);

  // Drops every tile and probe.
  void Clear();

  [[nodiscard]] std::size_t GetBytes() const { return m_bytes; }
  [[nodiscard]] std::size_t GetBudget() const { return m_budgetBytes; }
  [[nodiscard]] std::size_t GetTileCount() const { return m_tiles.size(); }

 private:
  struct FileKey {
    std::string path;
    FileStamp stamp;
    auto operator<=>(const FileKey&) const = default;
  };
  struct TileKey {
    FileKey file;
    int width, height, cellWidth, cellHeight;
    bool crop, rotate, landscapeMajority, turnUpright;
    auto operator<=>(const TileKey&) const = default;
  };
  struct Kept {
    std::shared_ptr<const CDibImage> tile;
    std::uint64_t lastBuild = 0;
  };

  static TileKey MakeKey(const std::string& path, const FileStamp& stamp, const TileShape& shape);
  void DropUnused();

  std::size_t m_budgetBytes;
  std::size_t m_bytes = 0;
  std::uint64_t m_build = 0;
  std::map<TileKey, Kept> m_tiles;
  std::map<std::pair<FileKey, bool>, TileSizeInfo> m_probes;  // by file and upright
};
