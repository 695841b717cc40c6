// What the window tests share: answers for message boxes and file dialogs, tiny picture files,
// and waiting for a modal window.
#pragma once

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QTimer>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/FileDialog.h"
#include "platform/MessageBox.h"

namespace gui {

// Answers every message box while alive and keeps what they said. Queued answers are used in
// order; without one, a box is answered Ok, Yes or Cancel by its buttons (OK-only, yes/no,
// OK/cancel).
class MessageRecorder {
 public:
  MessageRecorder();
  ~MessageRecorder();
  void Queue(MessageAnswer answer) { m_answers.push_back(answer); }
  [[nodiscard]] QStringList Texts() const;
  std::vector<MessageRequest> requests;

 private:
  std::deque<MessageAnswer> m_answers;
  MessageHook m_previous;
};

// Answers file dialogs while alive: each queued choice answers one dialog; an empty choice
// cancels it. Every request is kept.
class FileDialogAnswers {
 public:
  FileDialogAnswers();
  ~FileDialogAnswers();
  void Choose(const QStringList& paths) { m_choices.push_back(paths); }
  void Choose(const std::string& path) { Choose(QStringList{QString::fromStdString(path)}); }
  void Cancel() { m_choices.push_back({}); }
  std::vector<FileDialogRequest> requests;

 private:
  std::deque<QStringList> m_choices;
  FileDialogHook m_previous;
};

// Empties the program's settings store, as on a first run.
void ClearSettings();

// Writes a width × height BMP into the scratch folder and returns its path.
std::string MakePicture(const std::string& name, int width, int height);
// Writes text into the scratch folder and returns the path.
std::string MakeTextFile(const std::string& name, const std::string& text);
std::string ReadText(const std::string& path);

// Runs act on the modal dialog of type T once it is showing, from inside its event loop.
template <class T>
void WhenModal(std::function<void(T*)> act) {
  auto* poll = new QTimer;
  auto started = std::make_shared<QElapsedTimer>();
  started->start();
  QObject::connect(poll, &QTimer::timeout, [poll, act, started] {
    if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
      if (auto* typed = dynamic_cast<T*>(dialog); typed && typed->isVisible()) {
        poll->stop();
        poll->deleteLater();
        act(typed);
        return;
      }
    }
    if (started->elapsed() > 10000) {  // never shown: give up rather than hang the test
      poll->stop();
      poll->deleteLater();
    }
  });
  poll->start(5);
}

}  // namespace gui
