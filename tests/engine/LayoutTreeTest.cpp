#include "engine/LayoutTree.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>

namespace {

// Layouts of scattered colours with structure of their own, and many exact repeats, so that
// ties have to be broken the same way as a search through every tile.
std::vector<ColourLayout> RandomLayouts(int count, std::uint32_t seed) {
  std::mt19937 random(seed);
  std::uniform_real_distribution<float> colour(0, 255);
  std::vector<ColourLayout> layouts;
  for (int i = 0; i < count; ++i) {
    if (i % 7 == 6) {
      layouts.push_back(layouts[random() % layouts.size()]);
      continue;
    }
    ColourLayout layout;
    const float r = colour(random), g = colour(random), b = colour(random);
    for (int part = 0; part < kLayoutSide * kLayoutSide; ++part) {
      const auto lab = SrgbToLab(r, std::fmod(g + 20.0f * part, 255.0f), b);
      for (int c = 0; c < 3; ++c) layout.lab[part * 3 + c] = lab[c];
    }
    layouts.push_back(layout);
  }
  return layouts;
}

// The nearest allowed tile, by measuring every one.
int NearestByHand(const std::vector<ColourLayout>& tiles, const ColourLayout& at,
                  const std::function<bool(int)>& allowed) {
  int best = -1;
  float bestCost = 0;
  for (int t = 0; t < static_cast<int>(tiles.size()); ++t) {
    if (!allowed(t)) continue;
    const float cost = LayoutDistance(at, tiles[t]);
    if (best < 0 || cost < bestCost) best = t, bestCost = cost;
  }
  return best;
}

}  // namespace

TEST(LayoutTree, FindsWhatASearchOfEveryTileFinds) {
  const std::vector<ColourLayout> tiles = RandomLayouts(700, 5);
  const std::vector<ColourLayout> cells = RandomLayouts(300, 9);
  CLayoutTree tree(tiles);
  for (int tile = 0; tile < 700; tile += 3) tree.Retire(tile);
  const auto odd = [](int t) { return t % 2 == 1; };
  for (const ColourLayout& cell : cells) {
    int found[16];
    float costs[16];
    ASSERT_EQ(tree.FindNearest(cell, 16, found, costs), 16);
    // The sixteen nearest in order: each the nearest of the tiles not found before it.
    for (int k = 0; k < 16; ++k) {
      const auto notBefore = [&](int t) {
        for (int j = 0; j < k; ++j)
          if (found[j] == t) return false;
        return true;
      };
      ASSERT_EQ(found[k], NearestByHand(tiles, cell, notBefore)) << k;
      EXPECT_EQ(costs[k], LayoutDistance(cell, tiles[found[k]]));
    }
    float cost = 0;
    const int allowed = tree.FindNearestAllowed(cell, odd, cost);
    EXPECT_EQ(allowed, NearestByHand(tiles, cell, [&](int t) { return odd(t) && t % 3 != 0; }));
  }
  float unused = 0;
  EXPECT_EQ(tree.FindNearestAllowed(cells[0], [](int) { return false; }, unused), -1);
}
