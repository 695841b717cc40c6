// Windows laid out from a table, as a dialog template lays them out.
//
// Each row names one control: its identifier, its kind, its rectangle in dialog units and its
// text. LayOutDialog makes the widgets in table order (which is also the tab order), places
// them in pixels of the window's font, and names each after its identifier so that handlers
// and tests find it with Control<T>(window, id).
#pragma once

#include <QString>
#include <QWidget>
#include <span>

#include "platform/DialogUnits.h"

enum class ControlKind {
  Label,          // static text, left aligned, may break into lines
  Group,          // group box frame with a title
  Frame,          // etched frame without a title
  Icon,           // the application icon
  Edit,           // single-line edit
  ReadOnlyEdit,   // single-line edit the user cannot change
  Button,         // push button
  DefaultButton,  // push button pressed by Enter
  Radio,          // option button; kGroupStart begins a new exclusive group
  Check,          // check box
  List,           // single-selection list box
  Slider,         // horizontal track bar with ticks on both sides
  DropList,       // drop-down list of fixed items
  Progress,       // progress bar, 0 to 100
};

inline constexpr unsigned kGroupStart = 1;  // first option button of an exclusive group

struct ControlSpec {
  int id;  // 0 for controls nobody addresses
  ControlKind kind;
  int x, y, width, height;  // dialog units
  const char* text;
  unsigned flags = 0;
};

// Creates the widgets of specs as children of window and sizes the window to width × height
// dialog units. The units are those of the window's font, widened where a one-line text would
// not fit its place; a window that would not fit its screen gets a smaller font first. Returns
// the units used.
DialogBaseUnits LayOutDialog(QWidget* window, std::span<const ControlSpec> specs, int width,
                             int height);

// The units LayOutDialog chose for window; those of its font for a window laid out otherwise.
[[nodiscard]] DialogBaseUnits DialogUnitsOf(const QWidget* window);

// Creates the widgets of specs as children of window, placed by units.
void BuildControls(QWidget* window, std::span<const ControlSpec> specs,
                   const DialogBaseUnits& units);

// Sizes window's client area to width × height dialog units and fixes it there.
void SetDialogSize(QWidget* window, int width, int height, const DialogBaseUnits& units);

// The control with identifier id among window's children, or nullptr.
template <class T = QWidget>
T* Control(const QWidget* window, int id) {
  return window->findChild<T*>(QString::number(id));
}
