#pragma once

#include <QString>

// Where the product's application-menu folder lives: the folder "Quillet Poster 1.0" of
// .desktop entries in the user's applications folder, the folder's description in
// desktop-directories, the menu file that places the folder in the applications menu, and the
// program's icon in the icon theme.
struct MenuLocations {
  QString applicationsFolder;  // e.g. ~/.local/share/applications
  QString directoriesFolder;   // e.g. ~/.local/share/desktop-directories
  QString mergedMenusFolder;   // e.g. ~/.config/menus/applications-merged
  QString iconsFolder;         // e.g. ~/.local/share/icons/hicolor/64x64/apps
};

// The locations of the current user (XDG_DATA_HOME and XDG_CONFIG_HOME).
MenuLocations UserMenuLocations();

// Deletes the three entries with the program's icon, and the folder when nothing else is left
// in it; the folder's description and menu file go with the folder. Skipped when the
// applications folder is unknown.
void RemoveMenuEntries(const MenuLocations& where);
