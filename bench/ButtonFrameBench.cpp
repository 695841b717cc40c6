// The button frame is drawn once per tile image before laying; these sizes span small and
// medium tiles.
#include <benchmark/benchmark.h>

#include <cstring>

#include "engine/ButtonFrame.h"

namespace {

void BM_DrawButtonFrame(benchmark::State& state) {
  const int width = static_cast<int>(state.range(0));
  const int height = static_cast<int>(state.range(1));
  const bool blended = state.range(2) != 0;
  CDibImage tile;
  if (!tile.Create(width, height, TRUE)) {
    state.SkipWithError("cannot create the tile");
    return;
  }
  std::memset(tile.GetBits(), 0x80, tile.GetImageBytes());
  for (auto _ : state) {
    DrawButtonFrame(tile, 5, blended ? TRUE : FALSE);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations());
}

BENCHMARK(BM_DrawButtonFrame)
    ->ArgNames({"w", "h", "blended"})
    ->Args({60, 45, 1})
    ->Args({200, 150, 1})
    ->Args({200, 150, 0})
    ->Args({1000, 750, 1});

}  // namespace
