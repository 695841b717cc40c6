#include "cli/ConsoleProgress.h"

#include <unistd.h>

#include <algorithm>
#include <csignal>

namespace {

volatile std::sig_atomic_t g_interrupted = 0;

extern "C" void OnInterrupt(int) { g_interrupted = 1; }

constexpr auto kRedrawInterval = std::chrono::milliseconds(150);
constexpr int kBarWidth = 30;
constexpr std::size_t kMaxLineText = 70;

}  // namespace

CConsoleProgress::CConsoleProgress(std::FILE* stream)
    : m_stream(stream), m_isTerminal(isatty(fileno(stream)) != 0) {
  g_interrupted = 0;
  std::signal(SIGINT, OnInterrupt);
}

CConsoleProgress::~CConsoleProgress() {
  Finish();
  std::signal(SIGINT, SIG_DFL);
}

bool CConsoleProgress::Interrupted() { return g_interrupted != 0; }

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
  Redraw(false);
}

BOOL CConsoleProgress::PumpMessages() { return g_interrupted ? TRUE : FALSE; }

void CConsoleProgress::Redraw(bool force) {
  if (!m_isTerminal) return;
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
