// Several QtTest classes in one executable: each file registers its class with REGISTER_QTEST.
#pragma once

#include <QTest>
#include <functional>
#include <vector>

std::vector<std::function<int(int, char**)>>& QtTestRegistry();

#define REGISTER_QTEST(Class)                              \
  static const bool registered##Class = [] {               \
    QtTestRegistry().push_back([](int argc, char** argv) { \
      Class test;                                          \
      return QTest::qExec(&test, argc, argv);              \
    });                                                    \
    return true;                                           \
  }()
