// Cutting, turning and reducing a picture in one pass over its rows.
//
// A tile is cut to the cell's shape, turned a quarter left when its orientation differs from
// the majority's, and box-averaged down to the cell. Box averages are sums of whole boxes of
// pixels, so the result can be gathered from the stored rows as they come, top row first: a
// decoder can hand its rows over one strip at a time, and neither the whole picture nor its
// turned or cut copies need to exist.
#pragma once

#include <cstdint>
#include <vector>

#include "image/DibImage.h"

// A rectangle of the picture as it stands after the optional quarter turn.
struct TurnedRect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};

// Gathers the rows of a sourceWidth × sourceHeight picture into the box averages of rect
// (taken after turning the picture a quarter left when turned) reduced to newWidth × newHeight:
// the bytes that RotateLeft, CropToRect and Resample give one after the other, for a reduction
// of both directions. Rows that never come count as black, as in a picture whose file ended
// early.
class CBoxReducer {
 public:
  // Whether the reduction is one this class performs: rect lies inside the (turned) picture
  // and both directions shrink.
  [[nodiscard]] static bool Applies(int sourceWidth, int sourceHeight, bool turned,
                                    const TurnedRect& rect, int newWidth, int newHeight);

  // Needs Applies; throws std::bad_alloc when its sums cannot be had.
  CBoxReducer(int sourceWidth, bool turned, const TurnedRect& rect, int newWidth, int newHeight);

  // Stored row y (0 at the top), 3 × sourceWidth bytes blue-green-red. Rows come in increasing
  // order; rows may be left out.
  void AddRow(int y, const std::uint8_t* row);
  // The reduced picture, into image; FALSE when its pixels cannot be had.
  [[nodiscard]] BOOL Finish(CDibImage& image);

 private:
  // The box of a reduced direction for each position along it, and each box's size.
  struct Boxes {
    std::vector<int> entry;  // per position: its box, or the box count when left out
    std::vector<std::uint64_t> size;
    Boxes(int sourceCount, int boxCount);
  };

  // Divides the gathered sums into the reduced pixels of the box that is open across rows.
  void CloseBox();
  template <typename Sum>
  void StoreBox(std::vector<Sum>& sums);

  // Where the reduced pixel of box alongRun of the run and box ofRows of the rows goes.
  std::uint8_t* PixelOf(int alongRun, int ofRows);

  bool m_turned;
  int m_newWidth;
  int m_newHeight;
  int m_firstRow;  // the first stored row that is used
  int m_rowCount;  // how many are
  int m_runStart;  // the first pixel of a stored row that is used
  int m_runLength;
  Boxes m_ofRows;    // over the stored rows that are used: reduced rows, or columns if turned
  Boxes m_alongRun;  // along the used run of a row: reduced columns, or rows if turned
  // Per used pixel of a row, three channels, summed over the open box: in 16 bits where every
  // box has few enough rows, which halves the memory the sums pass through, else in 32.
  std::vector<std::uint16_t> m_narrowSums;
  std::vector<std::uint32_t> m_wideSums;
  int m_openBox = -1;  // the box of stored rows being gathered, -1 for none
  std::vector<std::uint8_t> m_pixels;  // the reduced picture, top row first, rows packed
};

// Replaces image by the same bytes as RotateLeft (when turned), CropToRect(rect) and
// Resample(newWidth, newHeight) one after the other. FALSE, image unchanged, when the image is
// not 24-bit, when CBoxReducer does not apply, or when the memory cannot be had. Reports no
// progress.
[[nodiscard]] BOOL ReduceRect(CDibImage& image, bool turned, const TurnedRect& rect, int newWidth,
                              int newHeight);
