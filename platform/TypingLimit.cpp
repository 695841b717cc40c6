#include "platform/TypingLimit.h"

#include <QLineEdit>
#include <QVariant>
#include <algorithm>

namespace {

constexpr const char* kTypedLimit = "typedCharsLimit";

int TypedLimit(const QLineEdit* edit) { return edit->property(kTypedLimit).toInt(); }

// The edit's own limit: the typed limit, or the length of a longer text it holds now.
void FitLimitTo(QLineEdit* edit, qsizetype length) {
  edit->setMaxLength(std::max(TypedLimit(edit), static_cast<int>(length)));
}

}  // namespace

void LimitTyping(QLineEdit* edit, int maxChars) {
  edit->setProperty(kTypedLimit, maxChars);
  edit->setMaxLength(maxChars);
  // A longer text the program wrote may be shortened by the user, never lengthened.
  QObject::connect(edit, &QLineEdit::textEdited, edit,
                   [edit](const QString& text) { FitLimitTo(edit, text.size()); });
}

void SetWholeText(QLineEdit* edit, const QString& text) {
  FitLimitTo(edit, text.size());
  edit->setText(text);
}
