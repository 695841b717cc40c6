#pragma once

#include <QIODevice>
#include <QString>
#include <vector>

#include "InstallFolder.h"

// One path the uninstaller removes. A log line that ends in a slash names a directory: it is
// removed once empty, like the directory of every listed file.
struct RemovalEntry {
  QString path;  // absolute and cleaned, without a trailing slash
  bool namesDirectory = false;
};

// The help index files the help system may leave beside the help file, then one entry per line
// of the installation log in file order. The log is read whole, however many lines it has and
// however long they are; a carriage return before the line feed is dropped, blank lines are
// skipped. A line is skipped unless it is an absolute path whose directory (for a directory
// line: the directory itself) exists inside the installation folder once symbolic links are
// resolved: a damaged or edited log can name nothing outside it.
std::vector<RemovalEntry> ReadRemovalList(const CInstallFolder& folder, QIODevice& log);

// Whether entries hold any line of the log, besides the help index files always listed.
bool ListsInstalledFiles(const std::vector<RemovalEntry>& entries);

// Deletes every listed file, giving its folder the owner's write permission first where it lacks
// it; no file's mode is changed (symbolic links are removed themselves, never followed). Failures
// are ignored: what cannot go stays.
void RemoveListedFiles(const std::vector<RemovalEntry>& entries);

// Removes the directory of every entry (a directory entry: the entry) once it is empty, the
// deepest first, so that nested directories emptied by the removal all go; the installation
// folder itself goes last, when empty. Nothing above the installation folder is touched.
void RemoveEmptiedDirectories(const CInstallFolder& folder,
                              const std::vector<RemovalEntry>& entries);
