// Writing a 24-bit image as a PNG file through libspng.
#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "formats/AtomicFile.h"
#include "formats/OutputTarget.h"
#include "formats/PosterRowSink.h"
#include "formats/SaveResult.h"
#include "image/DibImage.h"

class CProgress;
struct spng_ctx;

// Writes image (24-bit, blue-green-red) to target as an 8-bit red-green-blue PNG, not
// interlaced. Reports "Saving poster image to disk using PNG format . . ." and then the
// kilobytes written with the bar per whole percent of rows to progress (may be nullptr), whose
// cancel stops the writing. The file appears only when complete: on cancel or error an existing
// file of that name is untouched.
[[nodiscard]] SaveResult WritePngFile(const CDibImage& image, const COutputTarget& target,
                                      CProgress* progress);

// Writes a PNG file (as WritePngFile does, with its bytes) from its rows as they are made, top
// row first, so the picture is never held whole.
class CPngRowWriter : public CPosterRowSink {
 public:
  explicit CPngRowWriter(const COutputTarget& target);
  ~CPngRowWriter() override;

  [[nodiscard]] bool Begin(int width, int height, double pixelsPerInch) override;
  [[nodiscard]] bool Write(const CDibImage& rows, int first, int count) override;
  [[nodiscard]] SaveResult Finish(CProgress* progress) override;
  // Bytes of the file so far.
  [[nodiscard]] long BytesWritten() const;

 private:
  struct SpngDeleter {
    void operator()(spng_ctx* ctx) const;
  };

  CAtomicFile m_output;
  std::FILE* m_file = nullptr;
  std::unique_ptr<spng_ctx, SpngDeleter> m_ctx;
  std::vector<std::uint8_t> m_row;  // one row, red-green-blue
  int m_height = 0;
  int m_written = 0;
};
