#include "platform/FileDialog.h"

#include <QDateTime>
#include <QFileDialog>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLocale>
#include <QRegularExpression>
#include <QScreen>
#include <QTreeView>

namespace {

FileDialogHook& Hook() {
  static FileDialogHook hook;
  return hook;
}

QString ConvertPatterns(const QString& patterns) {
  QStringList list = patterns.split(QLatin1Char(';'), Qt::SkipEmptyParts);
  for (QString& pattern : list) {
    pattern = pattern.trimmed();
    if (pattern == QLatin1String("*.*")) pattern = QStringLiteral("*");
  }
  return list.join(QLatin1Char(' '));
}

// The description without a pattern list it may already carry in parentheses at its end.
QString BareDescription(const QString& description) {
  static const QRegularExpression kTrailingPatterns(QStringLiteral("\\s*\\([^()]*\\)\\s*$"));
  QString bare = description;
  bare.remove(kTrailingPatterns);
  return bare;
}

QFileDialog::FileMode ModeOf(const FileDialogRequest& request) {
  if (!request.openMode) return QFileDialog::AnyFile;
  if (request.multiSelect) return QFileDialog::ExistingFiles;
  return request.mustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile;
}

// Room for long names and whole type and date columns, within the screen the dialog opens on.
QSize ComfortableSize(const QWidget* parent) {
  const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
  const QSize wanted(960, 600);
  if (screen == nullptr) return wanted;
  const QSize room = screen->availableGeometry().size() * 9 / 10;
  return wanted.boundedTo(room);
}

// The detailed list gives the size, type and date their whole width and the name the rest.
void WidenColumns(QFileDialog& dialog) {
  auto* list = dialog.findChild<QTreeView*>(QStringLiteral("treeView"));
  if (list == nullptr) return;
  QHeaderView* header = list->header();
  const QFontMetrics metrics(list->font());
  const int padding = 3 * metrics.averageCharWidth();
  const QString samples[] = {QStringLiteral("888.8 KiB"), QStringLiteral("JPEG image file"),
                             QLocale().toString(QDateTime(QDate(2088, 12, 28), QTime(23, 58)),
                                                QLocale::ShortFormat)};
  header->setStretchLastSection(false);
  for (int column = 1; column <= 3 && column < header->count(); ++column)
    header->resizeSection(column, metrics.horizontalAdvance(samples[column - 1]) + padding);
  header->setSectionResizeMode(0, QHeaderView::Stretch);
}

}  // namespace

QString ConvertFilter(const QString& filter) {
  const QStringList parts = filter.split(QLatin1Char('|'));
  QStringList converted;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    if (parts[i].isEmpty() && parts[i + 1].isEmpty()) break;  // the closing "||"
    converted << BareDescription(parts[i]) + QStringLiteral(" (") + ConvertPatterns(parts[i + 1]) +
                     QLatin1Char(')');
  }
  return converted.join(QStringLiteral(";;"));
}

std::optional<FileDialogResult> RunFileDialog(QWidget* parent, const FileDialogRequest& request) {
  if (Hook()) return Hook()(request);
  QFileDialog dialog(parent, request.title, request.initialDirectory);
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setAcceptMode(request.openMode ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
  dialog.setFileMode(ModeOf(request));
  dialog.setDefaultSuffix(request.defaultExtension);
  const QStringList filters = ConvertFilter(request.filter).split(QStringLiteral(";;"));
  dialog.setNameFilters(filters);
  const int index = request.filterIndex - 1;
  if (index >= 0 && index < filters.size()) dialog.selectNameFilter(filters[index]);
  // A pattern such as "*.jpg" starts the dialog in its folder with an empty name field.
  if (!request.initialName.contains(QLatin1Char('*'))) dialog.selectFile(request.initialName);
  dialog.resize(ComfortableSize(parent));
  WidenColumns(dialog);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return FileDialogResult{dialog.selectedFiles(),
                          static_cast<int>(filters.indexOf(dialog.selectedNameFilter())) + 1};
}

FileDialogHook SetFileDialogHook(FileDialogHook hook) {
  FileDialogHook previous = std::move(Hook());
  Hook() = std::move(hook);
  return previous;
}
