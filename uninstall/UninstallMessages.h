#pragma once

#include <QString>

// Message boxes of the uninstaller, captioned with string 3. A warning shows the exclamation
// icon and an OK button. In every box Ctrl+C copies the caption and the text to the clipboard.
void ShowUninstallWarning(const QString& text);

// String 4 with Yes and No, No the default (Enter and Escape both answer No); true for Yes.
bool AskToUninstall();

// The text of string `id` with its "%s" replaced by `value`.
QString FormatUninstallString(int id, const QString& value);
