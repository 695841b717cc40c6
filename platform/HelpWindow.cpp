#include "platform/HelpWindow.h"

#include <QApplication>
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

// The modal window now open: the help belongs to it, since a modal window blocks every window
// that is not its own (the main window runs modally for the program's whole life).
QWidget* Owner() {
  if (QWidget* modal = QApplication::activeModalWidget()) return modal;
  return QApplication::activeWindow();
}

QTextBrowser* MakeWindow(QWidget* owner) {
  auto* browser = new QTextBrowser(owner);
  browser->setWindowFlag(Qt::Window);
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
  QWidget* owner = Owner();
  if (!Window()) Window() = MakeWindow(owner);
  QTextBrowser* browser = Window();
  if (browser->parentWidget() != owner) {
    const QRect placed = browser->geometry();
    browser->setParent(owner, browser->windowFlags());
    browser->setGeometry(placed);
  }
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
