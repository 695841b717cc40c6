#include "UninstallMessages.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMessageBox>
#include <QShortcut>

#include "UninstallStrings.h"

namespace {

// Shows `box` until it is answered. Ctrl+C copies its caption and text to the clipboard, so that
// a user can pass the message on word for word.
int ExecWithCopy(QMessageBox& box) {
  QShortcut copy(QKeySequence::Copy, &box);
  QObject::connect(&copy, &QShortcut::activated, &box, [&box] {
    QGuiApplication::clipboard()->setText(box.windowTitle() + "\n\n" + box.text() + "\n");
  });
  return box.exec();
}

}  // namespace

void ShowUninstallWarning(const QString& text) {
  QMessageBox box(QMessageBox::Warning, LoadUninstallString(IDS_CAPTION), text, QMessageBox::Ok);
  ExecWithCopy(box);
}

bool AskToUninstall() {
  QMessageBox box(QMessageBox::Question, LoadUninstallString(IDS_CAPTION),
                  LoadUninstallString(IDS_CONFIRM_UNINSTALL), QMessageBox::Yes | QMessageBox::No);
  box.setDefaultButton(QMessageBox::No);
  box.setEscapeButton(QMessageBox::No);
  return ExecWithCopy(box) == QMessageBox::Yes;
}

QString FormatUninstallString(int id, const QString& value) {
  return LoadUninstallString(id).replace(QLatin1String("%s"), value);
}
