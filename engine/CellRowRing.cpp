#include "engine/CellRowRing.h"

#include <new>

CCellRowRing::CCellRowRing(const TileGrid& grid, int places)
    : m_places(places), m_rowHeight(grid.tileHeight) {
  if (!m_image.Create(grid.tilesAcross * grid.tileWidth, places * grid.tileHeight, TRUE))
    throw std::bad_alloc();
}

bool CCellRowRing::WaitForPlace(int row) {
  std::unique_lock lock(m_mutex);
  m_freed.wait(lock, [&] { return m_stopped || row < m_handedOn + m_places; });
  return !m_stopped;
}

void CCellRowRing::HandedOn(int row) {
  {
    std::lock_guard lock(m_mutex);
    m_handedOn = row + 1;
  }
  m_freed.notify_all();
}

void CCellRowRing::Stop() {
  {
    std::lock_guard lock(m_mutex);
    m_stopped = true;
  }
  m_freed.notify_all();
}
