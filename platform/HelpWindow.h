// The help window: the program's HTML help document in a browser window.
//
// One window serves the whole program. Opening the contents again brings it to the front at the
// top of the document; quitting the help closes it. The window belongs to the modal window open
// when the help was asked for (the main window, or a dialog's Help button), so that it answers
// while that window runs, and closes with it.
#pragma once

#include <QString>

class QTextBrowser;

// The program's help document, set once at start-up.
void SetHelpFilePath(const QString& path);
[[nodiscard]] QString HelpFilePath();
// Shows the help document from its start. FALSE when the file cannot be read.
bool OpenHelpContents();
// Closes the help window if it is open.
void QuitHelp();
// The open help window, or nullptr.
[[nodiscard]] QTextBrowser* HelpWindow();
