#include "BuildFixture.h"

#include <stdexcept>

#include "formats/BmpWriter.h"
#include "support/TestSupport.h"

namespace test {

std::string MakePatternTile(const std::string& name, int width, int height, int variant) {
  CDibImage image;
  Fill(image, width, height, [variant](int x, int y) {
    return Bgr{static_cast<std::uint8_t>(x * 7 + variant * 53),
               static_cast<std::uint8_t>(y * 11 + variant * 29),
               static_cast<std::uint8_t>((x ^ y) * 5 + variant * 97)};
  });
  const std::string path = ScratchPath(name);
  if (WriteBmpFile(image, test::Target(path), nullptr) != SaveResult::kSaved)
    throw std::runtime_error("cannot write " + path);
  return path;
}

PosterBuild::PosterBuild() {
  Fill(main, 64, 48, [](int x, int y) {
    return Bgr{static_cast<std::uint8_t>(4 * x), static_cast<std::uint8_t>(5 * y),
               static_cast<std::uint8_t>(3 * (x + y))};
  });
  inputs.mainImage = &main;
  inputs.tiles = &tiles;
  inputs.setup.imageWidth = 64;
  inputs.setup.imageHeight = 48;
  inputs.setup.printSize = {2.0, 1.5};
  inputs.setup.printer.dpiX = inputs.setup.printer.dpiY = 96;
  inputs.setup.params.DPIFraction = DPIFractionCode::Whole;
  inputs.setup.params.TileSize = TileSizePreset::Small;
  inputs.seed = 11;
}

void PosterBuild::AddMixedTiles(const std::string& prefix, int count) {
  static const int kSizes[][2] = {{30, 20}, {18, 33}, {25, 25}, {51, 17}, {13, 40}, {9, 7}};
  for (int i = 0; i < count; ++i) {
    const auto& size = kSizes[i % 6];
    const std::string name = prefix + std::to_string(i) + ".bmp";
    if (!tiles.AddFile(MakePatternTile(name, size[0], size[1], i)))
      throw std::runtime_error("cannot add " + name);
  }
}

PosterBuildResult PosterBuild::Build(int threads, CProgress* progress) {
  inputs.threads = threads;
  return BuildPoster(inputs, poster, order, progress);
}

}  // namespace test
