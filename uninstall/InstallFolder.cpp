#include "InstallFolder.h"

#include <QFileInfo>

CInstallFolder::CInstallFolder(const QString& path)
    : m_canonicalPath(QFileInfo(path).canonicalFilePath()) {}

bool CInstallFolder::Holds(const QString& dir) const {
  if (!Exists()) return false;
  const QString canonical = QFileInfo(dir).canonicalFilePath();
  if (canonical.isEmpty()) return false;
  if (canonical == m_canonicalPath) return true;
  const QString prefix = m_canonicalPath.endsWith('/') ? m_canonicalPath : m_canonicalPath + '/';
  return canonical.startsWith(prefix);
}
