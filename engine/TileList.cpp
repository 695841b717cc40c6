#include "engine/TileList.h"

#include <algorithm>
#include <new>

#include "formats/ImageFile.h"

namespace {

unsigned char FoldAscii(unsigned char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}

// The list's sort order: byte by byte after folding ASCII letters, a prefix first.
bool PathLess(const std::string& a, const std::string& b) {
  return std::lexicographical_compare(
      a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return FoldAscii(static_cast<unsigned char>(x)) < FoldAscii(static_cast<unsigned char>(y));
      });
}

}  // namespace

std::optional<TileSizeInfo> ProbeTileSize(const std::string& path, const LoadOptions& options) {
  CDibImage scratch;
  int width = 0, height = 0;
  if (!Probe(scratch, path, width, height, options) || width < 0 || height < 0) return std::nullopt;
  return TileSizeInfo{width, height};
}

const std::string& TileList::GetText(int index) const {
  static const std::string kNone;
  if (index < 0 || index >= GetCount()) return kNone;
  return m_entries[index].path;
}

std::optional<TileSizeInfo> TileList::GetSizeInfo(int index) const {
  if (index < 0 || index >= GetCount()) return std::nullopt;
  return m_entries[index].sizeInfo;
}

BOOL TileList::AddFile(const std::string& path, const LoadOptions& options) {
  try {
    const std::optional<TileSizeInfo> size = ProbeTileSize(path, options);
    if (!size) return FALSE;
    const auto place = std::upper_bound(
        m_entries.begin(), m_entries.end(), path,
        [](const std::string& p, const Entry& entry) { return PathLess(p, entry.path); });
    m_entries.insert(place, Entry{path, size});
    return TRUE;
  } catch (const std::bad_alloc&) {
    return FALSE;
  }
}

void TileList::Remove(int index) {
  if (index < 0 || index >= GetCount()) return;
  m_entries.erase(m_entries.begin() + index);
}

void TileList::RemoveAll() { m_entries.clear(); }

int TileList::ReleaseAllSizeInfo() {
  for (Entry& entry : m_entries) entry.sizeInfo.reset();
  return GetCount();
}

int TileList::Reprobe(const LoadOptions& options) {
  return Reprobe([&options](const std::string& path) { return ProbeTileSize(path, options); });
}

int TileList::Reprobe(const std::function<std::optional<TileSizeInfo>(const std::string&)>& probe,
                      std::vector<std::string>* removed) {
  for (int i = 0; i < GetCount();) {
    m_entries[i].sizeInfo = probe(m_entries[i].path);
    if (m_entries[i].sizeInfo) {
      ++i;
      continue;
    }
    if (removed) removed->push_back(m_entries[i].path);
    Remove(i);
  }
  return GetCount();
}
