#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "RemovalList.h"

namespace {

// A scratch tree: the installation folder "install" beside a folder of the user's, "outside".
class RemovalListTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(m_root.isValid()); }

  QString Install(const QString& rest = {}) const { return m_root.path() + "/install" + rest; }
  QString Outside(const QString& rest = {}) const { return m_root.path() + "/outside" + rest; }

  static void MakeFile(const QString& path) {
    ASSERT_TRUE(QDir().mkpath(QFileInfo(path).path()));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("x");
  }

  // Reads `log` as the installation log and removes what it lists, as the uninstaller does.
  std::vector<RemovalEntry> Uninstall(const QByteArray& log) const {
    QByteArray bytes = log;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly | QIODevice::Text);
    const CInstallFolder folder(Install());
    std::vector<RemovalEntry> entries = ReadRemovalList(folder, buffer);
    RemoveListedFiles(entries);
    RemoveEmptiedDirectories(folder, entries);
    return entries;
  }

  QTemporaryDir m_root;
};

TEST_F(RemovalListTest, ListsTheHelpIndexFilesThenEveryLogLineWhole) {
  ASSERT_TRUE(QDir().mkpath(Install("/sub")));
  const QString longName = Install("/" + QString(3000, 'n'));
  const QByteArray log = (Install("/a") + "\r\n\n" + longName + "\n" + Install("/sub/") + "\n" +
                          Install("/b")).toUtf8();
  QByteArray bytes = log;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::ReadOnly | QIODevice::Text);
  const std::vector<RemovalEntry> entries = ReadRemovalList(CInstallFolder(Install()), buffer);

  ASSERT_EQ(entries.size(), 6u);
  const QString folder = CInstallFolder(Install()).Path();
  EXPECT_EQ(entries[0].path, folder + "/Mozaikon.GID");
  EXPECT_EQ(entries[1].path, folder + "/Mozaikon.FTS");
  EXPECT_EQ(entries[2].path, Install("/a"));  // carriage return dropped, blank line skipped
  EXPECT_EQ(entries[3].path, longName);       // not cut into pieces
  EXPECT_EQ(entries[4].path, Install("/sub"));
  EXPECT_TRUE(entries[4].namesDirectory);
  EXPECT_EQ(entries[5].path, Install("/b"));  // last line without a line feed
  EXPECT_FALSE(entries[5].namesDirectory);
}

TEST_F(RemovalListTest, RemovesEveryLineOfALongLogReadOnlyFilesIncluded) {
  QByteArray log;
  for (int i = 0; i < 500; ++i) {
    const QString path = Install(QString("/files/f%1").arg(i));
    MakeFile(path);
    log += path.toUtf8() + "\n";
  }
  MakeFile(Install("/Mozaikon.GID"));
  ASSERT_TRUE(QFile::setPermissions(Install("/files/f499"), QFileDevice::ReadOwner));

  Uninstall(log);

  EXPECT_FALSE(QFile::exists(Install("/files/f0")));
  EXPECT_FALSE(QFile::exists(Install("/files/f499")));
  EXPECT_FALSE(QFile::exists(Install("/Mozaikon.GID")));
  EXPECT_FALSE(QFileInfo::exists(Install()));  // emptied, so removed with its subfolder
}

TEST_F(RemovalListTest, EmptiedNestedFoldersGoWhateverTheirOrderInTheLog) {
  MakeFile(Install("/a/b/c/file"));
  MakeFile(Install("/keep/user-file"));
  MakeFile(Install("/keep/listed"));
  const QByteArray log = (Install("/a/") + "\n" + Install("/a/b/") + "\n" + Install("/a/b/c/file") +
                          "\n" + Install("/keep/listed") + "\n")
                             .toUtf8();
  Uninstall(log);
  EXPECT_FALSE(QFileInfo::exists(Install("/a")));
  EXPECT_TRUE(QFile::exists(Install("/keep/user-file")));  // the user's file and its folder stay
  EXPECT_FALSE(QFile::exists(Install("/keep/listed")));
  EXPECT_TRUE(QFileInfo::exists(Install()));
}

TEST_F(RemovalListTest, LinesNamingAnythingOutsideTheFolderAreSkipped) {
  MakeFile(Install("/program"));
  MakeFile(Outside("/photo.jpg"));
  MakeFile(Outside("/sub/other.jpg"));
  ASSERT_TRUE(QFile::link(Outside(), Install("/link")));
  ASSERT_TRUE(QFile::link(Outside("/photo.jpg"), Install("/photo-link")));
  const QStringList lines = {
      Outside("/photo.jpg"),                   // elsewhere
      Install("/../outside/photo.jpg"),        // climbs out
      Install("/link/photo.jpg"),              // through a linked folder
      Install("/link/sub/"),                   // a folder reached through a link
      Outside("/sub/"),                        // a folder elsewhere
      m_root.path() + "/",                     // the folder above the installation
      Install("/"),                            // the installation folder itself
      "outside/photo.jpg",                     // relative: not a full path
      Install("/photo-link"),                  // a link inside: the link goes, not its target
      Install("/program"),
  };
  const std::vector<RemovalEntry> entries = Uninstall(lines.join('\n').toUtf8());

  EXPECT_EQ(entries.size(), 5u);  // two help index files, "/", "/photo-link", "/program"
  EXPECT_TRUE(QFile::exists(Outside("/photo.jpg")));
  EXPECT_TRUE(QFile::exists(Outside("/sub/other.jpg")));
  EXPECT_FALSE(QFileInfo::exists(Install("/program")));
  EXPECT_FALSE(QFileInfo(Install("/photo-link")).isSymLink());
  EXPECT_TRUE(QFileInfo(Install("/link")).isSymLink());  // not listed: the folder stays
  EXPECT_TRUE(QFileInfo::exists(m_root.path()));
}

TEST_F(RemovalListTest, NothingIsRemovedWhenTheFolderIsMissing) {
  MakeFile(Outside("/photo.jpg"));
  const std::vector<RemovalEntry> entries = Uninstall(Outside("/photo.jpg").toUtf8());
  EXPECT_TRUE(entries.empty());
  EXPECT_TRUE(QFile::exists(Outside("/photo.jpg")));
}

}  // namespace
