#include "MenuEntries.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

namespace {

constexpr const char* kMenuFolder = "Quillet Poster 1.0";
constexpr const char* kEntryNames[] = {"Quillet Poster", "Quillet Poster Help",
                                       "Uninstall Quillet Poster"};
constexpr const char* kDirectoryFile = "quillet-poster-1.0.directory";
constexpr const char* kMenuFile = "quillet-poster-1.0.menu";
constexpr const char* kIconFile = "quillet-poster.png";

}  // namespace

MenuLocations UserMenuLocations() {
  const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
  const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
  return {QStandardPaths::writableLocation(QStandardPaths::ApplicationsLocation),
          data.isEmpty() ? QString() : data + "/desktop-directories",
          config.isEmpty() ? QString() : config + "/menus/applications-merged",
          data.isEmpty() ? QString() : data + "/icons/hicolor/64x64/apps"};
}

void RemoveMenuEntries(const MenuLocations& where) {
  if (where.applicationsFolder.isEmpty()) return;
  const QDir folder(QDir(where.applicationsFolder).filePath(QString::fromUtf8(kMenuFolder)));
  for (const char* name : kEntryNames) {
    QFile::remove(folder.filePath(QString::fromUtf8(name) + ".desktop"));
  }
  if (!where.iconsFolder.isEmpty())
    QFile::remove(QDir(where.iconsFolder).filePath(QString::fromLatin1(kIconFile)));
  QDir().rmdir(folder.path());
  if (folder.exists()) return;
  if (!where.directoriesFolder.isEmpty()) {
    QFile::remove(QDir(where.directoriesFolder).filePath(QString::fromLatin1(kDirectoryFile)));
  }
  if (!where.mergedMenusFolder.isEmpty()) {
    QFile::remove(QDir(where.mergedMenusFolder).filePath(QString::fromLatin1(kMenuFile)));
  }
}
