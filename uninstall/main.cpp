#include <QApplication>
#include <QTimer>

#include "Uninstaller.h"

// Tessrem: removes the installed poster program. Its only argument is the installation folder;
// without one, the folder it lies in.
int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  CUninstaller uninstaller(InstallDirFromArguments(QCoreApplication::arguments()));
  // The removal runs from the event loop, as the message window of the original ran it from its
  // posted message; the process ends after it, with exit code 0 whatever happened.
  QTimer::singleShot(0, &app, [&] {
    uninstaller.Run();
    app.quit();
  });
  app.exec();
  return 0;
}
