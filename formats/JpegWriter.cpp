#include "formats/JpegWriter.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <new>

#include <jerror.h>

#include "formats/AtomicFile.h"
#include "formats/JpegError.h"
#include "image/NumberUtils.h"
#include "image/Progress.h"
#include "resources/StringTable.h"

namespace {

// The library refuses sides above this (a little under 64 K to keep its arithmetic safe).
constexpr int kMaxSide = static_cast<int>(JPEG_MAX_DIMENSION);
// Rows handed to the library per call.
constexpr int kRowsPerCall = 16;

// One compression record with its error manager; destroying it releases everything the library
// allocated.
struct Compressor {
  Compressor() { info.err = InitJpegErrorManager(error); }
  ~Compressor() { jpeg_destroy_compress(&info); }
  Compressor(const Compressor&) = delete;
  Compressor& operator=(const Compressor&) = delete;

  jpeg_compress_struct info{};
  JpegErrorManager error{};
};

bool ReportDetail(CProgress* progress, unsigned stringId) {
  return progress == nullptr || progress->SetDetail(stringId);
}

// Shows "%s KBytes compressed" for the image data consumed so far and the bar; false when the
// user cancelled. The library writes nothing before it finishes (optimised tables need every
// coefficient first), so the input is what can be counted while rows are compressed.
bool ReportRows(CProgress* progress, std::uint64_t inputBytes, int percent) {
  if (progress == nullptr) return true;
  char text[96];
  const std::string kbytes = FormatThousands(static_cast<std::uint32_t>(inputBytes / 1024));
  std::snprintf(text, sizeof text, res::LoadString(res::IDS_KBYTES_COMPRESSED), kbytes.c_str());
  return progress->SetDetail(std::string(text)) && progress->SetPercent(percent);
}

// Library errors jump out of the functions below (RunJpegGuarded): they keep no objects with
// destructors while they call the library.

void StartCompression(jpeg_compress_struct& info, const CDibImage& image, std::FILE* file,
                      int quality) {
  jpeg_create_compress(&info);
  jpeg_stdio_dest(&info, file);
  info.image_width = static_cast<JDIMENSION>(image.GetWidth());
  info.image_height = static_cast<JDIMENSION>(image.GetHeight());
  info.input_components = 3;
  info.in_color_space = JCS_EXT_BGR;  // the image's own byte order: rows go in unchanged
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, quality, TRUE);
  info.optimize_coding = TRUE;
  jpeg_start_compress(&info, TRUE);
}

// Hands the rows to the library top row first, straight from the image; false on a cancel.
// Rows are stored bottom-up, so each picture row lies GetRowBytes below the previous one.
bool CompressRows(jpeg_compress_struct& info, const CDibImage& image, CProgress* progress) {
  const int height = image.GetHeight();
  const std::size_t rowBytes = image.GetRowBytes();
  const std::uint64_t pixelRowBytes = static_cast<std::uint64_t>(image.GetWidth()) * 3;
  JSAMPROW rows[kRowsPerCall];
  int shownPercent = -1;
  for (int done = 0; done < height;) {
    const int count = std::min(kRowsPerCall, height - done);
    JSAMPROW row = image.GetPixelAddress(0, done);
    for (int i = 0; i < count; ++i, row -= rowBytes) rows[i] = row;
    done += static_cast<int>(jpeg_write_scanlines(&info, rows, static_cast<JDIMENSION>(count)));
    const int percent = static_cast<int>(static_cast<std::int64_t>(done) * 100 / height);
    if (percent != shownPercent) {
      shownPercent = percent;
      if (!ReportRows(progress, pixelRowBytes * static_cast<std::uint64_t>(done), percent))
        return false;
    }
  }
  return true;
}

SaveResult CompressImage(jpeg_compress_struct& info, const CDibImage& image, std::FILE* file,
                         int quality, CProgress* progress) {
  StartCompression(info, image, file, quality);
  if (!ReportDetail(progress, res::IDS_COMPRESSING)) return SaveResult::kCancelled;
  if (!CompressRows(info, image, progress)) return SaveResult::kCancelled;
  if (!ReportDetail(progress, res::IDS_FINISHING_COMPRESSION)) return SaveResult::kCancelled;
  jpeg_finish_compress(&info);
  return SaveResult::kSaved;
}

SaveResult Compress(const CDibImage& image, std::FILE* file, int quality, CProgress* progress) {
  Compressor compressor;
  SaveResult result = SaveResult::kWriteError;
  const bool completed = RunJpegGuarded(compressor.error, [&] {
    result = CompressImage(compressor.info, image, file, quality, progress);
  });
  if (completed) return result;
  return compressor.error.pub.msg_code == JERR_OUT_OF_MEMORY ? SaveResult::kNoMemory
                                                             : SaveResult::kWriteError;
}

}  // namespace

int JpegQualityFor(unsigned qualityCode) {
  // 75 is the library's own default and the usual balance of size and fidelity; 90 keeps
  // photographs visually indistinguishable from the original at about twice the size; 50 about
  // halves the Medium file again, with artefacts that a poster viewed from a distance hides.
  switch (qualityCode) {
    case kJpegQualityHigh: return 90;
    case kJpegQualityLow: return 50;
    default: return 75;
  }
}

bool JpegCanHold(std::int64_t width, std::int64_t height) {
  return width >= 0 && height >= 0 && width <= kMaxSide && height <= kMaxSide;
}

SaveResult WriteJpegFile(const CDibImage& image, const std::string& fileName, unsigned qualityCode,
                         CProgress* progress) {
  if (!image.IsValid() || !image.Is24Bit()) return SaveResult::kWriteError;
  if (!JpegCanHold(image.GetWidth(), image.GetHeight())) return SaveResult::kTooLarge;
  try {
    if (progress != nullptr && (!progress->SetStage(res::IDS_SAVING_JPEG) ||
                                !progress->SetDetail(res::IDS_STARTING_COMPRESSION)))
      return SaveResult::kCancelled;
    CAtomicFile output(fileName);
    std::FILE* file = output.Open();
    if (file == nullptr) return SaveResult::kWriteError;
    const SaveResult result = Compress(image, file, JpegQualityFor(qualityCode), progress);
    if (result != SaveResult::kSaved) return result;
    return output.Commit() ? SaveResult::kSaved : SaveResult::kWriteError;
  } catch (const std::bad_alloc&) {
    return SaveResult::kNoMemory;
  }
}
