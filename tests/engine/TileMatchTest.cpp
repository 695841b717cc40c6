#include "engine/TileMatch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>

#include "image/Progress.h"
#include "support/TestSupport.h"

using test::Bgr;

namespace {

MatchRules Rules(int distance, int maxUses = 0, bool useAll = false) {
  MatchRules rules;
  rules.repeatDistance = distance;
  rules.maxUses = maxUses;
  rules.useAll = useAll;
  return rules;
}

class QuietProgress : public CProgress {
 public:
  int percents = 0;
  int cancelAtPercent = -1;  // presses Cancel when this many percentages have been set

 protected:
  void ShowStage(const std::string&) override {}
  void ShowDetail(const std::string&) override {}
  void ShowPercent(int) override {
    if (++percents == cancelAtPercent) SetCancel(TRUE);
  }
};

ColourLayout FlatLayout(Bgr colour) {
  CDibImage image;
  test::Fill(image, 6, 6, [&](int, int) { return colour; });
  return MeasureLayout(image, 0, 0, 6, 6);
}

// A colour that differs from its neighbours in index by a visible step.
Bgr Shade(int i) {
  return {static_cast<std::uint8_t>(37 * i % 256), static_cast<std::uint8_t>(91 * i % 256),
          static_cast<std::uint8_t>(53 * i % 256)};
}

// Fails on the first pair of cells within distance of each other that hold the same tile.
void ExpectRepeatDistanceHeld(const std::vector<int>& tiles, int across, int distance) {
  const int down = static_cast<int>(tiles.size()) / across;
  for (int cell = 0; cell < static_cast<int>(tiles.size()); ++cell) {
    const int row = cell / across, col = cell % across;
    for (int r = std::max(0, row - distance); r <= std::min(down - 1, row + distance); ++r)
      for (int c = std::max(0, col - distance); c <= std::min(across - 1, col + distance); ++c) {
        const int other = r * across + c;
        ASSERT_TRUE(other == cell || tiles[other] != tiles[cell])
            << "tile " << tiles[cell] << " at cells " << cell << " and " << other;
      }
  }
}

// The fair share the matching once kept to: ceil(cells / tiles) + 1 uses per tile.
int FairShare(std::size_t cells, int tiles) {
  return (static_cast<int>(cells) + tiles - 1) / tiles + 1;
}

// Every tile used, none more than cap times.
void ExpectUseLimitsHeld(const std::vector<int>& tiles, int tileCount, int cap) {
  std::map<int, int> counts;
  for (const int t : tiles) ++counts[t];
  EXPECT_EQ(counts.size(), static_cast<std::size_t>(tileCount)) << "every tile used";
  for (const auto& [tile, count] : counts) EXPECT_LE(count, cap) << "tile " << tile;
}

}  // namespace

TEST(ColourLayout, LabOfKnownColoursAndPartsInReadingOrder) {
  const auto white = SrgbToLab(255, 255, 255);
  EXPECT_NEAR(white[0], 100.0, 0.01);
  EXPECT_NEAR(white[1], 0.0, 0.01);
  EXPECT_NEAR(white[2], 0.0, 0.01);
  const auto red = SrgbToLab(255, 0, 0);
  EXPECT_NEAR(red[0], 53.24, 0.01);
  EXPECT_NEAR(red[1], 80.09, 0.01);
  EXPECT_NEAR(red[2], 67.20, 0.01);
  const auto black = SrgbToLab(0, 0, 0);
  EXPECT_NEAR(black[0], 0.0, 0.01);

  // A 9 × 6 area of 3 × 2-pixel blocks, each of its own colour: part (i, j) is block (i, j).
  CDibImage image;
  test::Fill(image, 11, 8, [](int x, int y) {
    if (x < 1 || y < 1 || x > 9 || y > 6) return Bgr{255, 255, 255};  // outside the area
    return Shade(1 + (y - 1) / 2 * 3 + (x - 1) / 3);
  });
  const ColourLayout layout = MeasureLayout(image, 1, 1, 9, 6);
  for (int part = 0; part < 9; ++part) {
    const Bgr c = Shade(1 + part);
    const auto lab = SrgbToLab(c[2], c[1], c[0]);
    for (int v = 0; v < 3; ++v) EXPECT_FLOAT_EQ(layout.lab[part * 3 + v], lab[v]) << part;
  }
  // Sides shorter than three pixels still give every part a pixel.
  const ColourLayout tiny = MeasureLayout(image, 1, 1, 1, 2);
  const auto first = SrgbToLab(Shade(1)[2], Shade(1)[1], Shade(1)[0]);
  EXPECT_FLOAT_EQ(tiny.lab[8 * 3], first[0]);
  EXPECT_EQ(LayoutDistance(layout, layout), 0.0f);
}

TEST(TileMatch, HeldDistanceLeavesATileFreeForEveryCell) {
  EXPECT_EQ(HeldRepeatDistance(4, 1), 0);
  EXPECT_EQ(HeldRepeatDistance(4, 4), 0);
  EXPECT_EQ(HeldRepeatDistance(4, 5), 1);
  EXPECT_EQ(HeldRepeatDistance(4, 30), 3);
  EXPECT_EQ(HeldRepeatDistance(4, 40), 3);
  EXPECT_EQ(HeldRepeatDistance(4, 41), 4);
  EXPECT_EQ(HeldRepeatDistance(4, 1000), 4);
  EXPECT_EQ(HeldRepeatDistance(0, 1000), 0);
  EXPECT_EQ(HeldRepeatDistance(-3, 1000), 0);
  EXPECT_EQ(HeldRepeatDistance(1000, 1000), 21);
}

// Cells of flat colours and tiles of the same colours: each cell gets the tile of its colour.
TEST(TileMatch, FlatCellsGetTheTileOfTheirColour) {
  constexpr int kColours = 6, kAcross = 8, kDown = 6;
  std::vector<ColourLayout> tiles;
  for (int i = 0; i < kColours; ++i) tiles.push_back(FlatLayout(Shade(kColours - 1 - i)));
  std::vector<ColourLayout> cells;
  std::vector<int> expected;
  for (int row = 0; row < kDown; ++row)
    for (int col = 0; col < kAcross; ++col) {
      // Equal neighbours, diagonals included, never share a colour; each colour is used 8 times.
      const int colour = (row * 3 + col) % kColours;
      cells.push_back(FlatLayout(Shade(colour)));
      expected.push_back(kColours - 1 - colour);
    }
  QuietProgress progress;
  const auto tilesOfCells = MatchTilesToCells(cells, kAcross, tiles, Rules(4), progress);
  ASSERT_TRUE(tilesOfCells.has_value());
  EXPECT_EQ(*tilesOfCells, expected);
}

// Every cell wants the same tile: the distance and the use limit spread the tiles, and the tile
// no cell wants is still used.
TEST(TileMatch, RepeatDistanceAndUseLimitHoldOnEveryCell) {
  constexpr int kAcross = 23, kDown = 17, kTiles = 50;
  std::vector<ColourLayout> tiles;
  for (int i = 0; i < kTiles - 1; ++i)
    tiles.push_back(FlatLayout({static_cast<std::uint8_t>(100 + i), 120, 140}));
  tiles.push_back(FlatLayout({0, 0, 0}));  // far from every cell
  for (const int distance : {4, 2, 0}) {
    std::vector<ColourLayout> cells;
    for (int cell = 0; cell < kAcross * kDown; ++cell)
      cells.push_back(FlatLayout({static_cast<std::uint8_t>(100 + cell % 3), 120, 140}));
    QuietProgress progress;
    const int fair = FairShare(cells.size(), kTiles);
    const auto result =
        MatchTilesToCells(cells, kAcross, tiles, Rules(distance, fair, true), progress);
    ASSERT_TRUE(result.has_value());
    ASSERT_EQ(result->size(), cells.size());
    ExpectRepeatDistanceHeld(*result, kAcross, distance);
    ExpectUseLimitsHeld(*result, kTiles, fair);
    // The tightest limit that fits leaves room for nine cells more than there are.
    const auto tight =
        MatchTilesToCells(cells, kAcross, tiles, Rules(distance, fair - 1, true), progress);
    ASSERT_TRUE(tight.has_value());
    ExpectRepeatDistanceHeld(*tight, kAcross, distance);
    ExpectUseLimitsHeld(*tight, kTiles, fair - 1);
  }
}

TEST(TileMatch, PicturesOfManyColoursKeepTheRulesAndComeOutTheSameEveryTime) {
  constexpr int kAcross = 40, kDown = 30, kTiles = 120;
  std::vector<ColourLayout> tiles, cells;
  std::srand(11);
  const auto randomColour = [] {
    return Bgr{static_cast<std::uint8_t>(std::rand()), static_cast<std::uint8_t>(std::rand()),
               static_cast<std::uint8_t>(std::rand())};
  };
  for (int i = 0; i < kTiles; ++i) tiles.push_back(FlatLayout(randomColour()));
  for (int i = 0; i < kAcross * kDown; ++i) cells.push_back(FlatLayout(randomColour()));
  QuietProgress progress;
  MatchRules limited = Rules(4, FairShare(cells.size(), kTiles), true);
  const auto first = MatchTilesToCells(cells, kAcross, tiles, limited, progress);
  limited.threads = 2;
  const auto second = MatchTilesToCells(cells, kAcross, tiles, limited, progress);
  ASSERT_TRUE(first && second);
  EXPECT_EQ(*first, *second);
  ExpectRepeatDistanceHeld(*first, kAcross, 4);
  ExpectUseLimitsHeld(*first, kTiles, limited.maxUses);

  // The matched sum of distances beats the list order by far.
  double matched = 0, listed = 0;
  for (std::size_t c = 0; c < cells.size(); ++c) {
    matched += LayoutDistance(cells[c], tiles[(*first)[c]]);
    listed += LayoutDistance(cells[c], tiles[c % kTiles]);
  }
  EXPECT_LT(matched, listed / 4);

  // Without a limit the cells come nearer still, and the distance holds.
  const auto free = MatchTilesToCells(cells, kAcross, tiles, Rules(4), progress);
  ASSERT_TRUE(free.has_value());
  ExpectRepeatDistanceHeld(*free, kAcross, 4);
  double unlimited = 0;
  for (std::size_t c = 0; c < cells.size(); ++c)
    unlimited += LayoutDistance(cells[c], tiles[(*free)[c]]);
  EXPECT_LT(unlimited, matched);
}

TEST(TileMatch, ALimitThatCannotFillTheCellsNamesTheSmallestThatCan) {
  EXPECT_EQ(SmallestFittingMaxUses(4692, 200, 2), 24);
  EXPECT_EQ(SmallestFittingMaxUses(4800, 200, 23), 24);
  EXPECT_EQ(SmallestFittingMaxUses(4800, 200, 24), std::nullopt);
  EXPECT_EQ(SmallestFittingMaxUses(4800, 200, 0), std::nullopt) << "no limit";
  EXPECT_EQ(SmallestFittingMaxUses(3'000'000'000LL, 2, 99999), 1'500'000'000);
}

TEST(TileMatch, OneTileFillsEveryCell) {
  const std::vector<ColourLayout> tiles = {FlatLayout({1, 2, 3})};
  const std::vector<ColourLayout> cells(35, FlatLayout({200, 100, 0}));
  QuietProgress progress;
  const auto result = MatchTilesToCells(cells, 7, tiles, Rules(4), progress);
  ASSERT_TRUE(result.has_value());
  EXPECT_EQ(*result, std::vector<int>(35, 0));
}

TEST(TileMatch, CancelStopsTheMatchingInEachOfItsSteps) {
  std::vector<ColourLayout> tiles, cells;
  for (int i = 0; i < 60; ++i) tiles.push_back(FlatLayout(Shade(i)));
  for (int i = 0; i < 30 * 20; ++i) cells.push_back(FlatLayout(Shade(i % 7)));
  QuietProgress counting;
  ASSERT_TRUE(MatchTilesToCells(cells, 30, tiles, Rules(4), counting).has_value());
  ASSERT_GT(counting.percents, 40);
  for (const int at : {1, 20, counting.percents - 1}) {
    QuietProgress progress;
    progress.cancelAtPercent = at;
    EXPECT_FALSE(MatchTilesToCells(cells, 30, tiles, Rules(4), progress).has_value()) << at;
    EXPECT_EQ(progress.percents, at) << "no report after the cancel";
  }
}
