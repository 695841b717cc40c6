// A poster laid into a scratch file instead of memory, so that a poster too large to hold can
// still be printed: the build writes its rows top row first, and the print job reads back the
// rectangles each page shows.
//
// The file has no name from the start, so nothing of it is left when the job ends, however it
// ends; its rows are the plain pixels, read back a rectangle at a time, never mapped whole.
#pragma once

#include <memory>
#include <string>
#include <utility>

#include "formats/PosterRowSink.h"
#include "output/PrintSource.h"

class CPosterSpool : public CPosterRowSink, public CPrintSource {
 public:
  // A scratch file in folder; nullptr (errno telling why) when none can be made there.
  [[nodiscard]] static std::unique_ptr<CPosterSpool> Create(const std::string& folder);
  ~CPosterSpool() override;

  [[nodiscard]] bool Begin(int width, int height, double pixelsPerInch) override;
  [[nodiscard]] bool Write(const CDibImage& rows, int first, int count) override;
  // Every row is written: nothing remains to be done but to tell of a failure.
  [[nodiscard]] SaveResult Finish(CProgress* progress) override;

  [[nodiscard]] int Width() const override { return m_width; }
  [[nodiscard]] int Height() const override { return m_height; }
  [[nodiscard]] SourcePixels Pixels(int x, int y, int width, int height) override;
  [[nodiscard]] bool Failed() const override { return m_readFailed; }
  // The folder the file lies in, to name in messages.
  [[nodiscard]] const std::string& Folder() const { return m_folder; }

 private:
  CPosterSpool(int file, std::string folder) : m_file(file), m_folder(std::move(folder)) {}
  [[nodiscard]] std::int64_t Offset(int x, int y) const;

  const int m_file;
  const std::string m_folder;
  int m_width = 0;
  int m_height = 0;
  int m_rowsWritten = 0;
  CDibImage m_rectangle;  // the rectangle last read, at its top-left corner
  bool m_readFailed = false;
};

// The folder for scratch files when the job writes no file of its own: TMPDIR, else /var/tmp,
// which stays on disk where /tmp may be held in memory.
[[nodiscard]] std::string ScratchFolder();
