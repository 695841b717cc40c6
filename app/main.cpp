// Mozaikon: the poster program's window. It takes no arguments.
#include <QApplication>
#include <QIcon>

#include "app/PosterApp.h"
#include "image/PathUtils.h"
#include "platform/LocalPath.h"

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/Mozaikon.png")));
  std::string programDirectory;
  GetProgramDirectory(programDirectory);
  CPosterApp app(FromLocalPath(programDirectory));
  app.InitInstance();
  return app.ExitInstance();
}
