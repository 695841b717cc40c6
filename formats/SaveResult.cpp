#include "formats/SaveResult.h"

#include "resources/StringTable.h"

const char* ToString(SaveResult result) {
  switch (result) {
    case SaveResult::kSaved: return "saved";
    case SaveResult::kCancelled: return "cancelled";
    case SaveResult::kWriteError: return "the file could not be written";
    case SaveResult::kTooLarge: return "the picture is too large for the format";
    case SaveResult::kNoMemory: return "not enough memory";
  }
  return "unknown";
}

unsigned MessageId(SaveResult result, bool jpeg) {
  switch (result) {
    case SaveResult::kSaved:
    case SaveResult::kCancelled: return 0;
    case SaveResult::kWriteError: return res::IDS_WRITE_ERROR;
    case SaveResult::kTooLarge: return jpeg ? res::IDS_JPEG_TOO_LARGE : res::IDS_BMP_TOO_LARGE;
    case SaveResult::kNoMemory: return res::IDS_NO_MEMORY;
  }
  return 0;
}
