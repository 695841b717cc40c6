#include "engine/ShapedTileCache.h"

#include <sys/stat.h>
#include <unistd.h>

#include <limits>

std::optional<FileStamp> StampFile(const std::string& path) {
  struct stat info {};
  if (stat(path.c_str(), &info) != 0) return std::nullopt;
  FileStamp stamp;
  stamp.sizeBytes = static_cast<std::uintmax_t>(info.st_size);
  stamp.modifiedNs = static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1'000'000'000 +
                     info.st_mtim.tv_nsec;
  return stamp;
}

std::size_t DefaultTileCacheBudget() {
  const long pages = sysconf(_SC_PHYS_PAGES);
  const long pageBytes = sysconf(_SC_PAGESIZE);
  // Without an answer, a budget that keeps a few thousand ordinary tiles.
  if (pages <= 0 || pageBytes <= 0) return std::size_t{256} << 20;
  const unsigned long long total = static_cast<unsigned long long>(pages) * pageBytes;
  return static_cast<std::size_t>(
      std::min<unsigned long long>(total / 4, std::numeric_limits<std::size_t>::max()));
}

ShapedTileCache::ShapedTileCache(std::size_t budgetBytes) : m_budgetBytes(budgetBytes) {}

void ShapedTileCache::BeginBuild() { ++m_build; }

std::optional<TileSizeInfo> ShapedTileCache::FindProbe(const std::string& path,
                                                       const FileStamp& stamp,
                                                       bool upright) const {
  const auto found = m_probes.find({FileKey{path, stamp}, upright});
  if (found == m_probes.end()) return std::nullopt;
  return found->second;
}

void ShapedTileCache::KeepProbe(const std::string& path, const FileStamp& stamp,
                                TileSizeInfo size, bool upright) {
  m_probes.insert_or_assign({FileKey{path, stamp}, upright}, size);
}

ShapedTileCache::TileKey ShapedTileCache::MakeKey(const std::string& path, const FileStamp& stamp,
                                                  const TileShape& shape) {
  return TileKey{FileKey{path, stamp}, shape.width,  shape.height, shape.cellWidth,
                 shape.cellHeight,     shape.crop,   shape.rotate, shape.landscapeMajority,
                 shape.turnUpright};
}

std::shared_ptr<const CDibImage> ShapedTileCache::Find(const std::string& path,
                                                       const FileStamp& stamp,
                                                       const TileShape& shape) {
  const auto found = m_tiles.find(MakeKey(path, stamp, shape));
  if (found == m_tiles.end()) return nullptr;
  found->second.lastBuild = m_build;
  return found->second.tile;
}

bool ShapedTileCache::Keep(const std::string& path, const FileStamp& stamp,
                           const TileShape& shape, std::shared_ptr<const CDibImage> tile) {
  if (!tile) return false;
  const std::size_t bytes = tile->GetImageBytes();
  const TileKey key = MakeKey(path, stamp, shape);
  if (m_tiles.count(key) != 0) return true;
  if (m_bytes + bytes > m_budgetBytes) DropUnused();
  if (m_bytes + bytes > m_budgetBytes) return false;
  m_tiles.emplace(key, Kept{std::move(tile), m_build});
  m_bytes += bytes;
  return true;
}

void ShapedTileCache::DropUnused() {
  for (auto it = m_tiles.begin(); it != m_tiles.end();) {
    if (it->second.lastBuild == m_build) {
      ++it;
      continue;
    }
    m_bytes -= it->second.tile->GetImageBytes();
    it = m_tiles.erase(it);
  }
}

void ShapedTileCache::Clear() {
  m_tiles.clear();
  m_probes.clear();
  m_bytes = 0;
}
