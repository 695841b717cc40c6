// Message boxes of the poster program: every box carries the application's caption.
//
// Tests answer the boxes through a hook instead of a window: while a hook is set, it receives
// each request and its answer is taken as the user's.
#pragma once

#include <QString>
#include <functional>

class QWidget;

enum class MessageButtons { Ok, OkCancel, YesNo };
enum class MessageIcon { Information, Exclamation, Question, Error };
enum class MessageAnswer { Ok, Cancel, Yes, No };

struct MessageRequest {
  QString caption;
  QString text;
  MessageButtons buttons = MessageButtons::Ok;
  MessageIcon icon = MessageIcon::Exclamation;
};

using MessageHook = std::function<MessageAnswer(const MessageRequest&)>;

// Shows text in a modal box with the application's display name as caption (or the
// executable's name before one is set) and returns the button the user chose.
MessageAnswer ShowMessage(QWidget* parent, const QString& text,
                          MessageButtons buttons = MessageButtons::Ok,
                          MessageIcon icon = MessageIcon::Exclamation);

// Replaces the window by hook; an empty hook brings the window back. Returns the previous hook.
MessageHook SetMessageHook(MessageHook hook);
