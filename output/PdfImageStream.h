// The data of one picture in a PDF file, compressed as its rows arrive: JPEG (the DCTDecode
// filter) at a quality, or the exact pixels deflated (FlateDecode) after PNG's Up prediction,
// which photographs shrink by more than the plain bytes do. Rows go straight from the image to
// the file; only one row is held.
#pragma once

#include <cstdio>
#include <memory>
#include <string>

#include "image/DibImage.h"

class CPdfImageStream {
 public:
  virtual ~CPdfImageStream() = default;
  // The stream dictionary's filter entries for a picture width pixels wide.
  [[nodiscard]] virtual std::string FilterEntries(int width) const = 0;
  // Starts a width × height picture written to file at its current position.
  [[nodiscard]] virtual bool Begin(std::FILE* file, int width, int height) = 0;
  // The next rows: image's rows y .. y + rows - 1 from column x on, picture-width pixels each.
  [[nodiscard]] virtual bool Rows(const CDibImage& image, int x, int y, int rows) = 0;
  // Writes what is still held; the picture's data is then complete.
  [[nodiscard]] virtual bool End() = 0;
};

// jpegQuality 1..100: JPEG at that quality; 0: exact pixels.
[[nodiscard]] std::unique_ptr<CPdfImageStream> MakePdfImageStream(int jpegQuality);
