// The command line's progress bar: stage, detail and percentage on standard error.
//
// On a terminal the bar is redrawn in place at most a few times a second; elsewhere (a pipe, a
// log) each stage is printed once on its own line. Ctrl-C is the Cancel button: the first
// SIGINT is recorded and the next progress call answers that the work must stop.
#pragma once

#include <chrono>
#include <cstdio>
#include <string>

#include "image/Progress.h"

class CConsoleProgress : public CProgress {
 public:
  explicit CConsoleProgress(std::FILE* stream = stderr);
  ~CConsoleProgress() override;
  CConsoleProgress(const CConsoleProgress&) = delete;
  CConsoleProgress& operator=(const CConsoleProgress&) = delete;

  // Ends the bar's line, so that later output starts on a line of its own.
  void Finish();
  // True once Ctrl-C was pressed while this object existed.
  [[nodiscard]] static bool Interrupted();

 protected:
  void ShowStage(const std::string& text) override;
  void ShowDetail(const std::string& text) override;
  void ShowPercent(int percent) override;
  BOOL PumpMessages() override;

 private:
  void Redraw(bool force);

  std::FILE* m_stream;
  bool m_isTerminal;
  bool m_lineOpen = false;
  std::string m_stage;
  std::string m_detail;
  int m_percent = 0;
  std::chrono::steady_clock::time_point m_lastDraw{};
};
