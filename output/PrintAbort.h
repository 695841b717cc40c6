// The abort procedure of a print job.
//
// Both the device (from inside its printing calls) and the band loop (between bands) ask it
// whether to go on. After the user cancels, the loop's own questions keep being answered TRUE
// until the device has asked and been answered FALSE: only then has the spooler been told to
// abandon the job, and only then does the loop stop producing output.
#pragma once

#include "image/Types.h"

class CProgress;

class CPrintAbort {
 public:
  explicit CPrintAbort(CProgress& progress) : m_progress(progress) {}

  // fromDevice: the question comes from the device rather than from the band loop. An error
  // code other than 0 and out-of-disk cancels the job.
  [[nodiscard]] BOOL Check(bool fromDevice, int errorCode);
  // TRUE once the device has been answered FALSE.
  [[nodiscard]] BOOL Reported() const { return m_reported; }
  void Reset() { m_reported = FALSE; }

 private:
  CProgress& m_progress;
  BOOL m_reported = FALSE;
};
