#include "UninstallStrings.h"

namespace {

struct StringEntry {
  int id;
  const char* text;
};

// Strings 1 and 2 belong to the window-class registration of the original message window; with
// Qt the hidden window cannot fail on its own, but the numbers stay reserved for those texts.
constexpr StringEntry kStrings[] = {
    {IDS_CREATE_WINDOW_FAILED, "Fatal error: Creating Main Window"},
    {IDS_REGISTER_CLASS_FAILED, "Fatal error: Registering Window Class"},
    {IDS_CAPTION, "Quillet Poster Uninstall"},
    {IDS_CONFIRM_UNINSTALL,
     "This program will uninstall and remove Quillet Poster from this computer.\n\n"
     "Please make sure that Quillet Poster is not currently running, or uninstall will fail.\n\n"
     "Continue with uninstall?"},
    {IDS_LOG_NOT_FOUND, "Install log file not found, uninstall cannot proceed."},
    {IDS_PROGRAM_RUNNING,
     "Uninstall has detected that Quillet Poster is currently running.\n\n"
     "Please  close all instances of Quillet Poster and then run Uninstall again."},
    {IDS_UNINSTALL_COMPLETE, "Uninstall complete."},
    {IDS_COPY_TO_TEMP_FAILED,
     "Uninstall could not copy itself to the Windows temporary folder:\n\n%s\n\n"
     "Check if there is enough disk space available.\nUninstall cannot continue."},
    {IDS_START_COPY_FAILED,
     "Uninstall could not start its copy in the temporary folder:\n\n%s\n\n"
     "Uninstall cannot continue."},
    {IDS_LOG_NAMES_NOTHING,
     "The install log names no file of the installation folder, uninstall cannot proceed."},
};

}  // namespace

QString LoadUninstallString(int id) {
  for (const StringEntry& entry : kStrings) {
    if (entry.id == id) return QString::fromUtf8(entry.text);
  }
  return {};
}
