// Resampling speed, in source and in destination megapixels per second, for the sizes the build
// meets: a 12-megapixel main image scaled to poster size, and camera-sized tiles reduced to
// small tiles. Each run re-creates the destination, as the build does.
#include <benchmark/benchmark.h>

#include <cstdint>

#include "image/DibImage.h"
#include "image/Resample.h"

namespace {

void FillNoise(CDibImage& image, int width, int height) {
  if (!image.Create(width, height, TRUE)) return;
  std::uint32_t state = 1;
  for (int y = 0; y < height; ++y) {
    std::uint8_t* row = image.GetPixelAddress(0, y);
    for (int k = 0; k < 3 * width; ++k) {
      state = state * 1664525u + 1013904223u;
      row[k] = static_cast<std::uint8_t>(state >> 24);
    }
  }
}

// Arguments: source width and height, destination width and height.
void BM_ResampleFrom(benchmark::State& state) {
  const int sw = static_cast<int>(state.range(0)), sh = static_cast<int>(state.range(1));
  const int dw = static_cast<int>(state.range(2)), dh = static_cast<int>(state.range(3));
  CDibImage source, destination;
  FillNoise(source, sw, sh);
  for (auto _ : state) {
    if (!ResampleFrom(destination, dw, dh, source, 0)) state.SkipWithError("resampling failed");
    benchmark::DoNotOptimize(destination.GetBits());
  }
  state.counters["srcMPix/s"] = benchmark::Counter(static_cast<double>(sw) * sh / 1e6,
                                                   benchmark::Counter::kIsIterationInvariantRate);
  state.counters["dstMPix/s"] = benchmark::Counter(static_cast<double>(dw) * dh / 1e6,
                                                   benchmark::Counter::kIsIterationInvariantRate);
}

}  // namespace

// The four procedures on a 12-megapixel source.
BENCHMARK(BM_ResampleFrom)
    ->Name("ReduceBoth/4000x3000->1000x750")
    ->Args({4000, 3000, 1000, 750})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ResampleFrom)
    ->Name("ReduceAcrossEnlargeDown/4000x3000->1000x9000")
    ->Args({4000, 3000, 1000, 9000})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ResampleFrom)
    ->Name("EnlargeAcrossReduceDown/4000x3000->12000x750")
    ->Args({4000, 3000, 12000, 750})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ResampleFrom)
    ->Name("EnlargeBoth/4000x3000->12000x9000")
    ->Args({4000, 3000, 12000, 9000})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
// A poster slightly smaller than its main image: boxes of one or two pixels.
BENCHMARK(BM_ResampleFrom)
    ->Name("ReduceBoth/4000x3000->3600x2700")
    ->Args({4000, 3000, 3600, 2700})
    ->Unit(benchmark::kMillisecond);
// A tile: 2 megapixels down to a small tile.
BENCHMARK(BM_ResampleFrom)
    ->Name("ReduceBoth/1600x1200->120x90")
    ->Args({1600, 1200, 120, 90})
    ->Unit(benchmark::kMillisecond);
