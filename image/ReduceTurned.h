// Turning, cutting and reducing a picture in one pass.
//
// A tile whose orientation differs from the majority's is turned a quarter left, cut to the
// cell's shape and box-averaged down to the cell. Box averages are sums of whole boxes of
// pixels, so the same result can be gathered straight from the unturned picture: this saves
// making the turned and the cut copies, the costliest steps of reading a large tile.
#pragma once

#include "image/DibImage.h"

// A rectangle of the picture as it stands after the quarter turn.
struct TurnedRect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};

// Replaces image by the same bytes that RotateLeft, CropToRect(rect) and Resample(newWidth,
// newHeight) give one after the other, for the case where the resampling reduces both
// directions (newWidth < rect.width and newHeight < rect.height). FALSE, image unchanged, when the
// image is not 24-bit, the rectangle does not lie inside the turned picture, a direction would
// not be reduced, or the memory cannot be had. Reports no progress.
[[nodiscard]] BOOL ReduceTurnedRect(CDibImage& image, const TurnedRect& rect, int newWidth,
                                    int newHeight);
