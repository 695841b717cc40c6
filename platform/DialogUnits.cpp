#include "platform/DialogUnits.h"

#include <QFont>
#include <QFontMetrics>

namespace {

int Scale(int value, int base, int divisor) {
  // Rounded to the nearest pixel, halves away from zero.
  const long long product = static_cast<long long>(value) * base;
  return static_cast<int>(product >= 0 ? (product + divisor / 2) / divisor
                                       : -((-product + divisor / 2) / divisor));
}

}  // namespace

DialogBaseUnits BaseUnitsOf(const QFont& font) {
  const QFontMetrics metrics(font);
  static const QString kLetters =
      QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
  const int lettersWidth = metrics.horizontalAdvance(kLetters);
  return {(lettersWidth / 26 + 1) / 2, metrics.height()};
}

QRect MapDialogRect(const DialogBaseUnits& units, const QRect& dialogRect) {
  const int left = Scale(dialogRect.x(), units.x, 4);
  const int top = Scale(dialogRect.y(), units.y, 8);
  const int right = Scale(dialogRect.x() + dialogRect.width(), units.x, 4);
  const int bottom = Scale(dialogRect.y() + dialogRect.height(), units.y, 8);
  return QRect(left, top, right - left, bottom - top);
}
