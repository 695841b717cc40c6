#include "formats/JpegSaveReport.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>

#include "image/NumberUtils.h"
#include "image/Progress.h"
#include "resources/StringTable.h"

CJpegSaveReport::CJpegSaveReport(CProgress* progress, int width, int height)
    : m_progress(progress), m_width(width), m_height(height) {}

bool CJpegSaveReport::Compressing() {
  return m_progress == nullptr || m_progress->SetDetail(res::IDS_COMPRESSING);
}

bool CJpegSaveReport::Finishing() {
  return m_progress == nullptr || m_progress->SetDetail(res::IDS_FINISHING_COMPRESSION);
}

bool CJpegSaveReport::RowsCompressed(int done) {
  while (m_reportedRows < std::min(done, m_height)) {
    m_reportedRows = std::min(m_reportedRows + kJpegRowsPerCall, m_height);
    if (!ReportStep(m_reportedRows)) return false;
  }
  return true;
}

// Shows the kilobytes and the bar when the whole percent changed. The library writes nothing
// before it finishes (optimised tables need every coefficient first), so the input is what can
// be counted while rows are compressed.
bool CJpegSaveReport::ReportStep(int done) {
  const int percent = static_cast<int>(static_cast<std::int64_t>(done) * 100 / m_height);
  if (percent == m_shownPercent || m_progress == nullptr) return true;
  m_shownPercent = percent;
  const std::uint64_t inputBytes =
      static_cast<std::uint64_t>(m_width) * 3 * static_cast<std::uint64_t>(done);
  char text[96];
  const std::string kbytes = FormatThousands(static_cast<std::uint32_t>(inputBytes / 1024));
  std::snprintf(text, sizeof text, res::LoadString(res::IDS_KBYTES_COMPRESSED), kbytes.c_str());
  return m_progress->SetDetail(std::string(text)) && m_progress->SetPercent(percent);
}
