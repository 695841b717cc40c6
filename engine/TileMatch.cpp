#include "engine/TileMatch.h"

#include <algorithm>
#include <array>
#include <cassert>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <numeric>
#include <utility>

#include "engine/LayoutTree.h"
#include "image/OrderedWork.h"
#include "image/Progress.h"

namespace {

constexpr int kNearestKept = 16;  // nearest tiles remembered per cell, for the choice and exchanges
// The exchanges stop once a pass lowers the sum by less than this share of it.
constexpr double kSettledShare = 1e-3;
constexpr int kMaxPasses = 30;  // a bound for sums that keep falling by a little more
// Holders whose full distance one cell works out per pass at most: with few tiles each is held
// by many cells, and the search would grow with their number.
constexpr int kExchangeBudget = 64;
constexpr float kMinGain = 1e-3f;  // smaller gains are rounding noise and could cycle
// Shares of the progress bar: the nearest tiles of every cell, the first choice, the cells beyond
// the limit and the unused tiles; the exchanges take the rest, each pass a smaller part.
constexpr int kNearestPercent = 40;
constexpr int kChoosePercent = 50;
constexpr int kRelievePercent = 55;
constexpr int kCoverPercent = 60;

// A cell that holds a tile, with what rules most exchanges out without reading its layout.
struct Holder {
  int cell;
  float root;  // square root of cost: the Euclidean distance, for the triangle inequality
  float cost;  // layout distance to the tile
  std::array<float, 3> mean;  // the cell's mean L, a, b over its parts
};

// The mean of the nine parts. The layout distance of two layouts is at least nine times the
// squared distance of their means.
std::array<float, 3> MeanLab(const ColourLayout& layout) {
  std::array<float, 3> mean{};
  for (int part = 0; part < kLayoutSide * kLayoutSide; ++part)
    for (int c = 0; c < 3; ++c) mean[c] += layout.lab[part * 3 + c];
  for (float& m : mean) m /= kLayoutSide * kLayoutSide;
  return mean;
}

class TileMatcher {
 public:
  TileMatcher(const std::vector<ColourLayout>& cells, int across,
              const std::vector<ColourLayout>& tiles, const MatchRules& rules,
              CProgress& progress);
  bool FindNearestOfEveryCell();
  bool ChooseNearest();
  bool CoverUnusedTiles();
  bool RelieveOverusedTiles();
  bool ExchangeTiles();
  std::vector<int> TakeResult() { return std::move(m_tileOf); }

 private:
  void StampEarlierNeighbours(int cell);
  int ChooseTile(int cell, float& cost) const;
  void Place(int cell, int tile, float cost);
  void Unplace(int cell);
  // Whether tile lies on a cell within the distance of cell, other than cell and except.
  bool NearbyHolds(int cell, int tile, int except) const;
  float ImproveCell(int cell);
  void MarkNearbyTiles(int cell, std::vector<char>& nearby) const;
  void RelieveThroughAnotherCell(int cell, const std::vector<char>& nearby);
  bool Poll(std::int64_t done, std::int64_t total, int fromPercent, int toPercent);

  const std::vector<ColourLayout>& m_cells;
  const std::vector<ColourLayout>& m_tiles;
  const int m_across, m_down, m_cellCount, m_tileCount, m_distance;
  const int m_cap;  // uses of one tile that the matching keeps to
  const bool m_useAll;
  const int m_threads;
  CProgress& m_progress;
  CLayoutTree m_tree;
  std::vector<int> m_tileOf;        // per cell
  std::vector<float> m_cost;        // per cell: layout distance to its tile
  std::vector<int> m_useCount;      // per tile
  std::vector<std::vector<Holder>> m_holders;  // per tile: the cells that hold it
  std::vector<int> m_nearest;       // per cell: kNearestKept tiles, nearest first, -1 past the end
  std::vector<float> m_nearestCost;
  std::vector<int> m_stamp;         // per tile: the last cell that found it close by
  std::vector<std::array<float, 3>> m_cellMeans, m_tileMeans;
};

TileMatcher::TileMatcher(const std::vector<ColourLayout>& cells, int across,
                         const std::vector<ColourLayout>& tiles, const MatchRules& rules,
                         CProgress& progress)
    : m_cells(cells),
      m_tiles(tiles),
      m_across(across),
      m_down(static_cast<int>(cells.size()) / across),
      m_cellCount(static_cast<int>(cells.size())),
      m_tileCount(static_cast<int>(tiles.size())),
      m_distance(HeldRepeatDistance(rules.repeatDistance, static_cast<int>(tiles.size()))),
      m_cap(rules.maxUses > 0 ? rules.maxUses : std::numeric_limits<int>::max()),
      m_useAll(rules.useAll),
      m_threads(std::max(1, rules.threads)),
      m_progress(progress),
      m_tree(tiles),
      m_tileOf(cells.size(), -1),
      m_cost(cells.size(), 0.0f),
      m_useCount(tiles.size(), 0),
      m_holders(tiles.size()),
      m_nearest(cells.size() * kNearestKept, -1),
      m_nearestCost(cells.size() * kNearestKept, 0.0f),
      m_stamp(tiles.size(), -1) {
  m_cellMeans.reserve(cells.size());
  for (const ColourLayout& cell : cells) m_cellMeans.push_back(MeanLab(cell));
  m_tileMeans.reserve(tiles.size());
  for (const ColourLayout& tile : tiles) m_tileMeans.push_back(MeanLab(tile));
}

// LayoutDistance, summed in the same order, given up once the sum reaches limit: true with the
// distance in distance when it stays below.
bool DistanceBelow(const ColourLayout& a, const ColourLayout& b, float limit, float& distance) {
  float sum = 0;
  for (int v = 0; v < kLayoutValues;) {
    for (const int partEnd = v + 3; v < partEnd; ++v) {
      const float d = a.lab[v] - b.lab[v];
      sum += d * d;
    }
    if (sum >= limit) return false;
  }
  distance = sum;
  return true;
}

bool TileMatcher::Poll(std::int64_t done, std::int64_t total, int fromPercent, int toPercent) {
  const std::int64_t span = toPercent - fromPercent;
  return m_progress.SetPercent(static_cast<int>(fromPercent + span * done / total)) != FALSE;
}

// Each cell's nearest tiles, whatever the rules: they depend on no other cell, so rows of cells
// are searched on several threads.
bool TileMatcher::FindNearestOfEveryCell() {
  const auto searchRow = [this](int row) {
    for (int cell = row * m_across; cell < (row + 1) * m_across; ++cell) {
      const std::size_t at = static_cast<std::size_t>(cell) * kNearestKept;
      m_tree.FindNearest(m_cells[cell], kNearestKept, &m_nearest[at], &m_nearestCost[at]);
    }
  };
  COrderedWork work(m_down, m_threads, searchRow);
  const auto goOn = [this] { return m_progress.CheckCancel() == FALSE; };
  for (int row = 0; row < m_down; ++row)
    if (!work.WaitFor(row, goOn) || !Poll(row, m_down, 0, kNearestPercent)) return false;
  return true;
}

// Marks the tiles of the cells already filled within the distance: the rows above and the cells
// to the left.
void TileMatcher::StampEarlierNeighbours(int cell) {
  const int row = cell / m_across, col = cell % m_across;
  const int left = std::max(0, col - m_distance), right = std::min(m_across - 1, col + m_distance);
  for (int r = std::max(0, row - m_distance); r < row; ++r)
    for (int c = left; c <= right; ++c) m_stamp[m_tileOf[r * m_across + c]] = cell;
  for (int c = left; c < col; ++c) m_stamp[m_tileOf[row * m_across + c]] = cell;
}

// The nearest tile not close by and below the limit; the nearest not close by when every such
// tile has reached the limit. The remembered nearest tiles answer most cells; the tree the rest.
int TileMatcher::ChooseTile(int cell, float& cost) const {
  const std::size_t first = static_cast<std::size_t>(cell) * kNearestKept;
  for (std::size_t at = first; at < first + kNearestKept && m_nearest[at] >= 0; ++at) {
    const int tile = m_nearest[at];
    if (m_stamp[tile] != cell && m_useCount[tile] < m_cap) {
      cost = m_nearestCost[at];
      return tile;
    }
  }
  const int tile = m_tree.FindNearestAllowed(
      m_cells[cell], [this, cell](int t) { return m_stamp[t] != cell; }, cost);
  if (tile >= 0) return tile;
  int anyUse = -1;
  for (int t = 0; t < m_tileCount; ++t) {
    if (m_stamp[t] == cell) continue;
    const float c = LayoutDistance(m_cells[cell], m_tiles[t]);
    if (anyUse < 0 || c < cost) anyUse = t, cost = c;
  }
  assert(anyUse >= 0 && "the held distance leaves a tile free");
  return anyUse;
}

void TileMatcher::Place(int cell, int tile, float cost) {
  m_tileOf[cell] = tile;
  m_cost[cell] = cost;
  ++m_useCount[tile];
  m_holders[tile].push_back({cell, std::sqrt(cost), cost, m_cellMeans[cell]});
}

void TileMatcher::Unplace(int cell) {
  const int tile = m_tileOf[cell];
  std::vector<Holder>& holders = m_holders[tile];
  const auto at = std::find_if(holders.begin(), holders.end(),
                               [cell](const Holder& h) { return h.cell == cell; });
  *at = holders.back();
  holders.pop_back();
  --m_useCount[tile];
  m_tileOf[cell] = -1;
}

bool TileMatcher::NearbyHolds(int cell, int tile, int except) const {
  const int row = cell / m_across, col = cell % m_across;
  const std::vector<Holder>& holders = m_holders[tile];
  const std::size_t window = static_cast<std::size_t>(2 * m_distance + 1) * (2 * m_distance + 1);
  if (holders.size() < window) {
    for (const auto& [other, root, c, m] : holders)
      if (other != cell && other != except && std::abs(other / m_across - row) <= m_distance &&
          std::abs(other % m_across - col) <= m_distance)
        return true;
    return false;
  }
  const int left = std::max(0, col - m_distance), right = std::min(m_across - 1, col + m_distance);
  const int bottom = std::min(m_down - 1, row + m_distance);
  for (int r = std::max(0, row - m_distance); r <= bottom; ++r)
    for (int c = left; c <= right; ++c) {
      const int other = r * m_across + c;
      if (other != cell && other != except && m_tileOf[other] == tile) return true;
    }
  return false;
}

bool TileMatcher::ChooseNearest() {
  for (int row = 0; row < m_down; ++row) {
    if (!Poll(row, m_down, kNearestPercent, kChoosePercent)) return false;
    for (int col = 0; col < m_across; ++col) {
      const int cell = row * m_across + col;
      StampEarlierNeighbours(cell);
      float cost = 0;
      const int tile = ChooseTile(cell, cost);
      Place(cell, tile, cost);
      // A tile at the limit is left out of the searches from now on.
      if (m_useCount[tile] == m_cap) m_tree.Retire(tile);
    }
  }
  return true;
}

// Each tile that no cell took replaces the tile of the cell where that raises the sum least,
// taken only from a cell whose tile is used elsewhere too. A tile used nowhere cannot be close by.
bool TileMatcher::CoverUnusedTiles() {
  if (!m_useAll || m_cellCount < m_tileCount) return true;
  for (int t = 0; t < m_tileCount; ++t) {
    if (m_useCount[t] > 0) continue;
    if (!Poll(t, m_tileCount, kRelievePercent, kCoverPercent)) return false;
    int bestCell = -1;
    float bestCost = 0, bestRise = 0;
    for (int cell = 0; cell < m_cellCount; ++cell) {
      if (m_useCount[m_tileOf[cell]] < 2) continue;
      // Nine parts at least as far apart as the means: no lower rise here.
      const std::array<float, 3>& mean = m_cellMeans[cell];
      const float dl = mean[0] - m_tileMeans[t][0], da = mean[1] - m_tileMeans[t][1],
                  db = mean[2] - m_tileMeans[t][2];
      if (bestCell >= 0 && 9 * (dl * dl + da * da + db * db) - m_cost[cell] >= bestRise) continue;
      const float cost = LayoutDistance(m_cells[cell], m_tiles[t]);
      if (bestCell < 0 || cost - m_cost[cell] < bestRise) {
        bestCell = cell;
        bestCost = cost;
        bestRise = cost - m_cost[cell];
      }
    }
    Unplace(bestCell);
    Place(bestCell, t, bestCost);
  }
  return true;
}

void TileMatcher::MarkNearbyTiles(int cell, std::vector<char>& nearby) const {
  std::fill(nearby.begin(), nearby.end(), 0);
  const int row = cell / m_across, col = cell % m_across;
  const int left = std::max(0, col - m_distance), right = std::min(m_across - 1, col + m_distance);
  const int bottom = std::min(m_down - 1, row + m_distance);
  for (int r = std::max(0, row - m_distance); r <= bottom; ++r)
    for (int c = left; c <= right; ++c)
      if (r * m_across + c != cell) nearby[m_tileOf[r * m_across + c]] = 1;
}

// The first choice takes a tile beyond the limit when every tile below it lies close by. Later,
// with the whole poster filled, such a cell moves to the nearest tile below the limit that no
// cell close by holds, where there is one.
bool TileMatcher::RelieveOverusedTiles() {
  if (m_cap == std::numeric_limits<int>::max()) return true;
  std::vector<char> nearby(static_cast<std::size_t>(m_tileCount));
  for (int cell = 0; cell < m_cellCount; ++cell) {
    const bool rowStart = cell % m_across == 0;
    if (rowStart && !Poll(cell, m_cellCount, kChoosePercent, kRelievePercent)) return false;
    if (m_useCount[m_tileOf[cell]] <= m_cap) continue;
    MarkNearbyTiles(cell, nearby);
    int best = -1;
    float bestCost = 0;
    for (int t = 0; t < m_tileCount; ++t) {
      if (nearby[t] || m_useCount[t] >= m_cap) continue;
      const float cost = LayoutDistance(m_cells[cell], m_tiles[t]);
      if (best < 0 || cost < bestCost) best = t, bestCost = cost;
    }
    if (best < 0) {
      RelieveThroughAnotherCell(cell, nearby);
      continue;
    }
    Unplace(cell);
    Place(cell, best, bestCost);
  }
  return true;
}

// When every tile below the limit lies close by, cell takes the tile of a cell farther away,
// which takes a tile below the limit in turn; of all such pairs the one that raises the sum
// least. The tiles below the limit are then few: all lie within the distance of cell.
void TileMatcher::RelieveThroughAnotherCell(int cell, const std::vector<char>& nearby) {
  std::vector<int> spare;
  for (int t = 0; t < m_tileCount; ++t)
    if (m_useCount[t] < m_cap) spare.push_back(t);
  const int own = m_tileOf[cell], row = cell / m_across, col = cell % m_across;
  int bestOther = -1, bestSpare = -1;
  float bestRise = 0, bestCellCost = 0, bestOtherCost = 0;
  for (int other = 0; other < m_cellCount; ++other) {
    const int given = m_tileOf[other];
    if (given == own || nearby[given]) continue;
    if (std::abs(other / m_across - row) <= m_distance &&
        std::abs(other % m_across - col) <= m_distance)
      continue;
    const float cellCost = LayoutDistance(m_cells[cell], m_tiles[given]);
    const float riseAtCell = cellCost - m_cost[cell] - m_cost[other];
    if (bestOther >= 0 && riseAtCell >= bestRise) continue;
    for (const int t : spare) {
      if (t == given || NearbyHolds(other, t, -1)) continue;
      const float otherCost = LayoutDistance(m_cells[other], m_tiles[t]);
      if (bestOther >= 0 && riseAtCell + otherCost >= bestRise) continue;
      bestOther = other, bestSpare = t, bestRise = riseAtCell + otherCost;
      bestCellCost = cellCost, bestOtherCost = otherCost;
    }
  }
  if (bestOther < 0) return;
  const int given = m_tileOf[bestOther];
  Unplace(bestOther);
  Place(bestOther, bestSpare, bestOtherCost);
  Unplace(cell);
  Place(cell, given, bestCellCost);
}

// Gives cell one of its nearer tiles when that lowers the sum: by exchanging tiles with a cell
// that holds it, or by moving to it when it is below the limit and, where every tile must be
// used, the cell's own tile stays in use. Each candidate tile must be nearer to cell than its
// own: the gains of the other cell are found from that cell's side. Returns the gain, 0 when
// nothing changed.
float TileMatcher::ImproveCell(int cell) {
  const int own = m_tileOf[cell];
  float bestGain = kMinGain, bestCost = 0, partnerCost = 0;
  int bestTile = -1, partner = -1;
  const std::array<float, 3>& ownMean = m_tileMeans[own];
  int budget = kExchangeBudget;
  for (int k = 0; k < kNearestKept && budget > 0; ++k) {
    const std::size_t at = static_cast<std::size_t>(cell) * kNearestKept + k;
    const int tile = m_nearest[at];
    const float cost = m_nearestCost[at];
    if (tile < 0 || cost >= m_cost[cell]) break;
    if (tile == own) continue;
    const float moveGain = m_cost[cell] - cost;
    if (moveGain > bestGain && m_useCount[tile] < m_cap && (!m_useAll || m_useCount[own] >= 2) &&
        !NearbyHolds(cell, tile, -1)) {
      bestGain = moveGain, bestTile = tile, bestCost = cost, partner = -1;
    }
    // An exchange with a cell that holds tile gains more than the best so far only when own
    // lies nearer to that cell than its root plus the slack. By the triangle inequality own lies
    // at least (between − root) from it, which rules out every holder whose root is at most
    // (between² − slack) / (2 between): such a cell fits tile too well to give it up.
    const float slack = moveGain - bestGain;
    const float between = std::sqrt(LayoutDistance(m_tiles[tile], m_tiles[own]));
    const float fitsTooWell = between > 0 ? (between * between - slack) / (2 * between) : -1;
    for (const auto& [other, root, otherNow, mean] : m_holders[tile]) {
      if (root <= fitsTooWell) continue;
      // Nine parts at least as far apart as the means: too far for a gain.
      const float dl = mean[0] - ownMean[0], da = mean[1] - ownMean[1], db = mean[2] - ownMean[2];
      if (9 * (dl * dl + da * da + db * db) >= otherNow + slack) continue;
      if (--budget < 0) break;
      const float limit = m_cost[other] + m_cost[cell] - cost - bestGain;
      float otherCost = 0;
      if (!DistanceBelow(m_cells[other], m_tiles[own], limit, otherCost)) continue;
      if (!NearbyHolds(cell, tile, other) && !NearbyHolds(other, own, cell)) {
        const float gain = m_cost[cell] + m_cost[other] - cost - otherCost;
        bestGain = gain, bestTile = tile, bestCost = cost, partner = other, partnerCost = otherCost;
      }
    }
  }
  if (bestTile < 0) return 0;
  if (partner >= 0) {
    Unplace(partner);
    Place(partner, own, partnerCost);
  }
  Unplace(cell);
  Place(cell, bestTile, bestCost);
  return bestGain;
}

// Passes of exchanges until one lowers the sum by less than a thousandth of it. Their number is
// not known ahead, so each pass takes a smaller share of the progress bar than the one before.
bool TileMatcher::ExchangeTiles() {
  for (int pass = 0; pass < kMaxPasses; ++pass) {
    const double sum = std::accumulate(m_cost.begin(), m_cost.end(), 0.0);
    const int from = 100 - (100 - kCoverPercent) / (pass + 1);
    const int to = 100 - (100 - kCoverPercent) / (pass + 2);
    double gain = 0;
    for (int row = 0; row < m_down; ++row) {
      if (!Poll(row, m_down, from, to)) return false;
      for (int col = 0; col < m_across; ++col) gain += ImproveCell(row * m_across + col);
    }
    if (gain < sum * kSettledShare) break;
  }
  return true;
}

}  // namespace

int HeldRepeatDistance(int requested, int tileCount) {
  int d = 0;
  while (d < requested && std::int64_t{2} * (d + 1) * (d + 2) < tileCount) ++d;
  return d;
}

std::optional<int> SmallestFittingMaxUses(long long cellCount, int tileCount, int maxUses) {
  if (maxUses <= 0 || tileCount < 1 || static_cast<long long>(maxUses) * tileCount >= cellCount)
    return std::nullopt;
  return static_cast<int>((cellCount + tileCount - 1) / tileCount);
}

std::optional<std::vector<int>> MatchTilesToCells(const std::vector<ColourLayout>& cells,
                                                  int cellsAcross,
                                                  const std::vector<ColourLayout>& tiles,
                                                  const MatchRules& rules, CProgress& progress) {
  if (cells.empty() || tiles.empty() || cellsAcross < 1) return std::vector<int>(cells.size(), 0);
  TileMatcher matcher(cells, cellsAcross, tiles, rules, progress);
  if (!matcher.FindNearestOfEveryCell() || !matcher.ChooseNearest() ||
      !matcher.RelieveOverusedTiles() || !matcher.CoverUnusedTiles() || !matcher.ExchangeTiles())
    return std::nullopt;
  return matcher.TakeResult();
}
