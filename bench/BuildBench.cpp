// One whole build: a 3000 × 2250 poster from a main image and 200 tile files of one megapixel,
// BMP in and BMP out, as the command line runs it but inside one process.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <filesystem>
#include <string>

#include "engine/BuildPoster.h"
#include "engine/ShapedTileCache.h"
#include "formats/BmpWriter.h"
#include "formats/ImageFile.h"

namespace {

constexpr int kTileCount = 200;

// A picture with some structure, so that no step can take a shortcut on flat colour.
void Paint(CDibImage& image, int width, int height, int seed) {
  if (!image.Create(width, height, TRUE)) return;
  for (int y = 0; y < height; ++y) {
    std::uint8_t* p = image.GetPixelAddress(0, y);
    for (int x = 0; x < width; ++x, p += 3) {
      p[0] = static_cast<std::uint8_t>(x * 3 + seed * 17);
      p[1] = static_cast<std::uint8_t>(y * 5 + seed * 29);
      p[2] = static_cast<std::uint8_t>((x ^ y) + seed);
    }
  }
}

// The input files, written once into a folder that is removed at exit.
class BuildData {
 public:
  BuildData() {
    m_dir = std::filesystem::temp_directory_path() / ("mozaikon-bench-" + std::to_string(getpid()));
    std::filesystem::create_directories(m_dir);
    CDibImage image;
    Paint(image, 4000, 3000, 0);
    m_main = (m_dir / "main.bmp").string();
    (void)WriteBmpFile(image, *CheckOutputTarget(m_main, {}).target, nullptr);
    for (int i = 0; i < kTileCount; ++i) {
      // Landscape and portrait tiles of about a megapixel, a fifth of them turned.
      const bool portrait = i % 5 == 0;
      Paint(image, portrait ? 866 : 1155, portrait ? 1155 : 866, i + 1);
      m_tiles.push_back((m_dir / ("tile" + std::to_string(i) + ".bmp")).string());
      (void)WriteBmpFile(image, *CheckOutputTarget(m_tiles.back(), {}).target, nullptr);
    }
  }
  ~BuildData() {
    std::error_code ignored;
    std::filesystem::remove_all(m_dir, ignored);
  }
  const std::string& Main() const { return m_main; }
  const std::vector<std::string>& Tiles() const { return m_tiles; }
  std::string Output() const { return (m_dir / "poster.bmp").string(); }

 private:
  std::filesystem::path m_dir;
  std::string m_main;
  std::vector<std::string> m_tiles;
};

// The inputs of a build of the data, with the main image loaded into mainImage.
bool SetUp(const BuildData& data, CDibImage& mainImage, TileList& tiles, PosterBuildInputs& inputs) {
  for (const std::string& path : data.Tiles()) (void)tiles.AddFile(path);
  inputs.mainImage = &mainImage;
  inputs.tiles = &tiles;
  inputs.seed = 1;
  if (!Load(mainImage, data.Main())) return false;
  inputs.setup.imageWidth = mainImage.GetWidth();
  inputs.setup.imageHeight = mainImage.GetHeight();
  inputs.setup.printSize = {20.0, 15.0};  // 600 dpi at a quarter: 3000 × 2250
  return true;
}

// The argument is the thread count.
void BM_BuildPoster200Tiles(benchmark::State& state) {
  static const BuildData data;
  for (auto _ : state) {
    CDibImage mainImage, poster;
    TileList tiles;
    PosterBuildInputs inputs;
    if (!SetUp(data, mainImage, tiles, inputs)) return state.SkipWithError("cannot load the main image");
    inputs.threads = static_cast<int>(state.range(0));
    TileOrderShuffle order;
    if (!BuildPoster(inputs, poster, order, nullptr).built) return state.SkipWithError("not built");
    if (WriteBmpFile(poster, *CheckOutputTarget(data.Output(), {}).target, nullptr) != SaveResult::kSaved)
      return state.SkipWithError("not saved");
  }
}

BENCHMARK(BM_BuildPoster200Tiles)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->Iterations(3);

// The window's rebuild after the emphasis changed: every tile is already shaped in the cache.
void BM_RebuildAfterEmphasisChange200Tiles(benchmark::State& state) {
  static const BuildData data;
  CDibImage mainImage, poster;
  TileList tiles;
  PosterBuildInputs inputs;
  if (!SetUp(data, mainImage, tiles, inputs)) return state.SkipWithError("cannot load the main image");
  inputs.threads = static_cast<int>(state.range(0));
  ShapedTileCache cache;
  inputs.tileCache = &cache;
  TileOrderShuffle order;
  if (!BuildPoster(inputs, poster, order, nullptr).built) return state.SkipWithError("not built");
  int emphasis = 4;
  for (auto _ : state) {
    inputs.setup.params.Emphasis = emphasis = emphasis % 7 + 1;
    const PosterBuildResult result = BuildPoster(inputs, poster, order, nullptr);
    if (!result.built || result.filesDecoded != 0) return state.SkipWithError("tiles read again");
  }
}

BENCHMARK(BM_RebuildAfterEmphasisChange200Tiles)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

}  // namespace
