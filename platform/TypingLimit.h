// A limit on what the user types into an edit that leaves the program's own texts whole.
//
// A length limit of the edit itself would cut a text the program writes, such as a derived
// 123.45 in an edit that takes five typed characters, and the cut text would then be read back.
#pragma once

class QLineEdit;
class QString;

// The user's typing never makes edit's text longer than maxChars, or than the text the program
// wrote last when that is longer.
void LimitTyping(QLineEdit* edit, int maxChars);

// Writes text into an edit limited by LimitTyping, whole.
void SetWholeText(QLineEdit* edit, const QString& text);
