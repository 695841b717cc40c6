// The progress and cancel protocol of every long operation.
//
// The working code reports a stage, a detail text and a percentage; each report first lets the
// user interface catch up (PumpMessages) and then answers whether the work may go on. Cancel is
// sticky: once recorded, every later report answers FALSE without pumping, so every level of a
// nested operation sees it and unwinds. The dialog of the GUI and the progress bar of the command
// line derive from this class and only decide how the texts are shown.
#pragma once

#include <string>

#include "image/Types.h"

class CProgress {
 public:
  virtual ~CProgress() = default;

  // Shows the stage line, empties the detail line and sets the bar to 0.
  BOOL SetStage(const std::string& text);
  // The same with a string-table text; an id without text leaves the lines unchanged.
  BOOL SetStage(unsigned stringId);
  // Shows the detail line; the stage line and the bar are untouched.
  BOOL SetDetail(const std::string& text);
  BOOL SetDetail(unsigned stringId);
  // Sets the bar to percent (0..100).
  BOOL SetPercent(int percent);
  // TRUE when the work must stop: a recorded cancel, or a quit request met while pumping.
  BOOL CheckCancel();
  void SetCancel(BOOL cancel) { m_bCancel = cancel; }
  [[nodiscard]] BOOL IsCancelled() const { return m_bCancel; }

 protected:
  virtual void ShowStage(const std::string& text) = 0;
  virtual void ShowDetail(const std::string& text) = 0;
  virtual void ShowPercent(int percent) = 0;
  // Processes pending user-interface events; TRUE when a quit request was among them.
  virtual BOOL PumpMessages() { return FALSE; }

 private:
  BOOL m_bCancel = FALSE;
};
