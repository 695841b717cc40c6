#include "output/PrintAbort.h"

#include "image/Progress.h"
#include "output/PrintDevice.h"

BOOL CPrintAbort::Check(bool fromDevice, int errorCode) {
  if (errorCode != 0 && errorCode != kSpOutOfDisk) m_progress.SetCancel(TRUE);
  if (!m_progress.CheckCancel()) return TRUE;
  if (fromDevice) m_reported = TRUE;
  return !m_reported;
}
