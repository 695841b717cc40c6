#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "KeyStore.h"

namespace {

const QString kProductKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quillet Poster 1.0";
const QString kOtherKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Other";

// Each test keeps its key files in a folder of its own.
class KeyStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(m_dir.isValid());
    qputenv("XDG_CONFIG_HOME", (m_dir.path() + "/user").toUtf8());
    qputenv("XDG_CONFIG_DIRS", (m_dir.path() + "/machine").toUtf8());
  }
  QTemporaryDir m_dir;
};

TEST_F(KeyStoreTest, RootsLiveInTheirOwnFiles) {
  EXPECT_EQ(KeyStoreFile(KeyRoot::CurrentUser), m_dir.path() + "/user/registry/HKEY_CURRENT_USER.ini");
  EXPECT_EQ(KeyStoreFile(KeyRoot::LocalMachine),
            m_dir.path() + "/machine/registry/HKEY_LOCAL_MACHINE.ini");
  CKeyStore user(KeyRoot::CurrentUser);
  ASSERT_EQ(user.SetValue(kProductKey, "DisplayName", "Quillet Poster 1.0"), KeyResult::Success);
  EXPECT_FALSE(CKeyStore(KeyRoot::LocalMachine).KeyExists(kProductKey));
  EXPECT_EQ(CKeyStore(KeyRoot::CurrentUser).Value(kProductKey, "DisplayName"), "Quillet Poster 1.0");
}

TEST_F(KeyStoreTest, DeleteWithSubkeysTakesTheWholeTreeAndNothingBeside) {
  CKeyStore store(KeyRoot::LocalMachine);
  ASSERT_EQ(store.SetValue(kProductKey, "DisplayName", "Quillet Poster 1.0"), KeyResult::Success);
  ASSERT_EQ(store.SetValue(kProductKey + "\\Parts\\Help", "Installed", "yes"), KeyResult::Success);
  ASSERT_EQ(store.SetValue(kProductKey + "\\Parts\\Program", "Installed", "yes"), KeyResult::Success);
  ASSERT_EQ(store.SetValue(kProductKey + "\\Only Subkeys\\Below", "Depth", "2"), KeyResult::Success);
  ASSERT_EQ(store.SetValue(kOtherKey, "DisplayName", "Other"), KeyResult::Success);
  ASSERT_EQ(store.SetValue(kProductKey + " Extra", "DisplayName", "a longer name"), KeyResult::Success);

  EXPECT_EQ(store.DeleteKey(kProductKey), KeyResult::HasSubkeys);
  EXPECT_TRUE(store.KeyExists(kProductKey + "\\Parts\\Help"));

  EXPECT_EQ(DeleteKeyWithSubkeys(store, kProductKey), KeyResult::Success);
  CKeyStore reread(KeyRoot::LocalMachine);
  EXPECT_FALSE(reread.KeyExists(kProductKey));
  EXPECT_FALSE(reread.KeyExists(kProductKey + "\\Parts\\Help"));
  EXPECT_EQ(reread.Value(kOtherKey, "DisplayName"), "Other");
  EXPECT_EQ(reread.Value(kProductKey + " Extra", "DisplayName"), "a longer name");
  EXPECT_EQ(DeleteKeyWithSubkeys(reread, kProductKey), KeyResult::NotFound);
}

TEST_F(KeyStoreTest, SubkeysAreEnumeratedByIndexUntilNoneIsLeft) {
  CKeyStore store(KeyRoot::CurrentUser);
  ASSERT_EQ(store.SetValue("Root\\b", "v", "1"), KeyResult::Success);
  ASSERT_EQ(store.SetValue("Root\\a", "v", "1"), KeyResult::Success);
  QString name;
  ASSERT_EQ(store.EnumKey("Root", 0, &name), KeyResult::Success);
  EXPECT_EQ(name, "a");
  ASSERT_EQ(store.EnumKey("Root", 1, &name), KeyResult::Success);
  EXPECT_EQ(name, "b");
  EXPECT_EQ(store.EnumKey("Root", 2, &name), KeyResult::NoMoreItems);
  EXPECT_EQ(store.EnumKey("Missing", 0, &name), KeyResult::NotFound);
}

}  // namespace
