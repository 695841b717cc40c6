#include "app/TileListFile.h"

#include <cstdio>
#include <fstream>

#include "formats/AtomicFile.h"

std::optional<std::vector<std::string>> ReadTileListFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::vector<std::string> paths;
  std::string line;
  constexpr const char* kBlanks = " \t\r\n\f\v";
  while (std::getline(in, line)) {
    const auto first = line.find_first_not_of(kBlanks);
    if (first == std::string::npos) continue;
    const auto last = line.find_last_not_of(kBlanks);
    paths.push_back(line.substr(first, last - first + 1));
  }
  return paths;
}

TileListWriteResult WriteTileListFile(const COutputTarget& target,
                                      const std::vector<std::string>& paths) {
  CAtomicFile output(target);
  std::FILE* file = output.Open();
  if (file == nullptr) return TileListWriteResult::kCreateFailed;
  bool written = true;
  for (const std::string& entry : paths) {
    written = written && std::fwrite(entry.data(), 1, entry.size(), file) == entry.size() &&
              std::fputs("\r\n", file) >= 0;
  }
  return written && output.Commit() ? TileListWriteResult::kWritten
                                    : TileListWriteResult::kWriteFailed;
}
