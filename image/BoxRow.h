// Reducing one row across: the walk that turns per-column values into destination pixels by
// averaging the boxes of columns that share a box map entry.
#pragma once

#include <cstddef>
#include <cstdint>

namespace resample {

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
    for (int c = 0; c < 3; ++c) {
      m_out[c] = static_cast<std::uint8_t>(m_total[c] / m_rows / m_columns);
      m_total[c] = 0;
    }
    m_out += 3;
    m_columns = 0;
  }

  const Value* m_values;
  const int* m_columnMap;
  int m_sourceWidth;
  std::uint64_t m_rows;
  std::uint8_t* m_out;
  int m_boxEntry = 0;
  std::uint64_t m_total[3] = {0, 0, 0};
  std::uint64_t m_columns = 0;
};

}  // namespace resample
