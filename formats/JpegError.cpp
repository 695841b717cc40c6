#include "formats/JpegError.h"

namespace {

[[noreturn]] void JumpToGuard(j_common_ptr record) {
  // pub is the first member of the manager, so the library's pointer is the manager's address.
  std::longjmp(reinterpret_cast<JpegErrorManager*>(record->err)->jump, 1);
}

// Counts warnings (level -1: corrupt or missing data the library filled in) as the library's own
// routine does, and shows nothing.
void DropMessage(j_common_ptr record, int level) {
  if (level < 0) ++record->err->num_warnings;
}

}  // namespace

jpeg_error_mgr* InitJpegErrorManager(JpegErrorManager& manager) {
  jpeg_error_mgr* pub = jpeg_std_error(&manager.pub);
  pub->error_exit = JumpToGuard;
  pub->emit_message = DropMessage;
  return pub;
}

void RaiseJpegError(j_common_ptr record, int messageCode) {
  record->err->msg_code = messageCode;
  JumpToGuard(record);
}
