#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/TileShaping.h"
#include "formats/ImageFile.h"
#include "formats/JpegWriter.h"
#include "support/TestSupport.h"

namespace {

// JPEG tiles of both orientations, square and thin, in colour and in grey.
std::vector<std::string> JpegTiles() {
  std::vector<std::string> paths = {std::string(TEST_DATA_DIR) + "/jpeg/gray_37x23.jpg",
                                    std::string(TEST_DATA_DIR) + "/jpeg/progressive_64x48.jpg"};
  const int sizes[][2] = {{120, 80}, {80, 120}, {64, 64}, {200, 31}};
  for (const auto& size : sizes) {
    const std::string path = test::ScratchPath("shaped-" + std::to_string(size[0]) + "x" +
                                               std::to_string(size[1]) + ".jpg");
    CDibImage picture;
    test::Fill(picture, size[0], size[1], test::Pattern);
    EXPECT_EQ(WriteJpegFile(picture, test::Target(path), kJpegQualityHigh, nullptr), SaveResult::kSaved);
    paths.push_back(path);
  }
  return paths;
}

}  // namespace

// Shaping a tile from its rows as they are decoded gives the bytes of loading it whole and
// shaping the picture; tiles the one pass cannot shape are declined and loaded whole.
TEST(TileRowShaper, ShapesDecodedRowsAsTheLoadedPicture) {
  for (const std::string& path : JpegTiles())
    for (const bool crop : {false, true})
      for (const bool rotate : {false, true})
        for (const bool landscapeMajority : {false, true})
          for (const auto& [width, height] : {std::pair{9, 7}, std::pair{30, 20}, std::pair{70, 70}}) {
            TileShape shape;
            shape.width = width;
            shape.height = height;
            shape.cellWidth = width + 1;
            shape.cellHeight = height + 1;
            shape.crop = crop;
            shape.rotate = rotate;
            shape.landscapeMajority = landscapeMajority;
            SCOPED_TRACE(path + " to " + std::to_string(width) + "x" + std::to_string(height) +
                         (crop ? " crop" : "") + (rotate ? " rotate" : "") +
                         (landscapeMajority ? " landscape" : ""));
            CDibImage whole;
            ASSERT_TRUE(Load(whole, path));
            const bool onePass = PlanShape(whole.GetWidth(), whole.GetHeight(), shape).onePass;
            ASSERT_EQ(ShapeTile(whole, shape), ShapeResult::kShaped);

            CDibImage streamed;
            CTileRowShaper shaper(shape);
            const LoadOutcome outcome = LoadOrStream(streamed, path, LoadOptions{}, shaper);
            ASSERT_EQ(outcome.delivery, onePass ? Delivery::kRows : Delivery::kImage);
            if (onePass)
              ASSERT_TRUE(shaper.Finish(streamed));
            else
              ASSERT_EQ(ShapeTile(streamed, shape), ShapeResult::kShaped);
            EXPECT_TRUE(test::SamePixels(streamed, whole));
          }
}
