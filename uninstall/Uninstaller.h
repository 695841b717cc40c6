#pragma once

#include <QString>

// The removal procedure in its two phases. A running program cannot delete its own executable,
// so the uninstaller started from anywhere but the temporary folder copies itself there, starts
// the copy with its own folder as the installation folder, and ends; the copy does the removal.
class CUninstaller {
 public:
  // `installDir`: the installation folder given on the command line, or the program's own.
  explicit CUninstaller(QString installDir);

  // The removal procedure: the first phase when this executable is not the copy in the
  // temporary folder, the second otherwise. Every outcome is told by a message box.
  void Run();

 private:
  void StartCopyInTempFolder(const QString& ownPath, const QString& tempDir,
                             const QString& copyPath);
  void RemoveProduct();

  QString m_installDir;
};

// The installation folder of a command line: its first argument, or else the folder of the
// running executable, ending in a slash.
QString InstallDirFromArguments(const QStringList& arguments);
