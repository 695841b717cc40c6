#pragma once

#include <QSettings>
#include <QString>
#include <memory>

// A small registry of keys and values on QSettings, one INI file per root, with the key paths
// written as on Windows ("Software\Company\Product"). A key exists while it holds a value or a
// subkey.
enum class KeyRoot { CurrentUser, LocalMachine };

enum class KeyResult { Success, NotFound, NoMoreItems, HasSubkeys, CannotWrite };

// "HKEY_CURRENT_USER" and "HKEY_LOCAL_MACHINE" (or "HKCU", "HKLM"); false for other names.
bool ParseKeyRoot(const QString& name, KeyRoot* root);

// The file that holds `root`: the current user's under the user's configuration folder; the
// machine's in the first machine-wide configuration folder (XDG_CONFIG_DIRS, /etc/xdg by
// default), or under the user's configuration folder when the machine-wide one cannot be written.
QString KeyStoreFile(KeyRoot root);

class CKeyStore {
 public:
  explicit CKeyStore(KeyRoot root);

  bool KeyExists(const QString& key) const;
  // The name of subkey number `index` of `key` (by name order), or NoMoreItems past the last.
  KeyResult EnumKey(const QString& key, int index, QString* name) const;
  // Deletes a key that has no subkeys left, with its values.
  KeyResult DeleteKey(const QString& key);
  KeyResult SetValue(const QString& key, const QString& name, const QString& value);
  QString Value(const QString& key, const QString& name) const;

 private:
  std::unique_ptr<QSettings> m_settings;
};

// Deletes `key` with all its subkeys, the deepest first; the key stays when a subkey cannot go.
KeyResult DeleteKeyWithSubkeys(CKeyStore& store, const QString& key);
