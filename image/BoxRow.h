// Reducing one row across: the walk that turns per-column values into destination pixels by
// averaging the boxes of columns that share a box map entry.
#pragma once

#include <cstddef>
#include <cstdint>

namespace resample {

// Averages without a division instruction: for a divisor d up to kMaxReciprocalDivisor and a
// total of at most 255 × d bytes, total / d (truncated) is total × ceil(2^40 / d) / 2^40. The
// rounding of the reciprocal adds less than 255 × d / 2^40 < 1 / d, too little to carry the
// quotient past the next whole number.
constexpr std::uint64_t kMaxReciprocalDivisor = 65535;
[[nodiscard]] constexpr std::uint64_t ReciprocalOf(std::uint64_t divisor) {
  return ((std::uint64_t{1} << 40) + divisor - 1) / divisor;
}
[[nodiscard]] constexpr std::uint8_t DivideByReciprocal(std::uint64_t total,
                                                        std::uint64_t reciprocal) {
  return static_cast<std::uint8_t>((total * reciprocal) >> 40);
}

// Walks columns j = 0 .. sourceWidth of one row, possibly in several runs (progress reports
// fall between them). Column j's three values (blue, green, red, each already the total of
// `rows` source rows) join the current box; when the map entry of j differs from the box's, the
// box is stored first as the next pixel at `out`: each total divided by rows, then by the
// number of columns in the box. Box totals are 64-bit, so boxes of any size average correctly.
template <typename Value>
class BoxRow {
 public:
  BoxRow(const Value* values, const int* columnMap, int sourceWidth, std::uint64_t rows,
         std::uint8_t* out)
      : m_values(values),
        m_columnMap(columnMap),
        m_sourceWidth(sourceWidth),
        m_rows(rows),
        m_out(out) {}

  void Run(int begin, int end) {
    for (int j = begin; j < end; ++j) {
      if (m_columnMap[j] != m_boxEntry) {
        StoreBox();
        m_boxEntry = m_columnMap[j];
      }
      if (j < m_sourceWidth) AddColumn(m_values + 3 * static_cast<std::size_t>(j));
    }
  }

 private:
  void AddColumn(const Value* column) {
    m_total[0] += column[0];
    m_total[1] += column[1];
    m_total[2] += column[2];
    ++m_columns;
  }

  void StoreBox() {
    // Dividing by rows and then by columns truncates exactly as one division by their product.
    const std::uint64_t divisor = m_rows * m_columns;
    if (m_columns < kCachedWidths && divisor <= kMaxReciprocalDivisor) {
      std::uint64_t& reciprocal = m_reciprocals[m_columns];
      if (reciprocal == 0) reciprocal = ReciprocalOf(divisor);
      for (int c = 0; c < 3; ++c) m_out[c] = DivideByReciprocal(m_total[c], reciprocal);
    } else {
      for (int c = 0; c < 3; ++c) m_out[c] = static_cast<std::uint8_t>(m_total[c] / divisor);
    }
    m_total[0] = m_total[1] = m_total[2] = 0;
    m_out += 3;
    m_columns = 0;
  }

  // Boxes of up to this many columns reuse the reciprocal of their width within the row.
  static constexpr std::uint64_t kCachedWidths = 64;

  const Value* m_values;
  const int* m_columnMap;
  int m_sourceWidth;
  std::uint64_t m_rows;
  std::uint8_t* m_out;
  int m_boxEntry = 0;
  std::uint64_t m_total[3] = {0, 0, 0};
  std::uint64_t m_columns = 0;
  std::uint64_t m_reciprocals[kCachedWidths] = {};  // by box width; 0 until first needed
};

}  // namespace resample
