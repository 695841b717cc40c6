// The per-cell work of laying a poster: one copy of the tile into the cell, one blend of the
// cell with the main image, one copy of the cell into the poster. Bytes per second count the
// cell's pixel bytes.
#include <benchmark/benchmark.h>

#include <cstring>

#include "image/DibImage.h"

namespace {

// A cell-sized image and a poster-sized one with content, as the laying loop sees them.
struct CellAndPoster {
  CDibImage cell, poster;
  bool Make(int cellWidth, int cellHeight) {
    if (!cell.Create(cellWidth, cellHeight, TRUE) || !poster.Create(3000, 2250, TRUE)) return false;
    std::memset(cell.GetBits(), 0x5A, cell.GetImageBytes());
    std::memset(poster.GetBits(), 0xA5, poster.GetImageBytes());
    return true;
  }
};

void BM_BlendFrom(benchmark::State& state) {
  const int w = static_cast<int>(state.range(0)), h = static_cast<int>(state.range(1));
  CellAndPoster images;
  if (!images.Make(w, h)) return state.SkipWithError("cannot create the images");
  int x = 0;
  for (auto _ : state) {
    images.cell.BlendFrom(images.poster, x, 1000, w, h, 4, 4);
    x = (x + w) % (3000 - w);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(w) * h * 3);
}

void BM_CopyRect(benchmark::State& state) {
  const int w = static_cast<int>(state.range(0)), h = static_cast<int>(state.range(1));
  CellAndPoster images;
  if (!images.Make(w, h)) return state.SkipWithError("cannot create the images");
  int x = 0;
  for (auto _ : state) {
    images.poster.CopyRect(images.cell, x, 1000, -1, -1, 0, 0);
    x = (x + w) % (3000 - w);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(w) * h * 3);
}

BENCHMARK(BM_BlendFrom)->ArgNames({"w", "h"})->Args({27, 18})->Args({109, 71})->Args({300, 200});
BENCHMARK(BM_CopyRect)->ArgNames({"w", "h"})->Args({27, 18})->Args({109, 71})->Args({300, 200});

}  // namespace
