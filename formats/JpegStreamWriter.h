// Saving an image as a JPEG file while the image is still being made.
//
// The image is made top to bottom; its maker tells the writer, as rows become final, how many
// rows from the top are. A thread of the writer's own compresses those rows meanwhile, so that
// little more than the library's last pass is left when the image is complete. Finish then shows
// the saving stage exactly as WriteJpegFile does while it waits; the file's bytes are
// WriteJpegFile's. Only the thread that calls Finish reports progress.
#pragma once

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "formats/OutputTarget.h"
#include "formats/SaveResult.h"
#include "image/DibImage.h"

class CJpegSaveReport;
class CProgress;

class CJpegStreamWriter {
 public:
  // Starts writing image (24-bit) to target at the quality that qualityCode stands for. image
  // must outlive the writer and keep its pixels where they are; its rows are read only once
  // announced final.
  CJpegStreamWriter(const CDibImage& image, COutputTarget target, unsigned qualityCode);
  // Unless Finish ended the writing, stops it: no file appears, an existing one is untouched.
  ~CJpegStreamWriter();
  CJpegStreamWriter(const CJpegStreamWriter&) = delete;
  CJpegStreamWriter& operator=(const CJpegStreamWriter&) = delete;

  // The first rows rows from the top are final: they never change again. Never waits.
  void RowsFinal(int rows);
  // Every row is final now. Reports to progress (may be nullptr) what WriteJpegFile reports,
  // asking it whether to go on at least every 100 ms, and returns once the file is written or the
  // writing failed or was cancelled; errno then tells why a write failed.
  [[nodiscard]] SaveResult Finish(CProgress* progress);

 private:
  class Feed;
  // How far the writing thread got, as the calling thread last saw it.
  struct Seen {
    bool started = false;
    int compressed = 0;
    bool finishing = false;
    bool done = false;
    bool operator==(const Seen&) const = default;
  };

  void Write(int quality);
  [[nodiscard]] bool ShowNews(CJpegSaveReport& report, const Seen& shown, const Seen& now);
  [[nodiscard]] Seen WaitForNews(const Seen& last);
  void Stop();

  const CDibImage& m_image;
  const COutputTarget m_target;
  const unsigned m_qualityCode;

  std::mutex m_mutex;
  std::condition_variable m_changed;
  int m_finalRows = 0;
  bool m_goAhead = false;  // the file may be finished and named
  std::atomic<bool> m_stop{false};
  Seen m_progress;
  SaveResult m_result = SaveResult::kWriteError;
  int m_error = 0;
  std::unique_ptr<Feed> m_feed;
  std::thread m_thread;
};
