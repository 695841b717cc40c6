// Writing a 24-bit image as a Windows bitmap file.
#pragma once

#include <cstdint>
#include <string>

#include "formats/AtomicFile.h"
#include "formats/OutputTarget.h"
#include "formats/PosterRowSink.h"
#include "formats/SaveResult.h"
#include "image/DibImage.h"

class CProgress;

// Writes image (24-bit) to target: "BM", a 40-byte information header, bottom-up rows padded
// to 4 bytes. Reports "Writing header" and then the kilobytes written to progress (may be
// nullptr), whose cancel stops the writing. The file appears only when complete: on cancel or
// error an existing file of that name is untouched. A picture whose file would pass the
// format's 4 GiB size field is refused before anything is written.
// Whether a width × height 24-bit picture fits the format's 32-bit file size field.
[[nodiscard]] bool BmpCanHold(std::int64_t width, std::int64_t height);

[[nodiscard]] SaveResult WriteBmpFile(const CDibImage& image, const COutputTarget& target,
                                      CProgress* progress);

// Writes a BMP file from its rows as they are made, top row first: each run of rows goes
// straight to its place in the bottom-up file, so the picture is never held whole. The file has
// the bytes WriteBmpFile writes for the same picture. A picture the format cannot hold is
// refused at Begin, before the file is created.
class CBmpRowWriter : public CPosterRowSink {
 public:
  explicit CBmpRowWriter(const COutputTarget& target);

  [[nodiscard]] bool Begin(int width, int height, double pixelsPerInch) override;
  [[nodiscard]] bool Write(const CDibImage& rows, int first, int count) override;
  [[nodiscard]] SaveResult Finish(CProgress* progress) override;

 private:
  CAtomicFile m_output;
  std::FILE* m_file = nullptr;
  int m_height = 0;
  int m_written = 0;  // rows from the top written so far
  std::uint64_t m_rowBytes = 0;
};
