#include "RemovalList.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>

namespace {

// Help index files the help system creates next to the help file.
constexpr const char* kHelpIndexFiles[] = {"Mozaikon.GID", "Mozaikon.FTS"};

QString ReadLogLine(QIODevice& log) {
  QByteArray line = log.readLine();
  if (line.endsWith('\n')) line.chop(1);
  if (line.endsWith('\r')) line.chop(1);
  return QFile::decodeName(line);
}

// The directory that must lie inside the installation folder for `entry` to be removed.
QString GuardedDirectory(const RemovalEntry& entry) {
  return entry.namesDirectory ? entry.path : QFileInfo(entry.path).path();
}

bool ParseLogLine(const QString& line, RemovalEntry* entry) {
  if (line.isEmpty() || !QDir::isAbsolutePath(line)) return false;
  entry->path = QDir::cleanPath(line);
  entry->namesDirectory = line.endsWith('/');
  return true;
}

}  // namespace

std::vector<RemovalEntry> ReadRemovalList(const CInstallFolder& folder, QIODevice& log) {
  std::vector<RemovalEntry> entries;
  if (!folder.Exists()) return entries;
  for (const char* name : kHelpIndexFiles) {
    entries.push_back({QDir(folder.Path()).filePath(QString::fromLatin1(name)), false});
  }
  while (!log.atEnd()) {
    RemovalEntry entry;
    if (ParseLogLine(ReadLogLine(log), &entry) && folder.Holds(GuardedDirectory(entry))) {
      entries.push_back(entry);
    }
  }
  return entries;
}

void RemoveListedFiles(const std::vector<RemovalEntry>& entries) {
  for (const RemovalEntry& entry : entries) {
    if (entry.namesDirectory) continue;
    const QFileInfo info(entry.path);
    if (info.isDir() && !info.isSymLink()) continue;
    // Removing a name takes the folder's write permission, never the file's: a file's mode is
    // never changed, since another link to it may lie outside the installation folder.
    const QFileInfo folder(info.path());
    if (!folder.isWritable()) {
      QFile::setPermissions(folder.filePath(), folder.permissions() | QFileDevice::WriteOwner);
    }
    QFile::remove(entry.path);
  }
}

bool ListsInstalledFiles(const std::vector<RemovalEntry>& entries) {
  return entries.size() > std::size(kHelpIndexFiles);
}

void RemoveEmptiedDirectories(const CInstallFolder& folder,
                              const std::vector<RemovalEntry>& entries) {
  std::vector<QString> dirs;
  for (const RemovalEntry& entry : entries) {
    const QString dir = GuardedDirectory(entry);
    if (!folder.Holds(dir)) continue;
    const QString canonical = QFileInfo(dir).canonicalFilePath();
    if (canonical != folder.Path()) dirs.push_back(canonical);
  }
  // A directory's path is longer than its parent's: longest first empties children first.
  std::sort(dirs.begin(), dirs.end(), [](const QString& a, const QString& b) {
    return a.size() != b.size() ? a.size() > b.size() : a < b;
  });
  dirs.erase(std::unique(dirs.begin(), dirs.end()), dirs.end());
  for (const QString& dir : dirs) QDir().rmdir(dir);
  QDir().rmdir(folder.Path());
}
