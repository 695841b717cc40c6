// Runs every window test class of the output subsystem; each registers itself.
#include <QApplication>
#include <QTest>

#include "QtTestRegistry.h"

std::vector<std::function<int(int, char**)>>& QtTestRegistry() {
  static std::vector<std::function<int(int, char**)>> tests;
  return tests;
}

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  int failures = 0;
  for (const auto& run : QtTestRegistry()) failures += run(argc, argv);
  return failures == 0 ? 0 : 1;
}
