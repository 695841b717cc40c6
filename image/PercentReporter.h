// The running percentage of a resampling, reported to a progress sink.
//
// A procedure passes reporting points in increasing order of a position (a pixel count); the
// percentage at a position is position × 100 / total in double precision, and SetPercent is
// called only when its integer part differs from the one reported last (100 before the first
// report), so a resampling pumps messages about a hundred times, never once per pixel. The
// position at which the integer part next changes is worked out once per report, so the
// procedures only compare a column index on their way.
#pragma once

#include <cstdint>
#include <limits>

#include "image/Types.h"

class CProgress;

namespace resample {

class PercentReporter {
 public:
  // Shows "Resampling image . . ." on progress, which may be nullptr (nothing is reported).
  PercentReporter(CProgress* progress, std::uint64_t total);

  // Runs body(begin, end) over the columns [0, count) of the row whose first position is
  // rowStart, reporting before every column at which a report falls due. FALSE when the user
  // cancelled: the body has then not run for that column or any after it.
  template <typename Body>
  [[nodiscard]] BOOL WalkRow(std::uint64_t rowStart, int count, Body&& body) {
    int column = 0;
    for (;;) {
      const int due = DueColumn(rowStart, column, count);
      body(column, due);
      if (due == count) return TRUE;
      column = due;
      if (!Report(rowStart + static_cast<std::uint64_t>(column))) return FALSE;
    }
  }

 private:
  static constexpr std::uint64_t kNever = std::numeric_limits<std::uint64_t>::max();

  [[nodiscard]] int DueColumn(std::uint64_t rowStart, int from, int count) const;
  [[nodiscard]] BOOL Report(std::uint64_t position);
  [[nodiscard]] int PercentAt(std::uint64_t position) const;
  [[nodiscard]] std::uint64_t FirstPositionReaching(int percent) const;

  CProgress* m_progress;
  std::uint64_t m_total;
  int m_lastPercent = 100;
  std::uint64_t m_nextDue;  // no report can fall due before this position
};

}  // namespace resample
