#include "image/OrderedWork.h"

#include <algorithm>
#include <chrono>

namespace {

// How long the calling thread waits for another thread before it asks goOn again: well inside
// the tenth of a second in which Cancel must be answered.
constexpr std::chrono::milliseconds kPollInterval{30};
// More threads than this only add memory (one decoded tile each).
constexpr int kMaxThreads = 64;

}  // namespace

COrderedWork::COrderedWork(int count, int threads, std::function<void(int)> task)
    : m_count(std::max(count, 0)),
      m_task(std::move(task)),
      m_done(std::make_unique<std::atomic<bool>[]>(static_cast<std::size_t>(m_count))) {
  // With helpers the calling thread only follows and polls, so that a long item (a large photo
  // to decode) never keeps it from answering Cancel; alone it does every item itself.
  const int workers = ThreadsFor(threads);
  const int helpers = workers > 1 ? std::min(workers, m_count) : 0;
  for (int i = 0; i < helpers; ++i) m_helpers.emplace_back([this] { HelperLoop(); });
}

COrderedWork::~COrderedWork() {
  Stop();
  for (std::thread& helper : m_helpers) helper.join();
}

int COrderedWork::ThreadsFor(int threads) {
  if (threads <= 0) threads = static_cast<int>(std::thread::hardware_concurrency());
  return std::clamp(threads, 1, kMaxThreads);
}

void COrderedWork::Stop() { m_stop.store(true); }

bool COrderedWork::RunNext() {
  if (m_stop.load()) return false;
  const int index = m_next.fetch_add(1);
  if (index >= m_count) return false;
  m_task(index);
  {
    // Under the lock, so that a waiter cannot miss the notification between test and wait.
    std::lock_guard lock(m_mutex);
    m_done[index].store(true);
  }
  m_finished.notify_all();
  return true;
}

void COrderedWork::HelperLoop() {
  while (RunNext()) {
  }
}

bool COrderedWork::WaitFor(int index, const std::function<bool()>& goOn) {
  while (!m_done[index].load()) {
    if (m_helpers.empty() && RunNext()) continue;
    if (m_stop.load()) return false;  // stopped before the item could start
    std::unique_lock lock(m_mutex);
    const bool done = m_finished.wait_for(lock, kPollInterval, [&] { return m_done[index].load(); });
    lock.unlock();
    if (!done && !goOn()) {
      Stop();
      return false;
    }
  }
  return true;
}
