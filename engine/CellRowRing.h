// A ring of a few cell rows that the laying threads lay into and a thread of the ring's own
// hands on, for a poster that goes straight to a file and is never held whole.
//
// Cell row r is laid in place r mod places. A thread about to lay a row waits until the row that
// last had its place was handed on. The calling thread tells the ring, in order, which rows are
// laid; the ring's thread hands them on in that order meanwhile, so that writing a row overlaps
// the laying of the next ones even with a single laying thread.
#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

#include "engine/CellLaying.h"
#include "engine/TileGrid.h"
#include "image/DibImage.h"

class CCellRowRing {
 public:
  // handOn is called on the ring's thread with each laid row's place, a cell row tall. Throws
  // std::bad_alloc when the places cannot be had, std::system_error when the thread cannot.
  CCellRowRing(const TileGrid& grid, int places, RowsHandOn handOn);
  // Stops the ring and waits for its thread, which finishes the row it is handing on.
  ~CCellRowRing();
  CCellRowRing(const CCellRowRing&) = delete;
  CCellRowRing& operator=(const CCellRowRing&) = delete;

  [[nodiscard]] CDibImage& Image() { return m_image; }
  // The image row where cell row row's place starts.
  [[nodiscard]] int TopOf(int row) const { return (row % m_places) * m_rowHeight; }

  // On a laying thread: blocks until row's place is free; false when the ring stopped first.
  [[nodiscard]] bool WaitForPlace(int row);
  // On the calling thread, in order: row is laid. False when handing on has failed.
  [[nodiscard]] bool Laid(int row);
  // Whether handing on has failed (the ring then stopped).
  [[nodiscard]] bool Failed();
  // On the calling thread after the last row: returns once every laid row is handed on, asking
  // goOn about every 30 ms. kCancelled when goOn refused, kNotHandedOn when handing on failed.
  [[nodiscard]] LayResult Drain(const std::function<bool()>& goOn);
  // Wakes every waiting thread, keeps every later one from waiting, and hands nothing more on.
  void Stop();

 private:
  void HandOnLoop();

  const int m_places;
  const int m_rowHeight;
  const RowsHandOn m_handOn;
  CDibImage m_image;
  std::mutex m_mutex;
  std::condition_variable m_changed;
  int m_laid = 0;      // cell rows laid, from the top
  int m_handedOn = 0;  // cell rows handed on, from the top
  bool m_stopped = false;
  bool m_failed = false;
  std::thread m_thread;  // last: started once everything it reads is made
};
