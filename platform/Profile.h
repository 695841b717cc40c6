// The per-user settings store: integer and text values by section and key.
//
// The store is QSettings under the organisation and application names given at construction
// (on Linux ~/.config/ORGANISATION/APPLICATION.conf). A missing value, or one of the wrong type,
// reads as the default. Writes are not checked: a store that cannot be written loses them.
#pragma once

#include <QSettings>
#include <QString>

class CProfile {
 public:
  CProfile(const QString& organisation, const QString& application);

  [[nodiscard]] int GetProfileInt(const QString& section, const QString& key, int defaultValue);
  [[nodiscard]] QString GetProfileString(const QString& section, const QString& key,
                                         const QString& defaultValue);
  void WriteProfileInt(const QString& section, const QString& key, int value);
  void WriteProfileString(const QString& section, const QString& key, const QString& value);
  // Writes what is pending to the store now rather than at destruction.
  void Flush() { m_settings.sync(); }

 private:
  static QString KeyOf(const QString& section, const QString& key) {
    return section + QLatin1Char('/') + key;
  }

  QSettings m_settings;
};
