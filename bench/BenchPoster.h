// The large poster the output benchmarks work on, and the process's memory figures.
#pragma once

#include <sys/resource.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "image/DibImage.h"

namespace bench {

constexpr int kPosterWidth = 12000;
constexpr int kPosterHeight = 9000;

// Cells of shaded photo-like content with grain, as a built poster has.
inline void MakePoster(CDibImage& poster) {
  if (!poster.Create(kPosterWidth, kPosterHeight)) std::abort();
  std::uint32_t grain = 12345;
  for (int y = 0; y < kPosterHeight; ++y) {
    std::uint8_t* pixel = poster.GetPixelAddress(0, y);
    for (int x = 0; x < kPosterWidth; ++x, pixel += 3) {
      grain = grain * 1103515245u + 12345u;
      const int noise = static_cast<int>((grain >> 16) % 17) - 8;
      const int cell = (x / 120) * 7 + (y / 90) * 13;
      const int shade = ((x % 120) + (y % 90)) / 2;
      pixel[0] =
          static_cast<std::uint8_t>(std::clamp((cell * 37) % 200 + shade / 3 + noise, 0, 255));
      pixel[1] =
          static_cast<std::uint8_t>(std::clamp((cell * 53) % 200 + shade / 2 + noise, 0, 255));
      pixel[2] =
          static_cast<std::uint8_t>(std::clamp((cell * 71) % 200 + shade / 4 + noise, 0, 255));
    }
  }
}

// Resident memory now, in megabytes.
inline double ResidentMb() {
  long pages = 0, resident = 0;
  if (std::FILE* f = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
    std::fclose(f);
  }
  return resident * 4096.0 / (1 << 20);
}

// The highest resident memory since the last ResetPeak, in megabytes.
inline void ResetPeak() {
  if (std::FILE* f = std::fopen("/proc/self/clear_refs", "w")) {
    std::fputs("5", f);
    std::fclose(f);
  }
}
inline double PeakMb() {
  double peak = 0;
  if (std::FILE* f = std::fopen("/proc/self/status", "r")) {
    char line[256];
    while (std::fgets(line, sizeof line, f))
      if (std::sscanf(line, "VmHWM: %lf kB", &peak) == 1) break;
    std::fclose(f);
  }
  return peak / 1024;
}

inline std::string TempPath(const char* name) {
  const char* dir = std::getenv("TMPDIR");
  return std::string(dir && *dir ? dir : "/tmp") + "/mozaikon-bench-" + name;
}

}  // namespace bench
