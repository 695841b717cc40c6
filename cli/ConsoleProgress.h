// The command line's progress bar: stage, detail and percentage on standard error.
//
// On a terminal the bar is redrawn in place at most a few times a second; elsewhere (a pipe, a
// log) each stage is printed once on its own line, and then a line per 10 % so that a long
// build shows it is alive. Quiet shows nothing. Ctrl-C is the Cancel button, and so are SIGTERM
// and SIGHUP: the first such signal is recorded and the next progress call answers that the work
// must stop.
#pragma once

#include <chrono>
#include <cstdio>
#include <string>

#include "image/Progress.h"

class CConsoleProgress : public CProgress {
 public:
  explicit CConsoleProgress(std::FILE* stream = stderr, bool quiet = false);
  ~CConsoleProgress() override;
  CConsoleProgress(const CConsoleProgress&) = delete;
  CConsoleProgress& operator=(const CConsoleProgress&) = delete;

  // Ends the bar's line, so that later output starts on a line of its own.
  void Finish();
  // True once Ctrl-C was pressed (or SIGTERM or SIGHUP came) while this object existed.
  [[nodiscard]] static bool Interrupted();
  // The exit code a shell expects after that signal: 128 + its number.
  [[nodiscard]] static int InterruptedExitCode();

 protected:
  void ShowStage(const std::string& text) override;
  void ShowDetail(const std::string& text) override;
  void ShowPercent(int percent) override;
  BOOL PumpMessages() override;

 private:
  void Redraw(bool force);

  std::FILE* m_stream;
  bool m_isTerminal;
  bool m_quiet;
  bool m_lineOpen = false;
  int m_loggedTenths = 0;  // the last 10 % step printed for the stage, off a terminal
  std::string m_stage;
  std::string m_detail;
  int m_percent = 0;
  std::chrono::steady_clock::time_point m_lastDraw{};
};
