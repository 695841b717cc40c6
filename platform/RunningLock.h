// The lock by which other programs see that the poster program runs.
//
// Every running instance holds a shared flock on one file in the user's runtime directory; a
// program that can take an exclusive lock on it knows no instance runs. The lock goes with the
// process, however it ends.
#pragma once

#include <QString>

class CRunningLock {
 public:
  CRunningLock() = default;
  ~CRunningLock() { Release(); }
  CRunningLock(const CRunningLock&) = delete;
  CRunningLock& operator=(const CRunningLock&) = delete;

  // Takes the shared lock on the file called name in the runtime directory (made if missing),
  // without waiting: while an uninstaller holds it exclusively the program runs unlocked.
  // FALSE when the file cannot be opened or locked; the program runs on without it.
  bool Acquire(const QString& name);
  void Release();
  [[nodiscard]] bool IsHeld() const { return m_fd >= 0; }
  // Where the lock file called name lives.
  [[nodiscard]] static QString PathFor(const QString& name);

 private:
  int m_fd = -1;
};
