#include "image/BoxReducer.h"

#include <algorithm>
#include <cstddef>
#include <new>

#include "image/ResampleMaps.h"
#include "image/ResampleProcedures.h"

namespace {

bool Inside(const TurnedRect& r, int width, int height) {
  return r.x >= 0 && r.y >= 0 && r.width > 0 && r.height > 0 &&
         static_cast<std::int64_t>(r.x) + r.width <= width &&
         static_cast<std::int64_t>(r.y) + r.height <= height;
}

template <typename Sum>
void AddRun(std::vector<Sum>& sums, const std::uint8_t* run) {
  Sum* sum = sums.data();
  const std::size_t count = sums.size();
  for (std::size_t k = 0; k < count; ++k) sum[k] += run[k];
}

}  // namespace

CBoxReducer::Boxes::Boxes(int sourceCount, int boxCount)
    : entry(static_cast<std::size_t>(sourceCount) + 1), size(static_cast<std::size_t>(boxCount), 0) {
  resample::FillBoxMap(entry.data(), sourceCount, boxCount);
  for (int k = 0; k < sourceCount; ++k)
    if (entry[k] < boxCount) ++size[entry[k]];
}

bool CBoxReducer::Applies(int sourceWidth, int sourceHeight, bool turned, const TurnedRect& rect,
                          int newWidth, int newHeight) {
  // Turned, the picture is sourceHeight wide and sourceWidth high.
  if (!Inside(rect, turned ? sourceHeight : sourceWidth, turned ? sourceWidth : sourceHeight))
    return false;
  if (newWidth < 1 || newHeight < 1 || newWidth >= rect.width || newHeight >= rect.height)
    return false;
  // The stored rows of one box are summed in at most 32 bits.
  const int rowCount = turned ? rect.width : rect.height;
  const int boxCount = turned ? newWidth : newHeight;
  return rowCount / boxCount + 1 <= resample::kMaxRowsIn32BitSums;
}

// Turned pixel (X, Y) is stored pixel (sourceWidth - 1 - Y, X): the turned columns are the stored
// rows, and the turned rows run along each stored row from the right.
CBoxReducer::CBoxReducer(int sourceWidth, bool turned, const TurnedRect& rect, int newWidth,
                         int newHeight)
    : m_turned(turned),
      m_newWidth(newWidth),
      m_newHeight(newHeight),
      m_firstRow(turned ? rect.x : rect.y),
      m_rowCount(turned ? rect.width : rect.height),
      m_runStart(turned ? sourceWidth - rect.y - rect.height : rect.x),
      m_runLength(turned ? rect.height : rect.width),
      m_ofRows(m_rowCount, turned ? newWidth : newHeight),
      m_alongRun(m_runLength, turned ? newHeight : newWidth),
      m_pixels(3 * static_cast<std::size_t>(newWidth) * static_cast<std::size_t>(newHeight), 0) {
  const auto tallest = *std::max_element(m_ofRows.size.begin(), m_ofRows.size.end());
  const std::size_t sums = 3 * static_cast<std::size_t>(m_runLength);
  if (static_cast<std::int64_t>(tallest) <= resample::kMaxRowsIn16BitSums)
    m_narrowSums.assign(sums, 0);
  else
    m_wideSums.assign(sums, 0);
}

void CBoxReducer::AddRow(int y, const std::uint8_t* row) {
  const std::int64_t used = static_cast<std::int64_t>(y) - m_firstRow;
  if (used < 0 || used >= m_rowCount) return;
  const int box = m_ofRows.entry[static_cast<std::size_t>(used)];
  if (box == static_cast<int>(m_ofRows.size.size())) return;  // left out of every box
  if (box != m_openBox) {
    CloseBox();
    m_openBox = box;
  }
  const std::uint8_t* run = row + 3 * static_cast<std::size_t>(m_runStart);
  if (m_narrowSums.empty())
    AddRun(m_wideSums, run);
  else
    AddRun(m_narrowSums, run);
}

std::uint8_t* CBoxReducer::PixelOf(int alongRun, int ofRows) {
  const int x = m_turned ? ofRows : alongRun;
  const int y = m_turned ? alongRun : ofRows;
  return &m_pixels[3 * (static_cast<std::size_t>(y) * m_newWidth + x)];
}

void CBoxReducer::CloseBox() {
  if (m_openBox < 0) return;
  if (m_narrowSums.empty())
    StoreBox(m_wideSums);
  else
    StoreBox(m_narrowSums);
  m_openBox = -1;
}

template <typename Sum>
void CBoxReducer::StoreBox(std::vector<Sum>& sums) {
  const std::uint64_t rows = m_ofRows.size[static_cast<std::size_t>(m_openBox)];
  const int boxCount = static_cast<int>(m_alongRun.size.size());
  std::uint64_t total[3] = {0, 0, 0};
  int box = 0;
  for (int k = 0; k <= m_runLength; ++k) {
    const int entry = m_alongRun.entry[static_cast<std::size_t>(k)];
    if (entry != box) {
      // One division by rows × columns truncates as dividing by each in turn.
      const std::uint64_t count = rows * m_alongRun.size[static_cast<std::size_t>(box)];
      std::uint8_t* out = PixelOf(box, m_openBox);
      for (int c = 0; c < 3; ++c) out[c] = static_cast<std::uint8_t>(total[c] / count);
      total[0] = total[1] = total[2] = 0;
      box = entry;
      if (box == boxCount) break;  // entries only grow: the rest is left out
    }
    if (k == m_runLength) break;
    // Turned, the run is walked from its right end, where turned row 0 lies.
    const Sum* sum = &sums[3 * static_cast<std::size_t>(m_turned ? m_runLength - 1 - k : k)];
    for (int c = 0; c < 3; ++c) total[c] += sum[c];
  }
  std::fill(sums.begin(), sums.end(), Sum{0});
}

BOOL CBoxReducer::Finish(CDibImage& image) {
  CloseBox();
  CDibImage reduced;
  if (!reduced.Create(m_newWidth, m_newHeight, TRUE)) return FALSE;
  const std::size_t rowBytes = 3 * static_cast<std::size_t>(m_newWidth);
  for (int y = 0; y < m_newHeight; ++y)
    std::copy_n(&m_pixels[y * rowBytes], rowBytes, reduced.GetPixelAddress(0, y));
  image.TakePixels(reduced);
  return TRUE;
}

BOOL ReduceRect(CDibImage& image, bool turned, const TurnedRect& rect, int newWidth,
                int newHeight) {
  const int width = image.GetWidth(), height = image.GetHeight();
  if (!image.Is24Bit() || !CBoxReducer::Applies(width, height, turned, rect, newWidth, newHeight))
    return FALSE;
  try {
    CBoxReducer reducer(width, turned, rect, newWidth, newHeight);
    for (int y = 0; y < height; ++y) reducer.AddRow(y, image.GetPixelAddress(0, y));
    return reducer.Finish(image);
  } catch (const std::bad_alloc&) {
    return FALSE;
  }
}
