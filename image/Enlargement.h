// The bilinear enlargement of a 24-bit image, made a rectangle at a time wherever it is wanted:
// a rectangle holds the very bytes that the enlarging resampling writes there. The poster build
// makes each cell's share of the main image just before it blends the cell, while it is still
// in the processor's cache, instead of writing the whole enlarged image first and reading it
// back.
//
// Every destination pixel mixes a source pixel with its horizontal, vertical and diagonal
// neighbours on the side the sampling position leans to; positions are worked out in double
// precision, the mixing in integers (hundredths).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

class CDibImage;

class CEnlargement {
 public:
  // Where a destination column or row samples the source: the nearest source index, the
  // neighbour towards the position, and how far (0 .. 50 hundredths) it leans to the neighbour.
  struct Tap {
    int index;
    int neighbour;
    int lean;
  };

  // Four destination columns spread in one step: their twelve bytes of source pixels (and of
  // neighbours) lie within sixteen bytes of the source row from a base offset, so one shuffle
  // of those sixteen picks them. Where they do not, or the sixteen would pass the row's end,
  // the block is spread a column at a time.
  struct SpreadBlock {
    static constexpr std::size_t kColumns = 4;

    std::uint32_t ownBase = 0;
    std::uint32_t neighbourBase = 0;
    std::uint8_t ownPick[16] = {};
    std::uint8_t neighbourPick[16] = {};
    bool shuffles = false;
  };

  // One source row spread out to a run of destination columns.
  struct SpreadRow {
    int sourceRow = -1;
    std::uint8_t* own = nullptr;        // byte k of each column's source pixel
    std::uint8_t* neighbour = nullptr;  // and of its neighbour across
  };

  // A thread's spread rows for painting up to maxColumns destination columns at a time: the
  // source rows are spread out to the columns (each byte beside the byte of its neighbour
  // column) once per rectangle, so that mixing a row is a straight walk over equal-length byte
  // arrays that the compiler turns into vector code. Three slots hold a row, its neighbour and
  // the next; these differ modulo 3, so fetching one never evicts another.
  class Rows {
   public:
    Rows(const CEnlargement& enlargement, int maxColumns);
    [[nodiscard]] bool HasMemory() const { return m_bytes != nullptr; }

    // Turns to the columns [firstColumn, firstColumn + columnCount), forgetting rows spread
    // before; columnCount is at most maxColumns.
    void Aim(int firstColumn, int columnCount);
    [[nodiscard]] int FirstColumn() const { return m_firstColumn; }
    [[nodiscard]] const SpreadRow& Get(int sourceRow);

   private:
    static constexpr std::size_t kSlots = 3;
    void Spread(SpreadRow& slot, const std::uint8_t* row) const;

    const CEnlargement& m_enlargement;
    std::size_t m_padded;  // bytes of a spread row, and the four that a block's store may pass
    std::unique_ptr<std::uint8_t[]> m_bytes;
    SpreadRow m_slots[kSlots];
    int m_firstColumn = 0;
    int m_columnCount = 0;
  };

  // source must stay alive and unchanged while the enlargement is used; width and height are at
  // least its own. HasMemory tells whether the sampling tables could be had.
  CEnlargement(const CDibImage& source, int width, int height);
  // Only the given columns and rows of the enlargement to width × height, each list in
  // increasing order; they are this enlargement's columns and rows.
  CEnlargement(const CDibImage& source, int width, int height, const std::vector<int>& columns,
               const std::vector<int>& rows);
  [[nodiscard]] bool HasMemory() const;
  [[nodiscard]] const CDibImage& GetSource() const { return m_source; }
  [[nodiscard]] int GetWidth() const { return static_cast<int>(m_ownOffset.size()); }
  [[nodiscard]] int GetHeight() const { return static_cast<int>(m_rowTaps.size()); }

  // Writes bytes [begin, end) of destination row y, counted from the aimed first column of
  // rows, to out, which points at that column's pixel.
  void MixRow(std::uint8_t* out, int y, Rows& rows, std::size_t begin, std::size_t end) const;

  // Writes the w × h rectangle at (x, y) of the enlarged image to target at (targetX, targetY),
  // which must hold it; w is at most the columns rows was made for.
  void Paint(CDibImage& target, int targetX, int targetY, int x, int y, int w, int h,
             Rows& rows) const;

 private:
  // The taps of the destination columns and rows listed, or of all when a list is nullptr.
  void MakeTaps(int width, int height, std::size_t columnCount, const int* columns,
                std::size_t rowCount, const int* rows);
  [[nodiscard]] bool MakeBlocks(std::uint32_t rowBytes);
  static bool Picks(const std::uint32_t* offsets, std::uint32_t rowBytes, std::uint32_t& base,
                    std::uint8_t (&picks)[16]);

  const CDibImage& m_source;
  const std::uint8_t* m_sourceTop;
  std::ptrdiff_t m_sourceStride;
  bool m_hasMemory = false;
  std::vector<Tap> m_rowTaps;
  // Byte offsets within a source row of each destination column's pixel and neighbour, and
  // the horizontal lean repeated for the column's three bytes.
  std::vector<std::uint32_t> m_ownOffset;
  std::vector<std::uint32_t> m_neighbourOffset;
  std::vector<std::uint16_t> m_leanPerByte;
  // How to spread the columns four at a time (see SpreadBlock), one for each whole four.
  std::vector<SpreadBlock> m_blocks;
};
