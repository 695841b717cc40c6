#include "cli/ConsoleProgress.h"

#include <unistd.h>

#include <algorithm>
#include <csignal>

namespace {

// The signal that asked the work to stop, 0 while none did.
volatile std::sig_atomic_t g_interrupted = 0;

extern "C" void OnInterrupt(int signal) {
  if (g_interrupted == 0) g_interrupted = signal;
}

constexpr int kCancelSignals[] = {SIGINT, SIGTERM, SIGHUP};

constexpr auto kRedrawInterval = std::chrono::milliseconds(150);
constexpr int kBarWidth = 30;
constexpr std::size_t kMaxLineText = 70;

}  // namespace

CConsoleProgress::CConsoleProgress(std::FILE* stream, bool quiet)
    : m_stream(stream), m_isTerminal(isatty(fileno(stream)) != 0), m_quiet(quiet) {
  g_interrupted = 0;
  for (int signal : kCancelSignals) std::signal(signal, OnInterrupt);
}

CConsoleProgress::~CConsoleProgress() {
  Finish();
  for (int signal : kCancelSignals) std::signal(signal, SIG_DFL);
}

bool CConsoleProgress::Interrupted() { return g_interrupted != 0; }

int CConsoleProgress::InterruptedExitCode() { return 128 + static_cast<int>(g_interrupted); }

void CConsoleProgress::Finish() {
  if (m_lineOpen) {
    Redraw(true);
    std::fputc('\n', m_stream);
    m_lineOpen = false;
  }
  std::fflush(m_stream);
}

void CConsoleProgress::ShowStage(const std::string& text) {
  m_stage = text;
  m_detail.clear();
  m_percent = 0;
  m_loggedTenths = 0;
  if (m_quiet) return;
  if (m_isTerminal) {
    Redraw(true);
  } else {
    std::fprintf(m_stream, "%s\n", text.c_str());
    std::fflush(m_stream);
  }
}

void CConsoleProgress::ShowDetail(const std::string& text) {
  m_detail = text;
  Redraw(false);
}

void CConsoleProgress::ShowPercent(int percent) {
  m_percent = percent;
  if (!m_isTerminal && !m_quiet && percent / 10 > m_loggedTenths) {
    m_loggedTenths = percent / 10;
    std::fprintf(m_stream, "%s %d%%\n", m_stage.c_str(), m_loggedTenths * 10);
    std::fflush(m_stream);
  }
  Redraw(false);
}

BOOL CConsoleProgress::PumpMessages() { return g_interrupted ? TRUE : FALSE; }

void CConsoleProgress::Redraw(bool force) {
  if (!m_isTerminal || m_quiet) return;
  const auto now = std::chrono::steady_clock::now();
  if (!force && now - m_lastDraw < kRedrawInterval) return;
  m_lastDraw = now;
  const int filled = std::max(0, std::min(kBarWidth, m_percent * kBarWidth / 100));
  std::string text = m_stage;
  if (!m_detail.empty()) text += " " + m_detail;
  if (text.size() > kMaxLineText) text.resize(kMaxLineText);
  std::fprintf(m_stream, "\r[%s%s] %3d%% %-*s", std::string(filled, '#').c_str(),
               std::string(kBarWidth - filled, ' ').c_str(), m_percent,
               static_cast<int>(kMaxLineText), text.c_str());
  std::fflush(m_stream);
  m_lineOpen = true;
}
