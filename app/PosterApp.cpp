#include "app/PosterApp.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>

#include "app/PosterDlg.h"
#include "platform/HelpWindow.h"
#include "platform/MessageBox.h"
#include "resources/StringTable.h"

CPosterApp::CPosterApp(QString programDirectory)
    : m_programDirectory(std::move(programDirectory)) {}

bool CPosterApp::InitInstance() {
  const QString helpPath = QDir(m_programDirectory).filePath(HelpFileName());
  if (!QFileInfo::exists(helpPath)) {
    // The caption is still the executable's name: the application's is set below.
    ShowMessage(nullptr, QString::fromUtf8(res::LoadString(res::IDS_NO_HELP_FILE)));
    return false;
  }
  SetHelpFilePath(helpPath);
  (void)m_lock.Acquire(LockName());
  QApplication::setApplicationName(QString::fromUtf8(res::LoadString(res::IDS_APP_NAME)));
  QApplication::setOrganizationName(QString::fromUtf8(res::LoadString(res::IDS_REGISTRY_KEY)));
  {
    CPosterDlg dialog;
    dialog.exec();
  }
  return false;
}

int CPosterApp::ExitInstance() {
  m_lock.Release();
  return 0;
}
