#include "engine/LayoutTree.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace {

constexpr int kLeafSize = 8;  // tiles a leaf holds at most
// The directions are measured in floats, from values near 100: a bound is taken as this much
// smaller, relatively and absolutely, so that rounding can never prune the exact nearest tile.
constexpr float kBoundSlack = 1.0f - 1e-4f;
constexpr float kBoundMargin = 1e-2f;  // squared CIELAB units

float PartValue(const ColourLayout& layout, int row, int col, int channel) {
  return layout.lab[(row * kLayoutSide + col) * 3 + channel];
}

}  // namespace

std::array<float, 5> ProjectLayout(const ColourLayout& layout) {
  std::array<float, 5> point{};
  for (int part = 0; part < kLayoutSide * kLayoutSide; ++part)
    for (int c = 0; c < 3; ++c) point[c] += layout.lab[part * 3 + c];
  float across = 0, down = 0;
  for (int i = 0; i < kLayoutSide; ++i) {
    across += PartValue(layout, i, 2, 0) - PartValue(layout, i, 0, 0);
    down += PartValue(layout, 2, i, 0) - PartValue(layout, 0, i, 0);
  }
  // Unit vectors: a ninth-sum over nine parts is a third in each, a difference of six parts
  // is one over the root of six in each.
  for (int c = 0; c < 3; ++c) point[c] /= 3.0f;
  const float sixth = 1.0f / std::sqrt(6.0f);
  point[3] = across * sixth;
  point[4] = down * sixth;
  return point;
}

// What one search looks for and has found so far: the best tiles, nearest first.
struct CLayoutTree::Search {
  const ColourLayout* layout = nullptr;
  Point at{};
  int wanted = 1;
  const std::function<bool(int)>* allowed = nullptr;  // nullptr: every tile, retired or not
  int found = 0;
  int* tiles = nullptr;
  float* costs = nullptr;

  [[nodiscard]] bool Full() const { return found == wanted; }
  // Whether a tile at least bound away can still enter the list.
  [[nodiscard]] bool MayHold(float bound) const {
    return !Full() || bound * kBoundSlack - kBoundMargin <= costs[found - 1];
  }
  void Offer(int tile, float cost) {
    if (Full() && (cost > costs[found - 1] || (cost == costs[found - 1] && tile > tiles[found - 1])))
      return;
    int pos = Full() ? found - 1 : found++;
    for (; pos > 0 && (costs[pos - 1] > cost || (costs[pos - 1] == cost && tiles[pos - 1] > tile));
         --pos) {
      tiles[pos] = tiles[pos - 1];
      costs[pos] = costs[pos - 1];
    }
    tiles[pos] = tile;
    costs[pos] = cost;
  }
};

CLayoutTree::CLayoutTree(const std::vector<ColourLayout>& tiles)
    : m_tiles(tiles),
      m_order(tiles.size()),
      m_leafOf(tiles.size(), -1),
      m_retired(tiles.size(), 0) {
  m_points.reserve(tiles.size());
  for (const ColourLayout& tile : tiles) m_points.push_back(ProjectLayout(tile));
  std::iota(m_order.begin(), m_order.end(), 0);
  m_nodes.reserve(4 * tiles.size() / kLeafSize + 2);
  if (!tiles.empty()) Build(0, static_cast<int>(tiles.size()), -1);
}

// Splits the points at the median of the direction along which they spread most.
int CLayoutTree::Build(int begin, int end, int parent) {
  const int index = static_cast<int>(m_nodes.size());
  m_nodes.emplace_back();
  Node node;
  node.begin = begin;
  node.end = end;
  node.parent = parent;
  node.alive = end - begin;
  node.low = node.high = m_points[m_order[begin]];
  for (int i = begin + 1; i < end; ++i)
    for (int d = 0; d < kDims; ++d) {
      node.low[d] = std::min(node.low[d], m_points[m_order[i]][d]);
      node.high[d] = std::max(node.high[d], m_points[m_order[i]][d]);
    }
  if (end - begin <= kLeafSize) {
    for (int i = begin; i < end; ++i) m_leafOf[m_order[i]] = index;
    m_nodes[index] = node;
    return index;
  }
  int widest = 0;
  for (int d = 1; d < kDims; ++d)
    if (node.high[d] - node.low[d] > node.high[widest] - node.low[widest]) widest = d;
  const int middle = begin + (end - begin) / 2;
  std::nth_element(m_order.begin() + begin, m_order.begin() + middle, m_order.begin() + end,
                   [this, widest](int a, int b) {
                     return m_points[a][widest] < m_points[b][widest] ||
                            (m_points[a][widest] == m_points[b][widest] && a < b);
                   });
  m_nodes[index] = node;
  const int low = Build(begin, middle, index);
  const int high = Build(middle, end, index);
  m_nodes[index].below[0] = low;
  m_nodes[index].below[1] = high;
  return index;
}

float CLayoutTree::BoxDistance(const Node& node, const Point& at) const {
  float sum = 0;
  for (int d = 0; d < kDims; ++d) {
    const float outside = at[d] < node.low[d]    ? node.low[d] - at[d]
                          : at[d] > node.high[d] ? at[d] - node.high[d]
                                                 : 0.0f;
    sum += outside * outside;
  }
  return sum;
}

void CLayoutTree::Visit(int index, Search& search) const {
  const Node& node = m_nodes[index];
  if (search.allowed && node.alive == 0) return;
  if (node.below[0] < 0) {
    for (int i = node.begin; i < node.end; ++i) {
      const int tile = m_order[i];
      if (search.allowed && (m_retired[tile] || !(*search.allowed)(tile))) continue;
      float along = 0;
      for (int d = 0; d < kDims; ++d) {
        const float diff = m_points[tile][d] - search.at[d];
        along += diff * diff;
      }
      if (!search.MayHold(along)) continue;
      search.Offer(tile, LayoutDistance(*search.layout, m_tiles[tile]));
    }
    return;
  }
  const float near0 = BoxDistance(m_nodes[node.below[0]], search.at);
  const float near1 = BoxDistance(m_nodes[node.below[1]], search.at);
  const int first = near1 < near0 ? 1 : 0;
  const float nearFirst = first ? near1 : near0, nearSecond = first ? near0 : near1;
  if (search.MayHold(nearFirst)) Visit(node.below[first], search);
  if (search.MayHold(nearSecond)) Visit(node.below[1 - first], search);
}

int CLayoutTree::FindNearest(const ColourLayout& layout, int count, int* tiles,
                             float* costs) const {
  if (m_nodes.empty() || count < 1) return 0;
  Search search;
  search.layout = &layout;
  search.at = ProjectLayout(layout);
  search.wanted = std::min(count, static_cast<int>(m_tiles.size()));
  search.tiles = tiles;
  search.costs = costs;
  Visit(0, search);
  return search.found;
}

int CLayoutTree::FindNearestAllowed(const ColourLayout& layout,
                                    const std::function<bool(int)>& allowed, float& cost) const {
  if (m_nodes.empty()) return -1;
  int tile = -1;
  Search search;
  search.layout = &layout;
  search.at = ProjectLayout(layout);
  search.allowed = &allowed;
  search.tiles = &tile;
  search.costs = &cost;
  Visit(0, search);
  return search.found ? tile : -1;
}

void CLayoutTree::Retire(int tile) {
  if (m_retired[tile]) return;
  m_retired[tile] = 1;
  for (int node = m_leafOf[tile]; node >= 0; node = m_nodes[node].parent) --m_nodes[node].alive;
}
