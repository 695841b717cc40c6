// A progress sink for the writer tests: records every report, counts reports from other threads,
// and can press Cancel at a chosen report.
#pragma once

#include <string>
#include <thread>
#include <vector>

#include "image/Progress.h"

namespace test {

// Records every report as "stage:TEXT", "detail:TEXT" or "percent:N". Answers Cancel from the
// pumpsToCancel-th pump after the report cancelAfter was recorded (the report's own pump first).
class RecordingProgress : public CProgress {
 public:
  std::vector<std::string> events;
  std::string cancelAfter;
  int pumpsToCancel = 1;
  int foreignCalls = 0;  // reports and pumps from any thread but the one that made the sink

  std::vector<std::string> Details() const {
    std::vector<std::string> details;
    for (const std::string& e : events)
      if (e.rfind("detail:", 0) == 0 && e.size() > 7) details.push_back(e.substr(7));
    return details;
  }

 protected:
  void ShowStage(const std::string& text) override { Record("stage:" + text); }
  void ShowDetail(const std::string& text) override { Record("detail:" + text); }
  void ShowPercent(int percent) override { Record("percent:" + std::to_string(percent)); }
  BOOL PumpMessages() override {
    if (std::this_thread::get_id() != m_owner) ++foreignCalls;
    if (m_armed) --pumpsToCancel;
    return m_armed && pumpsToCancel <= 0 ? TRUE : FALSE;
  }

 private:
  void Record(const std::string& event) {
    if (std::this_thread::get_id() != m_owner) ++foreignCalls;
    events.push_back(event);
    if (event == cancelAfter) m_armed = true;
  }

  std::thread::id m_owner = std::this_thread::get_id();
  bool m_armed = false;
};

}  // namespace test
