// The application object: start-up checks, the running lock, the main window's life.
#pragma once

#include <QString>

#include "platform/RunningLock.h"

class CPosterApp {
 public:
  // programDirectory is the folder of the running executable, where the help file must lie.
  explicit CPosterApp(QString programDirectory);

  // Checks the help file (message 169 and FALSE when it is missing), takes the running lock,
  // sets the application name and runs the main window until the user leaves it. The settings
  // are read when the window is made and written when it goes. Always FALSE in the end, as the
  // program ends when it returns.
  bool InitInstance();
  // Drops the running lock.
  int ExitInstance();

  [[nodiscard]] const CRunningLock& Lock() const { return m_lock; }
  [[nodiscard]] static QString HelpFileName() { return QStringLiteral("Mozaikon.hlp"); }
  [[nodiscard]] static QString LockName() { return QStringLiteral("Quillet Poster 1.0 Mutex"); }

 private:
  QString m_programDirectory;
  CRunningLock m_lock;
};
