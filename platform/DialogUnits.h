// Dialog units: the coordinates of dialog templates, measured in the dialog font.
//
// One horizontal unit is a quarter of the font's average character width, one vertical unit an
// eighth of its height, so a window laid out in dialog units grows with its font and keeps its
// proportions at any font size or screen resolution.
#pragma once

#include <QRect>

class QFont;

struct DialogBaseUnits {
  int x = 0;  // average character width in pixels
  int y = 0;  // character height in pixels
};

// The base units of font: the mean width of the 52 letters, rounded, and the line height.
[[nodiscard]] DialogBaseUnits BaseUnitsOf(const QFont& font);

// A rectangle in dialog units converted to pixels, each edge rounded as the template's
// conversion does (x × base / 4, y × base / 8, to the nearest pixel).
[[nodiscard]] QRect MapDialogRect(const DialogBaseUnits& units, const QRect& dialogRect);
