// Compressing a 24-bit image into a JPEG file as its rows become ready.
//
// The compressing loop hands the library the image's rows top row first, kJpegRowsPerCall at a
// time, asking the feed before each step whether those rows may be read yet, and telling it how
// far it got. The file is a baseline JPEG, its Huffman tables optimised up to a size (see
// JpegPosterSettings.h); whoever feeds the rows, and however late they come, the file's bytes
// are the same.
#pragma once

#include <string>

#include "formats/OutputTarget.h"
#include "formats/SaveResult.h"
#include "image/DibImage.h"

class JpegRowFeed {
 public:
  virtual ~JpegRowFeed() = default;
  // Blocks until at least the first wanted rows may be read and answers how many may; fewer
  // than wanted when the writing must stop.
  virtual int WaitForRows(int wanted) = 0;
  // The library took the settings; the rows follow. False: stop.
  virtual bool Started() = 0;
  // The first done rows are compressed. False: stop.
  virtual bool Compressed(int done) = 0;
  // Every row is compressed; the library now writes the file. False: stop.
  virtual bool Finishing() = 0;
  // Asked from the library's own callbacks between its steps, the last pass included, and once
  // more before the file takes its name: true stops the writing at once, leaving no file. It
  // must not call back into anything that could wait on the user.
  [[nodiscard]] virtual bool Stopped() const { return false; }
};

// Writes image (24-bit, blue-green-red, at most JPEG_MAX_DIMENSION on each side) to target at
// library quality (1..100). The file appears only when complete: when the feed stops it, or on
// an error, an existing file of that name is untouched. errno tells why a write failed; it is
// set on the thread that calls this.
[[nodiscard]] SaveResult CompressJpegFile(const CDibImage& image, const COutputTarget& target,
                                          int quality, JpegRowFeed& feed);
