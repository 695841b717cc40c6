#include "platform/HelpWindow.h"

#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QTextBrowser>

namespace {

QPointer<QTextBrowser>& Window() {
  static QPointer<QTextBrowser> window;
  return window;
}

QString& Path() {
  static QString path;
  return path;
}

QTextBrowser* MakeWindow() {
  auto* browser = new QTextBrowser;
  browser->setAttribute(Qt::WA_DeleteOnClose);
  browser->setObjectName(QStringLiteral("HelpWindow"));
  browser->setOpenExternalLinks(true);
  const QFontMetrics metrics(browser->font());
  browser->resize(metrics.averageCharWidth() * 80, metrics.height() * 36);
  return browser;
}

}  // namespace

void SetHelpFilePath(const QString& path) { Path() = path; }

QString HelpFilePath() { return Path(); }

bool OpenHelpContents() {
  const QString path = Path();
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return false;
  const QString html = QString::fromUtf8(file.readAll());
  if (!Window()) Window() = MakeWindow();
  QTextBrowser* browser = Window();
  browser->setSearchPaths({QFileInfo(path).absolutePath()});
  browser->setHtml(html);
  browser->setWindowTitle(browser->documentTitle());
  browser->moveCursor(QTextCursor::Start);
  browser->show();
  browser->raise();
  browser->activateWindow();
  return true;
}

void QuitHelp() {
  if (Window()) Window()->close();
}

QTextBrowser* HelpWindow() { return Window(); }
