// A poster file written from the poster's rows as they are made, top row first, so that a
// poster going straight to a file is never held whole in memory.
//
// The file appears under its name only when Finish completes it; a writer destroyed before
// that, or after a failure, leaves no file and an existing file of that name untouched.
#pragma once

#include "formats/SaveResult.h"
#include "image/DibImage.h"

class CProgress;

class CPosterRowSink {
 public:
  virtual ~CPosterRowSink() = default;
  CPosterRowSink(const CPosterRowSink&) = delete;
  CPosterRowSink& operator=(const CPosterRowSink&) = delete;

  // Before any row: creates the file for a width × height 24-bit picture, recording
  // pixelsPerInch as its print resolution where the format has a place for it (0: none). False
  // when it cannot (Failure tells why).
  [[nodiscard]] virtual bool Begin(int width, int height, double pixelsPerInch) = 0;
  // The next count rows of the picture: rows [first, first + count) of rows, which is 24-bit and
  // as wide as the picture. False when writing failed (Failure tells why).
  [[nodiscard]] virtual bool Write(const CDibImage& rows, int first, int count) = 0;
  // After the last row: completes the file and gives it its name, reporting to progress (may be
  // nullptr), whose cancel stops it. After a failure, returns that failure. errno then tells why
  // a write failed.
  [[nodiscard]] virtual SaveResult Finish(CProgress* progress) = 0;

  // kSaved while nothing failed; otherwise what failed first.
  [[nodiscard]] SaveResult Failure() const { return m_failure; }

 protected:
  CPosterRowSink() = default;
  // Records the first failure with the errno that tells its cause; returns false.
  bool Fail(SaveResult failure);
  // The recorded failure, with errno restored to its cause.
  [[nodiscard]] SaveResult RecalledFailure() const;

 private:
  SaveResult m_failure = SaveResult::kSaved;
  int m_error = 0;
};
