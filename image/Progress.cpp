#include "image/Progress.h"

#include "resources/StringTable.h"

BOOL CProgress::SetStage(const std::string& text) {
  ShowStage(text);
  ShowDetail(std::string());
  ShowPercent(0);
  return !CheckCancel();
}

BOOL CProgress::SetStage(unsigned stringId) {
  if (const char* text = res::LoadString(stringId)) return SetStage(std::string(text));
  return !CheckCancel();
}

BOOL CProgress::SetDetail(const std::string& text) {
  ShowDetail(text);
  return !CheckCancel();
}

BOOL CProgress::SetDetail(unsigned stringId) {
  if (const char* text = res::LoadString(stringId)) return SetDetail(std::string(text));
  return !CheckCancel();
}

BOOL CProgress::SetPercent(int percent) {
  ShowPercent(percent);
  return !CheckCancel();
}

BOOL CProgress::CheckCancel() {
  if (m_bCancel) return m_bCancel;
  // A quit request counts as Cancel and, like it, stays recorded.
  if (PumpMessages()) m_bCancel = TRUE;
  return m_bCancel;
}
