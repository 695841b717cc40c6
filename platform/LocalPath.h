// Paths between Qt's text and the file system's bytes, which the engine works with. Whole paths
// cross either way, whatever their length.
#pragma once

#include <QFile>
#include <QString>
#include <string>

[[nodiscard]] inline std::string ToLocalPath(const QString& path) {
  return QFile::encodeName(path).toStdString();
}

[[nodiscard]] inline QString FromLocalPath(const std::string& path) {
  return QFile::decodeName(QByteArray::fromStdString(path));
}
