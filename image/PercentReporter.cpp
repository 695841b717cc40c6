#include "image/PercentReporter.h"

#include "image/Progress.h"
#include "resources/StringTable.h"

namespace resample {

PercentReporter::PercentReporter(CProgress* progress, std::uint64_t total)
    : m_progress(progress), m_total(total), m_nextDue(progress != nullptr ? 0 : kNever) {
  // A cancel pressed now is still seen: it is sticky and the first report comes soon.
  if (m_progress != nullptr) m_progress->SetDetail(res::IDS_RESAMPLING);
}

int PercentReporter::DueColumn(std::uint64_t rowStart, int from, int count) const {
  const std::uint64_t position = rowStart + static_cast<std::uint64_t>(from);
  if (m_nextDue <= position) return from;
  const std::uint64_t offset = m_nextDue - rowStart;
  return offset < static_cast<std::uint64_t>(count) ? static_cast<int>(offset) : count;
}

BOOL PercentReporter::Report(std::uint64_t position) {
  const int percent = PercentAt(position);
  if (percent != m_lastPercent) {
    m_lastPercent = percent;
    if (!m_progress->SetPercent(percent)) return FALSE;
  }
  // Positions only grow, so the integer part can differ again only once it has grown.
  m_nextDue = FirstPositionReaching(m_lastPercent + 1);
  return TRUE;
}

int PercentReporter::PercentAt(std::uint64_t position) const {
  return static_cast<int>(static_cast<double>(position) * 100.0 / static_cast<double>(m_total));
}

std::uint64_t PercentReporter::FirstPositionReaching(int percent) const {
  // The exact answer is ceil(percent × total / 100); the double quotient may round across a
  // whole number next to it, so step to where the double integer part really changes.
  const auto k = static_cast<std::uint64_t>(percent);
  std::uint64_t position = k * (m_total / 100) + (k * (m_total % 100) + 99) / 100;
  while (position > 0 && PercentAt(position - 1) >= percent) --position;
  while (PercentAt(position) < percent) ++position;
  return position;
}

}  // namespace resample
