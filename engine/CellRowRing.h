// A ring of a few cell rows that the laying threads lay into and the calling thread hands on,
// for a poster that goes straight to a file and is never held whole.
//
// Cell row r is laid in place r mod places. A thread about to lay a row waits until the row that
// last had its place was handed on; the calling thread hands the rows on in order. With more
// places than laying threads, the rows being laid always have places, so the threads never wait
// on one another, only on the hand-on.
#pragma once

#include <condition_variable>
#include <mutex>

#include "engine/TileGrid.h"
#include "image/DibImage.h"

class CCellRowRing {
 public:
  // Throws std::bad_alloc when the places cannot be had.
  CCellRowRing(const TileGrid& grid, int places);
  CCellRowRing(const CCellRowRing&) = delete;
  CCellRowRing& operator=(const CCellRowRing&) = delete;

  [[nodiscard]] CDibImage& Image() { return m_image; }
  // The image row where cell row row's place starts.
  [[nodiscard]] int TopOf(int row) const { return (row % m_places) * m_rowHeight; }

  // Blocks until row's place is free; false when the ring was stopped first.
  [[nodiscard]] bool WaitForPlace(int row);
  // row was handed on: its place may be laid again.
  void HandedOn(int row);
  // Wakes every waiting thread, and keeps every later one from waiting.
  void Stop();

 private:
  const int m_places;
  const int m_rowHeight;
  CDibImage m_image;
  std::mutex m_mutex;
  std::condition_variable m_freed;
  int m_handedOn = 0;  // cell rows handed on, from the top
  bool m_stopped = false;
};
