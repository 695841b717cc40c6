// Work items run on several threads while the calling thread follows them in order.
//
// The calling thread owns the progress sink, which in the window processes user-interface
// events and so must never be called from another thread. It walks the items in order and
// waits for each with WaitFor, asking its goOn callback (the sink's CheckCancel) about every
// 30 ms, so Cancel is answered while the helper threads work; with one thread it runs the items
// itself, one by one, as it reaches them. The helper threads never report; they only see the stop flag that a
// refused goOn, or Stop, sets.
#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class COrderedWork {
 public:
  // Starts threads helper threads (none for one thread; no more than items) that claim the
  // items [0, count) in increasing order and run task on them. task must not throw.
  COrderedWork(int count, int threads, std::function<void(int)> task);
  // Stops and joins the helpers: items already running finish, no new item starts.
  ~COrderedWork();
  COrderedWork(const COrderedWork&) = delete;
  COrderedWork& operator=(const COrderedWork&) = delete;

  // Returns once item index has run: true then; false when goOn answered false first (the work
  // is then stopped).
  [[nodiscard]] bool WaitFor(int index, const std::function<bool()>& goOn);
  // No item starts after this.
  void Stop();

  // The number of threads a build uses when asked for threads (0 or less: the machine's cores).
  [[nodiscard]] static int ThreadsFor(int threads);

 private:
  // Claims the next item and runs it; false when every item was claimed or the work stopped.
  bool RunNext();
  void HelperLoop();

  const int m_count;
  std::function<void(int)> m_task;
  std::atomic<int> m_next{0};
  std::atomic<bool> m_stop{false};
  std::unique_ptr<std::atomic<bool>[]> m_done;
  std::mutex m_mutex;
  std::condition_variable m_finished;
  std::vector<std::thread> m_helpers;
};
