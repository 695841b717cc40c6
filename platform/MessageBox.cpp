#include "platform/MessageBox.h"

#include <QGuiApplication>
#include <QMessageBox>

namespace {

MessageHook& Hook() {
  static MessageHook hook;
  return hook;
}

QMessageBox::Icon BoxIcon(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::Information: return QMessageBox::Information;
    case MessageIcon::Question: return QMessageBox::Question;
    case MessageIcon::Error: return QMessageBox::Critical;
    case MessageIcon::Exclamation: break;
  }
  return QMessageBox::Warning;
}

QMessageBox::StandardButtons BoxButtons(MessageButtons buttons) {
  switch (buttons) {
    case MessageButtons::OkCancel: return QMessageBox::Ok | QMessageBox::Cancel;
    case MessageButtons::YesNo: return QMessageBox::Yes | QMessageBox::No;
    case MessageButtons::Ok: break;
  }
  return QMessageBox::Ok;
}

MessageAnswer AnswerOf(int button) {
  switch (button) {
    case QMessageBox::Ok: return MessageAnswer::Ok;
    case QMessageBox::Yes: return MessageAnswer::Yes;
    case QMessageBox::No: return MessageAnswer::No;
    default: return MessageAnswer::Cancel;  // the close box and Escape
  }
}

// The display name follows the application name until one is set of its own.
QString Caption() { return QGuiApplication::applicationDisplayName(); }

}  // namespace

MessageAnswer ShowMessage(QWidget* parent, const QString& text, MessageButtons buttons,
                          MessageIcon icon) {
  const MessageRequest request{Caption(), text, buttons, icon};
  if (Hook()) return Hook()(request);
  QMessageBox box(BoxIcon(icon), request.caption, text, BoxButtons(buttons), parent);
  return AnswerOf(box.exec());
}

MessageHook SetMessageHook(MessageHook hook) {
  MessageHook previous = std::move(Hook());
  Hook() = std::move(hook);
  return previous;
}
