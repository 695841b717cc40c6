// Laying the cells: which tile goes into which cell, and the cells laid in bands of cell rows
// on several threads with the very bytes of laying them one after another.
//
// A cell is its tile copied into the cell image, the cell image blended with the main image's
// pixels under it and copied into the poster. The main image at the poster's size is either in
// the poster image already, until the cells take its place, or made a few cells at a time from
// its enlargement just before they are blended. Single-line borders leave line pixels that carry
// a blend of every earlier cell (engine/CellLines.h).
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "engine/TileGrid.h"
#include "engine/TileOrder.h"
#include "image/DibImage.h"

class CEnlargement;
class CProgress;

// The tile index of every cell, row by row from the top, each row from the left: the order
// prepared for this build, consumed in that sequence.
[[nodiscard]] std::vector<int> AssignTilesToCells(TileOrderShuffle& order, TileOrderMode mode,
                                                  int tileCount, const TileGrid& grid);

struct CellLayout {
  TileGrid grid;
  // When set, the main image enlarged to the poster's size, and the poster holds nothing yet.
  const CEnlargement* mainEnlargement = nullptr;
  unsigned tileWeight = 4;  // eighths of the tile in a cell; the main image has the rest
  bool singleLine = false;  // the tile images are a pixel narrower and shorter than the cell
  int threads = 1;
};

// Told how many poster rows from the top are final, on the thread that calls LayCells.
using FinalRowsListener = std::function<void(const CDibImage& poster, int finalRows)>;

// Hands on rows [first, first + count) of rows: the next rows of the poster, top to bottom.
// False stops the laying.
using RowsHandOn = std::function<bool(const CDibImage& rows, int first, int count)>;

enum class LayResult { kLaid, kCancelled, kNoMemory, kNotHandedOn };

// Lays every cell of poster, which holds the main image at the poster's size unless the layout
// names its enlargement. cellTiles holds an index into tiles for every cell. onRowsFinal, when
// set, hears 0 as the laying starts and then, in order, the poster rows above each finished cell
// row; those rows never change again.
[[nodiscard]] LayResult LayCells(const CellLayout& layout,
                                 const std::vector<std::shared_ptr<const CDibImage>>& tiles,
                                 const std::vector<int>& cellTiles, CDibImage& poster,
                                 CProgress& progress, const FinalRowsListener& onRowsFinal = {});

// Lays every cell of a poster that is never held whole: the layout names the enlargement of the
// main image, and the cell rows are laid into a ring of places cell rows and handed on in
// order, each as soon as it is laid, with the very bytes LayCells gives the whole poster there.
// handOn is called on a thread of its own, one row after another, while later rows are laid.
[[nodiscard]] LayResult LayCellsInRing(const CellLayout& layout,
                                       const std::vector<std::shared_ptr<const CDibImage>>& tiles,
                                       const std::vector<int>& cellTiles, int places,
                                       CProgress& progress, const RowsHandOn& handOn);
