// JPEG decoding through the reader dispatch and encoding at Medium quality (libjpeg 75), on a
// 6-megapixel photo-like picture, in megapixels per second. The reference programs of the same
// library, `djpeg -dct fast -nosmooth` and `cjpeg -quality 75 -optimize`, do the same work.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "formats/ImageFile.h"
#include "formats/JpegWriter.h"

namespace {

constexpr int kWidth = 3000;
constexpr int kHeight = 2000;

// Smooth shading, hard edges and a little grain, as in a photograph.
void MakePhoto(CDibImage& image) {
  if (!image.Create(kWidth, kHeight)) std::abort();
  std::uint32_t grain = 12345;
  for (int y = 0; y < kHeight; ++y) {
    std::uint8_t* pixel = image.GetPixelAddress(0, y);
    for (int x = 0; x < kWidth; ++x, pixel += 3) {
      grain = grain * 1103515245u + 12345u;
      const int noise = static_cast<int>((grain >> 16) % 17) - 8;
      const double shade = 0.5 + 0.5 * std::sin(x * 0.01) * std::cos(y * 0.013);
      const bool stripe = ((x / 150 + y / 100) & 3) == 0;
      const int red = static_cast<int>(stripe ? 200 : 255 * shade) + noise;
      const int green = static_cast<int>(255.0 * y / kHeight * (1 - shade * 0.3)) + noise;
      const int blue =
          static_cast<int>(stripe ? 40 : 128 + 90 * std::sin(x * 0.003 + y * 0.002)) + noise;
      pixel[0] = static_cast<std::uint8_t>(std::clamp(blue, 0, 255));
      pixel[1] = static_cast<std::uint8_t>(std::clamp(green, 0, 255));
      pixel[2] = static_cast<std::uint8_t>(std::clamp(red, 0, 255));
    }
  }
}

const CDibImage& Photo() {
  static CDibImage photo;
  if (!photo.IsValid()) MakePhoto(photo);
  return photo;
}

std::string TempPath(const char* name) {
  const char* dir = std::getenv("TMPDIR");
  return std::string(dir && *dir ? dir : "/tmp") + "/mozaikon-bench-" + std::to_string(getpid()) +
         name;
}

// The photo written once at Medium quality, removed when the program ends.
struct EncodedPhoto {
  std::string path = TempPath(".jpg");
  EncodedPhoto() {
    if (WriteJpegFile(Photo(), *CheckOutputTarget(path, {}).target, kJpegQualityMedium, nullptr) != SaveResult::kSaved)
      std::abort();
  }
  ~EncodedPhoto() { std::remove(path.c_str()); }
};

void SetMegapixelRate(benchmark::State& state) {
  state.counters["MP/s"] =
      benchmark::Counter(static_cast<double>(state.iterations()) * kWidth * kHeight / 1e6,
                         benchmark::Counter::kIsRate);
}

void BM_JpegDecode(benchmark::State& state) {
  static const EncodedPhoto encoded;
  CDibImage image;
  for (auto _ : state)
    if (!Load(image, encoded.path)) state.SkipWithError("the photo could not be read");
  SetMegapixelRate(state);
}

void BM_JpegEncodeMedium(benchmark::State& state) {
  const CDibImage& photo = Photo();
  const std::string path = TempPath("-encoded.jpg");
  for (auto _ : state)
    if (WriteJpegFile(photo, *CheckOutputTarget(path, {}).target, kJpegQualityMedium, nullptr) != SaveResult::kSaved)
      state.SkipWithError("the photo could not be written");
  std::remove(path.c_str());
  SetMegapixelRate(state);
}

BENCHMARK(BM_JpegDecode)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_JpegEncodeMedium)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
