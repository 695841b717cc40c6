#include "engine/CellRowRing.h"

#include <chrono>
#include <new>

namespace {

// How long Drain waits before it asks goOn again: well inside the tenth of a second in which
// Cancel must be answered.
constexpr std::chrono::milliseconds kPollInterval{30};

}  // namespace

CCellRowRing::CCellRowRing(const TileGrid& grid, int places, RowsHandOn handOn)
    : m_places(places), m_rowHeight(grid.tileHeight), m_handOn(std::move(handOn)) {
  if (!m_image.Create(grid.tilesAcross * grid.tileWidth, places * grid.tileHeight, TRUE))
    throw std::bad_alloc();
  m_thread = std::thread([this] { HandOnLoop(); });
}

CCellRowRing::~CCellRowRing() {
  Stop();
  m_thread.join();
}

bool CCellRowRing::WaitForPlace(int row) {
  std::unique_lock lock(m_mutex);
  m_changed.wait(lock, [&] { return m_stopped || row < m_handedOn + m_places; });
  return !m_stopped;
}

bool CCellRowRing::Failed() {
  std::lock_guard lock(m_mutex);
  return m_failed;
}

bool CCellRowRing::Laid(int row) {
  {
    std::lock_guard lock(m_mutex);
    if (m_failed) return false;
    m_laid = row + 1;
  }
  m_changed.notify_all();
  return true;
}

LayResult CCellRowRing::Drain(const std::function<bool()>& goOn) {
  std::unique_lock lock(m_mutex);
  while (!m_failed && m_handedOn < m_laid) {
    if (m_changed.wait_for(lock, kPollInterval, [&] { return m_failed || m_handedOn >= m_laid; }))
      break;
    lock.unlock();
    const bool goingOn = goOn();
    lock.lock();
    if (!goingOn) return LayResult::kCancelled;
  }
  return m_failed ? LayResult::kNotHandedOn : LayResult::kLaid;
}

void CCellRowRing::Stop() {
  {
    std::lock_guard lock(m_mutex);
    m_stopped = true;
  }
  m_changed.notify_all();
}

void CCellRowRing::HandOnLoop() {
  for (int row = 0;; ++row) {
    {
      std::unique_lock lock(m_mutex);
      m_changed.wait(lock, [&] { return m_stopped || row < m_laid; });
      if (m_stopped) return;
    }
    // Rows laid before a stop are not handed on: the file they go to is abandoned.
    const bool handedOn = m_handOn(m_image, TopOf(row), m_rowHeight);
    {
      std::lock_guard lock(m_mutex);
      if (handedOn) {
        m_handedOn = row + 1;
      } else {
        // The laying threads waiting for places must not wait for ever.
        m_failed = true;
        m_stopped = true;
      }
    }
    m_changed.notify_all();
    if (!handedOn) return;
  }
}
