// Runs the window tests offscreen, each class in a settings folder and runtime folder of its own.
#include <QApplication>
#include <QTest>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "TestRegistry.h"
#include "output/PrinterSettings.h"
#include "platform/HelpWindow.h"
#include "support/TestSupport.h"

namespace gui {

std::map<std::string, TestFactory>& Registry() {
  static std::map<std::string, TestFactory> registry;
  return registry;
}

}  // namespace gui

namespace {

void UsePrivateFolders() {
  for (const char* name : {"config", "runtime"}) {
    const std::string dir = test::ScratchPath(name);
    std::filesystem::create_directories(dir);
    std::filesystem::permissions(dir, std::filesystem::perms::owner_all);
    setenv(std::string(name) == "config" ? "XDG_CONFIG_HOME" : "XDG_RUNTIME_DIR", dir.c_str(), 1);
  }
}

}  // namespace

int main(int argc, char* argv[]) {
  // Offscreen always; CTest may give it a screen of a chosen size.
  const char* platform = std::getenv("QT_QPA_PLATFORM");
  if (platform == nullptr || std::strncmp(platform, "offscreen", 9) != 0)
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
  UsePrivateFolders();
  QApplication application(argc, argv);
  SetTestPrinter(QString());
  SetHelpFilePath(QStringLiteral(HELP_FILE));
  // argv[1] names one class; the remaining arguments go to QtTest.
  const std::string only = argc > 1 && argv[1][0] != '-' ? argv[1] : "";
  int failed = 0;
  bool ran = false;
  for (auto& [name, make] : gui::Registry()) {
    if (!only.empty() && name != only) continue;
    ran = true;
    const std::unique_ptr<QObject> tests = make();
    char* args[] = {argv[0], nullptr};
    failed += QTest::qExec(tests.get(), 1, args);
  }
  if (!ran) {
    std::fprintf(stderr, "no test class named %s\n", only.c_str());
    return 2;
  }
  return failed == 0 ? 0 : 1;
}
