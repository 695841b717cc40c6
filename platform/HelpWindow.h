// The help window: the program's HTML help document in a browser window.
//
// One window serves the whole program. Opening the contents again brings it to the front at the
// top of the document; quitting the help closes it.
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
