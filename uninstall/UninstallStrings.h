#pragma once

#include <QString>

// The uninstaller's own string table: every text the user can see, by its number.
enum UninstallStringId {
  IDS_CREATE_WINDOW_FAILED = 1,
  IDS_REGISTER_CLASS_FAILED = 2,
  IDS_CAPTION = 3,
  IDS_CONFIRM_UNINSTALL = 4,
  IDS_LOG_NOT_FOUND = 5,
  IDS_PROGRAM_RUNNING = 6,
  IDS_UNINSTALL_COMPLETE = 7,
  IDS_COPY_TO_TEMP_FAILED = 8,
  IDS_START_COPY_FAILED = 9,
  IDS_LOG_NAMES_NOTHING = 10,
};

// The text of string `id`; an empty string for a number the table does not hold.
QString LoadUninstallString(int id);
