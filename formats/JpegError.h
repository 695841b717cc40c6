// Error handling shared by the JPEG reader and writer.
//
// The library reports a fatal error by calling its error_exit routine, which must not return.
// Ours jumps back to the point armed by RunJpegGuarded: a C++ exception would have to unwind
// through the library's C frames, which are not built for it. Warnings and trace messages are
// dropped, so no library text is ever formatted or shown; warnings are still counted.
#pragma once

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

struct JpegErrorManager {
  jpeg_error_mgr pub;  // first member: the library sees only this part
  std::jmp_buf jump;   // armed by RunJpegGuarded
};

// Fills manager with the library's standard routines, replaces error_exit and emit_message, and
// returns the part to store in the err field of a compression or decompression record.
jpeg_error_mgr* InitJpegErrorManager(JpegErrorManager& manager);

// Raises a library error on the record: control goes back to the armed RunJpegGuarded.
[[noreturn]] void RaiseJpegError(j_common_ptr record, int messageCode);

// Runs step(), which calls the library. False when the library raised an error; its code is then
// in error.pub.msg_code. The jump back skips every frame below this one without running
// destructors, so step and everything it calls keep no objects that have one while they call
// the library.
template <typename Step>
[[nodiscard]] bool RunJpegGuarded(JpegErrorManager& error, Step&& step) {
  if (setjmp(error.jump) != 0) return false;
  step();
  return true;
}
