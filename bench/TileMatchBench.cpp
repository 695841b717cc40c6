// Matching the cells of a poster against its tiles, from the layouts to the tile of every cell:
// 20,000 cells (160 × 125) against 1,000 tiles on one thread within 2 s; 100,000 cells (400 ×
// 250) against 1,000 and 10,000 tiles (a wall poster from a phone's library) on two threads
// within 10 s.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "engine/TileMatch.h"
#include "image/Progress.h"

namespace {

class NoProgress : public CProgress {
 protected:
  void ShowStage(const std::string&) override {}
  void ShowDetail(const std::string&) override {}
  void ShowPercent(int) override {}
};

// A layout whose nine parts follow a smooth picture around (x, y), as neighbouring cells of a
// photograph do.
ColourLayout PictureLayout(double x, double y) {
  ColourLayout layout;
  for (int part = 0; part < kLayoutSide * kLayoutSide; ++part) {
    const double px = x + (part % kLayoutSide) / 3.0, py = y + (part / kLayoutSide) / 3.0;
    const auto lab = SrgbToLab(128 + 120 * std::sin(px * 0.07), 128 + 120 * std::cos(py * 0.05),
                               128 + 100 * std::sin((px + py) * 0.03));
    for (int c = 0; c < 3; ++c) layout.lab[part * 3 + c] = lab[c];
  }
  return layout;
}

// Tiles of scattered colours with some structure of their own.
ColourLayout TileLayout(int i) {
  std::uint32_t s = 2654435761u * static_cast<std::uint32_t>(i + 1);
  ColourLayout layout;
  const double r = s % 256, g = (s >> 8) % 256, b = (s >> 16) % 256;
  for (int part = 0; part < kLayoutSide * kLayoutSide; ++part) {
    const double shift = (part % 4) * 12.0 - 18.0;
    const auto lab = SrgbToLab(std::fmax(0, std::fmin(255, r + shift)), g,
                               std::fmax(0, std::fmin(255, b - shift)));
    for (int c = 0; c < 3; ++c) layout.lab[part * 3 + c] = lab[c];
  }
  return layout;
}

// Arguments: cells across, cells down, tiles, threads, uses of one tile at most (0: no limit).
void BM_MatchTiles(benchmark::State& state) {
  const int across = static_cast<int>(state.range(0)), down = static_cast<int>(state.range(1));
  const int tileCount = static_cast<int>(state.range(2));
  std::vector<ColourLayout> cells, tiles;
  for (int row = 0; row < down; ++row)
    for (int col = 0; col < across; ++col) cells.push_back(PictureLayout(col, row));
  for (int i = 0; i < tileCount; ++i) tiles.push_back(TileLayout(i));
  NoProgress progress;
  MatchRules rules;
  rules.threads = static_cast<int>(state.range(3));
  rules.maxUses = static_cast<int>(state.range(4));
  std::vector<int> uses(tiles.size());
  for (auto _ : state) {
    const auto result = MatchTilesToCells(cells, across, tiles, rules, progress);
    benchmark::DoNotOptimize(result);
    std::fill(uses.begin(), uses.end(), 0);
    for (const int tile : *result) ++uses[tile];
  }
  state.counters["cells"] = static_cast<double>(cells.size());
  state.counters["most_uses"] = *std::max_element(uses.begin(), uses.end());
}

}  // namespace

BENCHMARK(BM_MatchTiles)
    ->Args({160, 125, 200, 1, 0})
    ->Args({160, 125, 1000, 1, 0})
    ->Args({160, 125, 1000, 1, 20})  // the tightest limit that fills the cells
    ->Args({400, 250, 1000, 2, 0})
    ->Args({400, 250, 10000, 2, 0})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
