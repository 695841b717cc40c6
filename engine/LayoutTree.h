// A search tree over the tiles' colour layouts: finds the nearest tiles to a cell's layout
// without measuring every tile.
//
// A k-d tree over a few directions of the layout space (the mean L, a and b, and how L rises
// across and down): those directions are orthonormal, so the distance between two layouts along
// them never exceeds their full layout distance, and a branch whose box lies farther along them
// than the best found so far holds nothing nearer. Every answer is exact: the nearest under the
// full layout distance, ties going to the lower tile index, the very result of measuring every
// tile.
#pragma once

#include <array>
#include <functional>
#include <vector>

#include "engine/ColourLayout.h"

class CLayoutTree {
 public:
  // The tree over tiles, which must outlive it.
  explicit CLayoutTree(const std::vector<ColourLayout>& tiles);

  // The count tiles nearest to layout, nearest first, into tiles and costs (their layout
  // distances); fewer when there are fewer tiles. Returns how many were found.
  int FindNearest(const ColourLayout& layout, int count, int* tiles, float* costs) const;

  // The nearest tile, not retired, for which allowed says yes; -1 when there is none.
  int FindNearestAllowed(const ColourLayout& layout, const std::function<bool(int)>& allowed,
                         float& cost) const;

  // Leaves tile out of every later FindNearestAllowed (FindNearest still finds it).
  void Retire(int tile);

 private:
  static constexpr int kDims = 5;
  using Point = std::array<float, kDims>;

  struct Node {
    Point low, high;  // the box of the points below
    int begin = 0, end = 0;  // the points below, in m_order
    int below[2] = {-1, -1};  // the two halves; -1 for a leaf
    int parent = -1;
    int alive = 0;  // points below that are not retired
  };

  struct Search;

  int Build(int begin, int end, int parent);
  [[nodiscard]] float BoxDistance(const Node& node, const Point& at) const;
  void Visit(int node, Search& search) const;

  const std::vector<ColourLayout>& m_tiles;
  std::vector<Point> m_points;  // per tile: its layout along the tree's directions
  std::vector<int> m_order;     // tile indexes, each leaf's a run
  std::vector<int> m_leafOf;    // per tile: its leaf
  std::vector<char> m_retired;  // per tile
  std::vector<Node> m_nodes;
};

// The layout along the tree's directions; its squared distance to another's never exceeds the
// layout distance of the two.
[[nodiscard]] std::array<float, 5> ProjectLayout(const ColourLayout& layout);
