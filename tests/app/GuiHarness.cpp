#include "GuiHarness.h"

#include <QSettings>
#include <fstream>
#include <sstream>

#include "TileFiles.h"
#include "support/TestSupport.h"

namespace gui {

MessageRecorder::MessageRecorder() {
  m_previous = SetMessageHook([this](const MessageRequest& request) {
    requests.push_back(request);
    if (!m_answers.empty()) {
      const MessageAnswer answer = m_answers.front();
      m_answers.pop_front();
      return answer;
    }
    switch (request.buttons) {
      case MessageButtons::YesNo: return MessageAnswer::Yes;
      case MessageButtons::OkCancel: return MessageAnswer::Cancel;
      case MessageButtons::Ok: break;
    }
    return MessageAnswer::Ok;
  });
}

MessageRecorder::~MessageRecorder() { SetMessageHook(std::move(m_previous)); }

QStringList MessageRecorder::Texts() const {
  QStringList texts;
  for (const MessageRequest& request : requests) texts << request.text;
  return texts;
}

FileDialogAnswers::FileDialogAnswers() {
  m_previous = SetFileDialogHook(
      [this](const FileDialogRequest& request) -> std::optional<FileDialogResult> {
        requests.push_back(request);
        if (m_choices.empty() || m_choices.front().isEmpty()) {
          if (!m_choices.empty()) m_choices.pop_front();
          return std::nullopt;
        }
        FileDialogResult result{m_choices.front(), request.filterIndex};
        m_choices.pop_front();
        return result;
      });
}

FileDialogAnswers::~FileDialogAnswers() { SetFileDialogHook(std::move(m_previous)); }

void ClearSettings() {
  QSettings settings(QStringLiteral("Velkamo"), QStringLiteral("Quillet Poster 1.0"));
  settings.clear();
  settings.sync();
}

std::string MakePicture(const std::string& name, int width, int height) {
  return test::MakeTileFile(name, width, height);
}

std::string MakeTextFile(const std::string& name, const std::string& text) {
  const std::string path = test::ScratchPath(name);
  std::ofstream(path, std::ios::binary) << text;
  return path;
}

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream all;
  all << in.rdbuf();
  return all.str();
}

}  // namespace gui
