#include "Uninstaller.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QThread>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

#include "InstallFolder.h"
#include "KeyStore.h"
#include "MenuEntries.h"
#include "RemovalList.h"
#include "RunningCheck.h"
#include "UninstallMessages.h"
#include "UninstallStrings.h"

namespace {

constexpr const char* kInstallLog = "Install.log";
// The product's entry in the list of installed programs, under the machine's root.
constexpr const char* kInstalledProgramsKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quillet Poster 1.0";
// The first phase ends as soon as it has started the copy; the copy waits this long for it.
constexpr unsigned long kFirstPhaseEndSeconds = 5;

// Opens the installation log, which must be a regular file: a named pipe would block the open
// for ever, and a device such as /dev/zero would be read without end.
bool OpenInstallLog(const QString& path, QFile& log) {
  const int fd = ::open(QFile::encodeName(path).constData(),
                        O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat info {};
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) ||
      !log.open(fd, QIODevice::ReadOnly | QIODevice::Text, QFileDevice::AutoCloseHandle)) {
    ::close(fd);
    return false;
  }
  return true;
}

QString DirectoryOf(const QString& path) {
  return QFileInfo(path).path() + '/';
}

QString Join(const QString& dir, const QString& name) {
  return dir + (dir.endsWith('/') ? "" : "/") + QFileInfo(name).fileName();
}

// The temporary folder as the user named it (TMPDIR, else /tmp): QDir::tempPath() is empty when
// that folder does not exist, and the message about it must still name it.
QString NamedTempFolder() {
  const QString named = qEnvironmentVariable("TMPDIR");
  return named.isEmpty() ? QStringLiteral("/tmp") : QDir::cleanPath(named);
}

}  // namespace

QString InstallDirFromArguments(const QStringList& arguments) {
  if (arguments.size() > 1 && !arguments.at(1).isEmpty()) return arguments.at(1);
  return DirectoryOf(QCoreApplication::applicationFilePath());
}

CUninstaller::CUninstaller(QString installDir) : m_installDir(std::move(installDir)) {}

void CUninstaller::Run() {
  const QString ownPath = QCoreApplication::applicationFilePath();
  const QString tempDir = NamedTempFolder();
  const QString canonicalTemp = QFileInfo(tempDir).canonicalFilePath();
  // The copy's name is the executable's in lower case, as the first phase writes it.
  const QString copyPath = Join(canonicalTemp, QFileInfo(ownPath).fileName().toLower());
  if (canonicalTemp.isEmpty() || ownPath != copyPath) {
    StartCopyInTempFolder(ownPath, tempDir, copyPath);
  } else {
    RemoveProduct();
  }
}

void CUninstaller::StartCopyInTempFolder(const QString& ownPath, const QString& tempDir,
                                         const QString& copyPath) {
  const QString shownTemp = QDir::toNativeSeparators(tempDir);
  const QString copyFolder = QFileInfo(copyPath).path();
  // The copy replaces an earlier one; a new file keeps a running earlier copy intact.
  QFile::remove(copyPath);
  if (copyFolder.isEmpty() || !QFile::copy(ownPath, copyPath) ||
      !QFile::setPermissions(copyPath, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                           QFileDevice::ExeOwner)) {
    ShowUninstallWarning(FormatUninstallString(IDS_COPY_TO_TEMP_FAILED, shownTemp));
    return;
  }
  // The copy works on the folder this executable lies in, whatever this one was given.
  if (!QProcess::startDetached(copyPath, {DirectoryOf(ownPath)}, copyFolder)) {
    ShowUninstallWarning(FormatUninstallString(IDS_START_COPY_FAILED, copyPath));
  }
}

void CUninstaller::RemoveProduct() {
  if (!AskToUninstall()) return;
  QThread::sleep(kFirstPhaseEndSeconds);
  if (IsPosterProgramRunning(PosterLockFile())) {
    ShowUninstallWarning(LoadUninstallString(IDS_PROGRAM_RUNNING));
    return;
  }
  QFile log;
  if (!OpenInstallLog(Join(m_installDir, QString::fromLatin1(kInstallLog)), log)) {
    ShowUninstallWarning(LoadUninstallString(IDS_LOG_NOT_FOUND));
    return;
  }
  const CInstallFolder folder(m_installDir);
  const std::vector<RemovalEntry> entries = ReadRemovalList(folder, log);
  log.close();
  if (!ListsInstalledFiles(entries)) {
    ShowUninstallWarning(LoadUninstallString(IDS_LOG_NAMES_NOTHING));
    return;
  }
  RemoveMenuEntries(UserMenuLocations());
  RemoveListedFiles(entries);
  RemoveEmptiedDirectories(folder, entries);
  CKeyStore machineKeys(KeyRoot::LocalMachine);
  (void)DeleteKeyWithSubkeys(machineKeys, QString::fromLatin1(kInstalledProgramsKey));
  ShowUninstallWarning(LoadUninstallString(IDS_UNINSTALL_COMPLETE));
}
