// The reader side of the photo-format benchmarks (bench/photo_formats.py):
//   mozaikon_formats probe DIR      probes every file of DIR as the tile list does; prints the
//                                    files accepted and the files per second
//   mozaikon_formats decode FILE... loads each file once, as the build loads a tile
// Decoding runs one process per file, like the reference tools it is compared with.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/TileList.h"
#include "formats/ImageFile.h"

namespace {

int ProbeFolder(const char* dir) {
  std::vector<std::string> files;
  for (const auto& entry : std::filesystem::directory_iterator(dir))
    if (entry.is_regular_file()) files.push_back(entry.path().string());
  TileList tiles;
  const auto start = std::chrono::steady_clock::now();
  for (const std::string& file : files) (void)tiles.AddFile(file);
  const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
  std::printf("%d of %zu files probed as images in %.3f s: %.0f files/s\n", tiles.GetCount(),
              files.size(), seconds.count(), files.size() / seconds.count());
  return tiles.GetCount() == static_cast<int>(files.size()) ? 0 : 1;
}

int DecodeFiles(int count, char** names) {
  int failed = 0;
  for (int i = 0; i < count; ++i) {
    CDibImage image;
    if (!Load(image, names[i])) {
      std::fprintf(stderr, "%s: not loaded\n", names[i]);
      ++failed;
    }
  }
  return failed == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "probe") == 0) return ProbeFolder(argv[2]);
  if (argc >= 3 && std::strcmp(argv[1], "decode") == 0) return DecodeFiles(argc - 2, argv + 2);
  std::fputs("usage: mozaikon_formats probe DIR | decode FILE...\n", stderr);
  return 2;
}
