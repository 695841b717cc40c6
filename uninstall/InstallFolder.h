#pragma once

#include <QString>

// The folder the product was installed into, as the uninstaller may touch it: only paths that
// lie inside it are ever removed, whatever the installation log says.
class CInstallFolder {
 public:
  // `path` is the installation directory as given (a trailing slash or not); it is resolved
  // through symbolic links once, here.
  explicit CInstallFolder(const QString& path);

  // False when the folder does not exist: nothing inside it can then be removed.
  bool Exists() const { return !m_canonicalPath.isEmpty(); }

  // Its canonical path, without a trailing slash ("/" for the root folder).
  const QString& Path() const { return m_canonicalPath; }

  // True when the existing directory `dir` is the installation folder or lies below it, once
  // its symbolic links are resolved; false for a directory that does not exist.
  bool Holds(const QString& dir) const;

 private:
  QString m_canonicalPath;
};
