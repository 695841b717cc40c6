// The open and save file dialogs.
//
// Filters are written as in the string table: "Description|pattern|Description|pattern||".
// Tests answer the dialogs through a hook instead of a window.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class QWidget;

struct FileDialogRequest {
  bool openMode = true;         // open (TRUE) or save
  bool mustExist = false;       // open: every chosen file must exist
  bool multiSelect = false;     // open: several files may be chosen
  QString title;
  QString defaultExtension;     // added to a typed name without one, "jpg"
  QString filter;               // "a|*.a|b|*.b||"
  int filterIndex = 1;          // 1-based position of the filter shown first
  QString initialDirectory;
  QString initialName;
};

struct FileDialogResult {
  QStringList paths;            // one path, or several with multiSelect
  int filterIndex = 1;          // the filter in force when the user chose
};

// The filter converted for Qt: "JPEG (*.jpg)|*.jpg|All Files (*.*)|*.*||" gives
// "JPEG (*.jpg);;All Files (*)". Several patterns joined by ';' become one list, and "*.*"
// means every file, dotted or not.
[[nodiscard]] QString ConvertFilter(const QString& filter);

// Shows the dialog; nothing when the user cancels.
[[nodiscard]] std::optional<FileDialogResult> RunFileDialog(QWidget* parent,
                                                            const FileDialogRequest& request);

using FileDialogHook =
    std::function<std::optional<FileDialogResult>(const FileDialogRequest& request)>;
// Replaces the window by hook; an empty hook brings the window back. Returns the previous hook.
FileDialogHook SetFileDialogHook(FileDialogHook hook);
