// Writing a poster's JPEG file from its rows as they are made, top row first, on the calling
// thread. The file has the bytes WriteJpegFile writes for the same picture; above the size
// where its Huffman tables are no longer optimised (JpegPosterSettings.h), the library holds
// nothing of the picture beyond a few rows, so the poster is never held whole.
#pragma once

#include <memory>
#include <string>

#include "formats/AtomicFile.h"
#include "formats/PosterRowSink.h"

class CJpegRowWriter : public CPosterRowSink {
 public:
  // qualityCode: the stored quality code (1045 High, 1046 Medium, 1047 Low).
  CJpegRowWriter(const COutputTarget& target, unsigned qualityCode);
  ~CJpegRowWriter() override;

  [[nodiscard]] bool Begin(int width, int height, double pixelsPerInch) override;
  [[nodiscard]] bool Write(const CDibImage& rows, int first, int count) override;
  // Shows "Finishing compression" and lets the library write what it kept; progress's cancel
  // stops that too.
  [[nodiscard]] SaveResult Finish(CProgress* progress) override;

 private:
  struct Compressor;

  // Runs a step that calls the library; false (the failure recorded) when it raised an error.
  template <typename Step>
  bool Guarded(Step&& step);

  CAtomicFile m_output;
  const int m_quality;
  std::unique_ptr<Compressor> m_compressor;
  int m_width = 0;
  int m_height = 0;
  int m_written = 0;
};
