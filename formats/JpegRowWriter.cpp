#include "formats/JpegRowWriter.h"

#include <algorithm>
#include <cstdio>

#include <jerror.h>

#include "formats/JpegError.h"
#include "formats/JpegPosterSettings.h"
#include "formats/JpegSaveReport.h"
#include "formats/JpegWriter.h"
#include "image/Progress.h"
#include "resources/StringTable.h"

// One compression record with its error manager; destroying it releases everything the library
// allocated.
struct CJpegRowWriter::Compressor {
  Compressor() {
    info.err = InitJpegErrorManager(error);
    info.client_data = nullptr;  // the progress to ask while the file is finished
    monitor.progress_monitor = StopWhenCancelled;
  }
  ~Compressor() { jpeg_destroy_compress(&info); }
  Compressor(const Compressor&) = delete;
  Compressor& operator=(const Compressor&) = delete;

  // Called by the library between its steps: a cancel jumps out like an error.
  static void StopWhenCancelled(j_common_ptr record) {
    auto* progress = static_cast<CProgress*>(record->client_data);
    if (progress != nullptr && progress->CheckCancel()) RaiseJpegError(record, JERR_BAD_STATE);
  }

  jpeg_compress_struct info{};
  JpegErrorManager error{};
  jpeg_progress_mgr monitor{};
  bool created = false;
};

CJpegRowWriter::CJpegRowWriter(const COutputTarget& target, unsigned qualityCode)
    : m_output(target), m_quality(JpegQualityFor(qualityCode)) {}

CJpegRowWriter::~CJpegRowWriter() = default;

template <typename Step>
bool CJpegRowWriter::Guarded(Step&& step) {
  if (RunJpegGuarded(m_compressor->error, step)) return true;
  return Fail(m_compressor->error.pub.msg_code == JERR_OUT_OF_MEMORY ? SaveResult::kNoMemory
                                                                     : SaveResult::kWriteError);
}

bool CJpegRowWriter::Begin(int width, int height, double pixelsPerInch) {
  if (width <= 0 || height <= 0 || !JpegCanHold(width, height)) return Fail(SaveResult::kTooLarge);
  m_width = width;
  m_height = height;
  std::FILE* file = m_output.Open();
  if (file == nullptr) return Fail(SaveResult::kWriteError);
  m_compressor = std::make_unique<Compressor>();
  jpeg_compress_struct& info = m_compressor->info;
  jpeg_progress_mgr& monitor = m_compressor->monitor;
  return Guarded([&info, &monitor, file, width, height, pixelsPerInch, quality = m_quality] {
    jpeg_create_compress(&info);
    info.progress = &monitor;
    jpeg_stdio_dest(&info, file);
    SetPosterJpegSettings(info, width, height, quality, pixelsPerInch);
    jpeg_start_compress(&info, TRUE);
  });
}

// Rows are stored bottom-up, so each picture row lies GetRowBytes below the one above it.
bool CJpegRowWriter::Write(const CDibImage& rows, int first, int count) {
  if (!m_compressor || Failure() != SaveResult::kSaved || m_written + count > m_height)
    return Fail(SaveResult::kWriteError);
  jpeg_compress_struct& info = m_compressor->info;
  const std::size_t rowBytes = rows.GetRowBytes();
  JSAMPROW pointers[kJpegRowsPerCall];
  for (int done = 0; done < count;) {
    const int step = std::min(kJpegRowsPerCall, count - done);
    JSAMPROW row = rows.GetPixelAddress(0, first + done);
    for (int i = 0; i < step; ++i, row -= rowBytes) pointers[i] = row;
    JDIMENSION taken = 0;
    if (!Guarded([&] { taken = jpeg_write_scanlines(&info, pointers, static_cast<JDIMENSION>(step)); }))
      return false;
    done += static_cast<int>(taken);
  }
  m_written += count;
  return true;
}

SaveResult CJpegRowWriter::Finish(CProgress* progress) {
  if (Failure() != SaveResult::kSaved) return RecalledFailure();
  if (!m_compressor || m_written != m_height) return SaveResult::kWriteError;
  if (progress != nullptr && !progress->SetStage(res::IDS_SAVING_JPEG))
    return SaveResult::kCancelled;
  CJpegSaveReport report(progress, m_width, m_height);
  if (!report.Finishing()) return SaveResult::kCancelled;
  jpeg_compress_struct& info = m_compressor->info;
  info.client_data = progress;
  if (!Guarded([&info] { jpeg_finish_compress(&info); })) {
    if (progress != nullptr && progress->CheckCancel()) return SaveResult::kCancelled;
    return RecalledFailure();
  }
  m_compressor.reset();
  return m_output.Commit() ? SaveResult::kSaved : SaveResult::kWriteError;
}
