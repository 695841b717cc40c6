#include "KeyStore.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

constexpr const char* kStoreFolder = "registry";

// QSettings separates groups with slashes; the key paths use backslashes.
QString GroupOf(const QString& key) {
  QString group = key;
  group.replace('\\', '/');
  while (group.endsWith('/')) group.chop(1);
  return group;
}

QString RootFileName(KeyRoot root) {
  return root == KeyRoot::CurrentUser ? QStringLiteral("HKEY_CURRENT_USER.ini")
                                      : QStringLiteral("HKEY_LOCAL_MACHINE.ini");
}

// True when `path` can be written, or created in its nearest existing folder.
bool CanWrite(const QString& path) {
  QFileInfo info(path);
  while (!info.exists()) {
    const QString parent = info.absolutePath();
    if (parent == info.absoluteFilePath()) return false;
    info = QFileInfo(parent);
  }
  return info.isWritable();
}

QString MachineConfigFolder() {
  const QStringList folders = QStandardPaths::standardLocations(QStandardPaths::GenericConfigLocation);
  // The first folder is the user's; the machine-wide ones follow.
  return folders.size() > 1 ? folders.at(1) : QStringLiteral("/etc/xdg");
}

}  // namespace

bool ParseKeyRoot(const QString& name, KeyRoot* root) {
  if (name == "HKEY_CURRENT_USER" || name == "HKCU") {
    *root = KeyRoot::CurrentUser;
  } else if (name == "HKEY_LOCAL_MACHINE" || name == "HKLM") {
    *root = KeyRoot::LocalMachine;
  } else {
    return false;
  }
  return true;
}

QString KeyStoreFile(KeyRoot root) {
  const QString fileName = QString::fromLatin1(kStoreFolder) + '/' + RootFileName(root);
  if (root == KeyRoot::LocalMachine) {
    const QString machineFile = QDir(MachineConfigFolder()).filePath(fileName);
    if (CanWrite(machineFile)) return machineFile;
  }
  const QString userFolder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
  return QDir(userFolder).filePath(fileName);
}

CKeyStore::CKeyStore(KeyRoot root)
    : m_settings(std::make_unique<QSettings>(KeyStoreFile(root), QSettings::IniFormat)) {}

bool CKeyStore::KeyExists(const QString& key) const {
  m_settings->beginGroup(GroupOf(key));
  const bool exists = !m_settings->childKeys().isEmpty() || !m_settings->childGroups().isEmpty();
  m_settings->endGroup();
  return exists;
}

KeyResult CKeyStore::EnumKey(const QString& key, int index, QString* name) const {
  if (!KeyExists(key)) return KeyResult::NotFound;
  m_settings->beginGroup(GroupOf(key));
  QStringList subkeys = m_settings->childGroups();
  m_settings->endGroup();
  subkeys.sort();
  if (index < 0 || index >= subkeys.size()) return KeyResult::NoMoreItems;
  *name = subkeys.at(index);
  return KeyResult::Success;
}

KeyResult CKeyStore::DeleteKey(const QString& key) {
  QString subkey;
  const KeyResult enumerated = EnumKey(key, 0, &subkey);
  if (enumerated == KeyResult::NotFound) return KeyResult::NotFound;
  if (enumerated == KeyResult::Success) return KeyResult::HasSubkeys;
  m_settings->remove(GroupOf(key));
  m_settings->sync();
  return m_settings->status() == QSettings::NoError ? KeyResult::Success : KeyResult::CannotWrite;
}

KeyResult CKeyStore::SetValue(const QString& key, const QString& name, const QString& value) {
  m_settings->setValue(GroupOf(key) + '/' + name, value);
  m_settings->sync();
  return m_settings->status() == QSettings::NoError ? KeyResult::Success : KeyResult::CannotWrite;
}

QString CKeyStore::Value(const QString& key, const QString& name) const {
  return m_settings->value(GroupOf(key) + '/' + name).toString();
}

KeyResult DeleteKeyWithSubkeys(CKeyStore& store, const QString& key) {
  if (!store.KeyExists(key)) return KeyResult::NotFound;
  QString subkey;
  KeyResult stop = KeyResult::Success;
  while (stop == KeyResult::Success) {
    stop = store.EnumKey(key, 0, &subkey);
    if (stop == KeyResult::Success) stop = DeleteKeyWithSubkeys(store, key + '\\' + subkey);
  }
  // A key exists only while it holds a value or a subkey: one that held only subkeys went with
  // the last of them, as if deleted already.
  if (stop == KeyResult::NotFound) return KeyResult::Success;
  if (stop != KeyResult::NoMoreItems) return stop;
  return store.DeleteKey(key);
}
