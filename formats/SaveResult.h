// The outcome of writing a poster file.
#pragma once

enum class SaveResult {
  kSaved,
  kCancelled,   // the progress sink asked to stop; nothing was left behind
  kWriteError,  // the file could not be created or written; errno then tells why
  kTooLarge,    // the picture does not fit the format's size fields
  kNoMemory,
};

// A short English description, for logs and the command line.
[[nodiscard]] const char* ToString(SaveResult result);
// The string-table id of the message a user is shown, or 0 for none (saved, cancelled).
[[nodiscard]] unsigned MessageId(SaveResult result, bool jpeg);
