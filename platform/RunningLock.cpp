#include "platform/RunningLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QDir>
#include <QStandardPaths>

QString CRunningLock::PathFor(const QString& name) {
  const QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
  return QDir(dir).filePath(name);
}

bool CRunningLock::Acquire(const QString& name) {
  Release();
  const QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
  if (dir.isEmpty() || !QDir().mkpath(dir)) return false;
  const QByteArray path = QFile::encodeName(PathFor(name));
  const int fd = ::open(path.constData(), O_RDONLY | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  if (::flock(fd, LOCK_SH | LOCK_NB) != 0) {
    ::close(fd);
    return false;
  }
  m_fd = fd;
  return true;
}

void CRunningLock::Release() {
  if (m_fd < 0) return;
  ::close(m_fd);  // closing the only descriptor drops the lock
  m_fd = -1;
}
