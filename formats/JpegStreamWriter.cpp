#include "formats/JpegStreamWriter.h"

#include <cerrno>
#include <chrono>
#include <system_error>

#include "formats/JpegRowFeed.h"
#include "formats/JpegSaveReport.h"
#include "formats/JpegWriter.h"
#include "image/Progress.h"
#include "resources/StringTable.h"

namespace {

// How long Finish waits for news from the writing thread before it asks whether to go on: well
// inside the tenth of a second in which Cancel must be answered.
constexpr std::chrono::milliseconds kPollInterval{40};

}  // namespace

// The writing thread's side: waits for final rows, and records how far it got for Finish.
class CJpegStreamWriter::Feed : public JpegRowFeed {
 public:
  explicit Feed(CJpegStreamWriter& writer) : m_writer(writer) {}

  int WaitForRows(int wanted) override {
    std::unique_lock lock(m_writer.m_mutex);
    m_writer.m_changed.wait(lock, [&] { return m_writer.m_finalRows >= wanted || Stopped(); });
    return Stopped() ? 0 : m_writer.m_finalRows;
  }
  bool Started() override {
    return Record([](Seen& seen) { seen.started = true; });
  }
  bool Compressed(int done) override {
    return Record([done](Seen& seen) { seen.compressed = done; });
  }
  // The last pass and the naming of the file wait until Finish has shown "Finishing
  // compression": a writer dropped without Finish leaves no file even when every row was final.
  bool Finishing() override {
    std::unique_lock lock(m_writer.m_mutex);
    m_writer.m_progress.finishing = true;
    m_writer.m_changed.notify_all();
    m_writer.m_changed.wait(lock, [&] { return m_writer.m_goAhead || Stopped(); });
    return !Stopped();
  }
  bool Stopped() const override { return m_writer.m_stop.load(std::memory_order_relaxed); }

 private:
  template <typename Change>
  bool Record(Change change) {
    {
      std::lock_guard lock(m_writer.m_mutex);
      change(m_writer.m_progress);
    }
    m_writer.m_changed.notify_all();
    return !Stopped();
  }

  CJpegStreamWriter& m_writer;
};

CJpegStreamWriter::CJpegStreamWriter(const CDibImage& image, COutputTarget target,
                                     unsigned qualityCode)
    : m_image(image), m_target(std::move(target)), m_qualityCode(qualityCode) {
  // An image that cannot be written, or a thread that cannot be had, leaves the whole of the
  // work to Finish, which then writes (or refuses) as WriteJpegFile does.
  if (!image.IsValid() || !image.Is24Bit() || !JpegCanHold(image.GetWidth(), image.GetHeight()))
    return;
  m_feed = std::make_unique<Feed>(*this);
  try {
    m_thread = std::thread([this, quality = JpegQualityFor(qualityCode)] { Write(quality); });
  } catch (const std::system_error&) {
    m_feed.reset();
  }
}

CJpegStreamWriter::~CJpegStreamWriter() { Stop(); }

void CJpegStreamWriter::Write(int quality) {
  errno = 0;
  const SaveResult result = CompressJpegFile(m_image, m_target, quality, *m_feed);
  const int error = errno;
  {
    std::lock_guard lock(m_mutex);
    m_result = result;
    m_error = error;
    m_progress.done = true;
  }
  m_changed.notify_all();
}

void CJpegStreamWriter::RowsFinal(int rows) {
  {
    std::lock_guard lock(m_mutex);
    if (rows <= m_finalRows) return;
    m_finalRows = rows;
  }
  m_changed.notify_all();
}

void CJpegStreamWriter::Stop() {
  {
    std::lock_guard lock(m_mutex);
    m_stop.store(true, std::memory_order_relaxed);
  }
  m_changed.notify_all();
  if (m_thread.joinable()) m_thread.join();
}

CJpegStreamWriter::Seen CJpegStreamWriter::WaitForNews(const Seen& last) {
  std::unique_lock lock(m_mutex);
  m_changed.wait_for(lock, kPollInterval, [&] { return !(m_progress == last); });
  return m_progress;
}

// Shows what the writing thread did since shown, in the order WriteJpegFile shows it; once
// "Finishing compression" is shown the thread may finish. False when the user cancelled.
bool CJpegStreamWriter::ShowNews(CJpegSaveReport& report, const Seen& shown, const Seen& now) {
  if (now.started && !shown.started && !report.Compressing()) return false;
  if (!report.RowsCompressed(now.compressed)) return false;
  if (!now.finishing || shown.finishing) return true;
  if (!report.Finishing()) return false;
  {
    std::lock_guard lock(m_mutex);
    m_goAhead = true;
  }
  m_changed.notify_all();
  return true;
}

SaveResult CJpegStreamWriter::Finish(CProgress* progress) {
  if (!m_thread.joinable()) return WriteJpegFile(m_image, m_target, m_qualityCode, progress);
  if (progress != nullptr && (!progress->SetStage(res::IDS_SAVING_JPEG) ||
                              !progress->SetDetail(res::IDS_STARTING_COMPRESSION))) {
    Stop();
    return SaveResult::kCancelled;
  }
  RowsFinal(m_image.GetHeight());
  CJpegSaveReport report(progress, m_image.GetWidth(), m_image.GetHeight());
  for (Seen shown;;) {
    const Seen now = WaitForNews(shown);
    const bool goOn = ShowNews(report, shown, now);
    shown = now;
    // A file already named stays: the user saw "Finishing compression" before cancelling.
    if (now.done) break;
    if (!goOn || (progress != nullptr && progress->CheckCancel())) {
      Stop();
      return SaveResult::kCancelled;
    }
  }
  m_thread.join();
  errno = m_error;
  return m_result;
}
