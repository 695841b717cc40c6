// Matched tile order: every cell gets the tile whose colour layout lies nearest to the layout of
// the main image under it, with no tile repeated close by and, where the user asks, a limit on
// how often one tile is used and every tile used.
#pragma once

#include <optional>
#include <vector>

#include "engine/ColourLayout.h"

class CProgress;

constexpr int kDefaultRepeatDistance = 4;  // cells

// The repetition distance that tileCount tiles can always hold when cells are filled row by row:
// the largest d up to requested for which the 2d(d + 1) cells before a cell within d of it leave a
// tile free, that is 2d(d + 1) < tileCount. 0 for one tile, 3 for 30 tiles, 4 from 41 tiles.
[[nodiscard]] int HeldRepeatDistance(int requested, int tileCount);

// What the matching keeps to, besides nearness.
struct MatchRules {
  int repeatDistance = kDefaultRepeatDistance;  // cells; lowered to what the tiles can hold
  int maxUses = 0;      // uses of one tile at most; 0: no limit
  bool useAll = false;  // every tile used at least once, where there are as many cells
  int threads = 1;      // threads that look for each cell's nearest tiles; the result is the same
};

// The smallest limit of uses per tile that lets tileCount tiles fill cellCount cells, when
// maxUses is a limit smaller than that; nothing when maxUses fits (0, no limit, always does).
[[nodiscard]] std::optional<int> SmallestFittingMaxUses(long long cellCount, int tileCount,
                                                        int maxUses);

// The tile index of every cell, the cells row by row from the top in rows of cellsAcross.
//
// - No two cells within the held repetition distance of each other (rows and columns both at
//   most that far apart) get the same tile.
// - With a limit, no tile is used more than maxUses times unless the distance leaves no other
//   choice (the limit must fit: SmallestFittingMaxUses). With useAll and at least as many cells
//   as tiles every tile is used.
// - Among the choices that keep these, the sum of the layout distances of all cells is made small:
//   each cell first takes its nearest allowed tile, row by row; cells that had to go beyond the
//   limit move to a tile below it where the distance allows; with useAll, tiles that no cell took
//   replace the tile they cost least to replace; then pairs of cells exchange tiles, and cells
//   move to other tiles, pass after pass until a pass lowers the sum by less than a thousandth.
// - Deterministic: ties go to the lower tile index; the same layouts give the same result,
//   whatever the number of threads.
//
// progress is asked at every row of cells and every unused tile whether the work may go on;
// nothing is returned when it says no. tiles must not be empty.
[[nodiscard]] std::optional<std::vector<int>> MatchTilesToCells(
    const std::vector<ColourLayout>& cells, int cellsAcross, const std::vector<ColourLayout>& tiles,
    const MatchRules& rules, CProgress& progress);
