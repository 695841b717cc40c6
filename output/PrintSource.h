// What the pages of a print job show: a picture held whole in memory, or a poster that was laid
// into a scratch file because it would not fit there (see PosterSpool).
#pragma once

#include "image/DibImage.h"

// Where a rectangle of the source can be read: image holds it from (x, y) on.
struct SourcePixels {
  const CDibImage* image = nullptr;
  int x = 0;
  int y = 0;
};

class CPrintSource {
 public:
  virtual ~CPrintSource() = default;
  [[nodiscard]] virtual int Width() const = 0;
  [[nodiscard]] virtual int Height() const = 0;
  // The width × height pixels at (x, y), a rectangle inside the source; they stay readable until
  // the next call.
  [[nodiscard]] virtual SourcePixels Pixels(int x, int y, int width, int height) = 0;
  // Whether a rectangle could not be read (its pixels are then not the source's): the job must
  // not be delivered.
  [[nodiscard]] virtual bool Failed() const { return false; }
};

// A picture held whole: every rectangle is read in place.
class CWholePrintSource : public CPrintSource {
 public:
  explicit CWholePrintSource(const CDibImage& image) : m_image(image) {}
  [[nodiscard]] int Width() const override { return m_image.GetWidth(); }
  [[nodiscard]] int Height() const override { return m_image.GetHeight(); }
  [[nodiscard]] SourcePixels Pixels(int x, int y, int, int) override { return {&m_image, x, y}; }

 private:
  const CDibImage& m_image;
};
