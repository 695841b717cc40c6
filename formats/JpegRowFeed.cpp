#include "formats/JpegRowFeed.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <new>

#include <jerror.h>

#include "formats/AtomicFile.h"
#include "formats/JpegError.h"
#include "formats/JpegPosterSettings.h"
#include "formats/JpegSaveReport.h"

namespace {

// One compression record with its error manager; destroying it releases everything the library
// allocated.
struct Compressor {
  explicit Compressor(JpegRowFeed& feed) {
    info.err = InitJpegErrorManager(error);
    info.client_data = &feed;  // kept by jpeg_create_compress, read by StopWhenAsked
  }
  ~Compressor() { jpeg_destroy_compress(&info); }
  Compressor(const Compressor&) = delete;
  Compressor& operator=(const Compressor&) = delete;

  jpeg_compress_struct info{};
  JpegErrorManager error{};
  jpeg_progress_mgr monitor{};
};

// The library calls this for every call of jpeg_write_scanlines and for every row of blocks of
// its last pass: a stop jumps out like an error, which the caller tells apart by asking again.
void StopWhenAsked(j_common_ptr info) {
  if (static_cast<const JpegRowFeed*>(info->client_data)->Stopped())
    RaiseJpegError(info, JERR_BAD_STATE);
}

// Library errors jump out of the functions below (RunJpegGuarded): they keep no objects with
// destructors while they call the library.

void StartCompression(jpeg_compress_struct& info, jpeg_progress_mgr& monitor,
                      const CDibImage& image, std::FILE* file, int quality) {
  jpeg_create_compress(&info);
  monitor.progress_monitor = StopWhenAsked;
  info.progress = &monitor;
  jpeg_stdio_dest(&info, file);
  SetPosterJpegSettings(info, image.GetWidth(), image.GetHeight(), quality,
                        image.GetPixelsPerInch());
  jpeg_start_compress(&info, TRUE);
}

// Hands the rows to the library top row first, straight from the image, as the feed releases
// them; false when it stops the writing. Rows are stored bottom-up, so each picture row lies
// GetRowBytes below the previous one.
bool CompressRows(jpeg_compress_struct& info, const CDibImage& image, JpegRowFeed& feed) {
  const int height = image.GetHeight();
  const std::size_t rowBytes = image.GetRowBytes();
  JSAMPROW rows[kJpegRowsPerCall];
  for (int done = 0; done < height;) {
    const int count = std::min(kJpegRowsPerCall, height - done);
    if (feed.WaitForRows(done + count) < done + count) return false;
    JSAMPROW row = image.GetPixelAddress(0, done);
    for (int i = 0; i < count; ++i, row -= rowBytes) rows[i] = row;
    done += static_cast<int>(jpeg_write_scanlines(&info, rows, static_cast<JDIMENSION>(count)));
    if (!feed.Compressed(done)) return false;
  }
  return true;
}

SaveResult CompressImage(Compressor& compressor, const CDibImage& image, std::FILE* file,
                         int quality, JpegRowFeed& feed) {
  jpeg_compress_struct& info = compressor.info;
  StartCompression(info, compressor.monitor, image, file, quality);
  if (!feed.Started() || !CompressRows(info, image, feed) || !feed.Finishing())
    return SaveResult::kCancelled;
  jpeg_finish_compress(&info);
  return SaveResult::kSaved;
}

SaveResult Compress(const CDibImage& image, std::FILE* file, int quality, JpegRowFeed& feed) {
  Compressor compressor(feed);
  SaveResult result = SaveResult::kWriteError;
  const bool completed = RunJpegGuarded(compressor.error, [&] {
    result = CompressImage(compressor, image, file, quality, feed);
  });
  if (completed) return result;
  if (feed.Stopped()) return SaveResult::kCancelled;
  return compressor.error.pub.msg_code == JERR_OUT_OF_MEMORY ? SaveResult::kNoMemory
                                                             : SaveResult::kWriteError;
}

}  // namespace

SaveResult CompressJpegFile(const CDibImage& image, const COutputTarget& target, int quality,
                            JpegRowFeed& feed) {
  try {
    CAtomicFile output(target);
    std::FILE* file = output.Open();
    if (file == nullptr) return SaveResult::kWriteError;
    const SaveResult result = Compress(image, file, quality, feed);
    if (result != SaveResult::kSaved) return result;
    if (feed.Stopped()) return SaveResult::kCancelled;
    return output.Commit() ? SaveResult::kSaved : SaveResult::kWriteError;
  } catch (const std::bad_alloc&) {
    return SaveResult::kNoMemory;
  }
}
