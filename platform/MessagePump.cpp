#include "platform/MessagePump.h"

#include <QCoreApplication>
#include <QEvent>

namespace {

// Swallows the quit requests that arrive while it is installed and remembers them.
class QuitCatcher : public QObject {
 public:
  bool quitSeen = false;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == QCoreApplication::instance() && event->type() == QEvent::Quit) {
      quitSeen = true;
      return true;
    }
    return false;
  }
};

}  // namespace

bool PumpMessages() {
  QCoreApplication* app = QCoreApplication::instance();
  if (app == nullptr) return false;
  QuitCatcher catcher;
  app->installEventFilter(&catcher);
  QCoreApplication::processEvents(QEventLoop::AllEvents);
  app->removeEventFilter(&catcher);
  return catcher.quitSeen;
}
