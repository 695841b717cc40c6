#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "MenuEntries.h"

namespace {

class MenuEntriesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(m_dir.isValid());
    m_where = {m_dir.filePath("applications"), m_dir.filePath("desktop-directories"),
               m_dir.filePath("menus/applications-merged"), m_dir.filePath("icons")};
    for (const char* name : {"Quillet Poster", "Quillet Poster Help", "Uninstall Quillet Poster"}) {
      Touch(Folder() + "/" + name + ".desktop");
    }
    Touch(DirectoryFile());
    Touch(MenuFile());
    Touch(IconFile());
    Touch(m_where.applicationsFolder + "/other-program.desktop");
  }

  QString Folder() const { return m_where.applicationsFolder + "/Quillet Poster 1.0"; }
  QString DirectoryFile() const {
    return m_where.directoriesFolder + "/quillet-poster-1.0.directory";
  }
  QString MenuFile() const { return m_where.mergedMenusFolder + "/quillet-poster-1.0.menu"; }
  QString IconFile() const { return m_where.iconsFolder + "/quillet-poster.png"; }

  static void Touch(const QString& path) {
    ASSERT_TRUE(QDir().mkpath(QFileInfo(path).path()));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  }

  QTemporaryDir m_dir;
  MenuLocations m_where;
};

TEST_F(MenuEntriesTest, TheFolderGoesWithItsThreeEntriesItsDescriptionAndItsMenu) {
  RemoveMenuEntries(m_where);
  EXPECT_FALSE(QFileInfo::exists(Folder()));
  EXPECT_FALSE(QFileInfo::exists(DirectoryFile()));
  EXPECT_FALSE(QFileInfo::exists(MenuFile()));
  EXPECT_FALSE(QFileInfo::exists(IconFile()));
  EXPECT_TRUE(QFileInfo::exists(m_where.applicationsFolder + "/other-program.desktop"));
}

TEST_F(MenuEntriesTest, AFolderHoldingMoreThanTheEntriesStaysAndStaysInTheMenu) {
  Touch(Folder() + "/added by the user.desktop");
  RemoveMenuEntries(m_where);
  EXPECT_FALSE(QFileInfo::exists(Folder() + "/Quillet Poster.desktop"));
  EXPECT_TRUE(QFileInfo::exists(Folder() + "/added by the user.desktop"));
  EXPECT_TRUE(QFileInfo::exists(DirectoryFile()));
  EXPECT_TRUE(QFileInfo::exists(MenuFile()));
}

TEST(MenuLocationsTest, FollowTheUsersDataAndConfigurationFolders) {
  qputenv("XDG_DATA_HOME", "/xdg/data");
  qputenv("XDG_CONFIG_HOME", "/xdg/config");
  const MenuLocations where = UserMenuLocations();
  EXPECT_EQ(where.applicationsFolder, "/xdg/data/applications");
  EXPECT_EQ(where.directoriesFolder, "/xdg/data/desktop-directories");
  EXPECT_EQ(where.mergedMenusFolder, "/xdg/config/menus/applications-merged");
}

}  // namespace
