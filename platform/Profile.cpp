#include "platform/Profile.h"

CProfile::CProfile(const QString& organisation, const QString& application)
    : m_settings(organisation, application) {}

int CProfile::GetProfileInt(const QString& section, const QString& key, int defaultValue) {
  const QVariant value = m_settings.value(KeyOf(section, key));
  if (!value.isValid()) return defaultValue;
  // Values are 32-bit: a text holding a larger number keeps its low 32 bits, as a stored
  // unsigned value read back as a signed one would.
  bool isNumber = false;
  const qlonglong number = value.toLongLong(&isNumber);
  return isNumber ? static_cast<int>(static_cast<unsigned>(number)) : defaultValue;
}

QString CProfile::GetProfileString(const QString& section, const QString& key,
                                   const QString& defaultValue) {
  const QVariant value = m_settings.value(KeyOf(section, key));
  return value.isValid() ? value.toString() : defaultValue;
}

void CProfile::WriteProfileInt(const QString& section, const QString& key, int value) {
  m_settings.setValue(KeyOf(section, key), value);
}

void CProfile::WriteProfileString(const QString& section, const QString& key,
                                  const QString& value) {
  m_settings.setValue(KeyOf(section, key), value);
}
