// The window test classes register themselves here; main runs one by name or all of them.
#pragma once

#include <QObject>
#include <functional>
#include <map>
#include <memory>
#include <string>

namespace gui {

using TestFactory = std::function<std::unique_ptr<QObject>()>;
std::map<std::string, TestFactory>& Registry();

template <class T>
struct Register {
  explicit Register(const char* name) {
    Registry()[name] = [] { return std::make_unique<T>(); };
  }
};

}  // namespace gui
