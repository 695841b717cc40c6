// Changing the pixel size of a 24-bit image.
//
// Reducing a direction (new size below the old) averages whole boxes of source pixels;
// enlarging it (new size equal or above) interpolates between neighbours. Equal sizes therefore
// do not copy: they interpolate half a pixel up and to the left. Long resamplings report to the
// progress sink of the image being read ("Preparing to resample image . . .", then
// "Resampling image . . ." with the percentage) and stop when the user cancels; a cancelled
// resampling still succeeds, with the rows not reached left black, and the caller learns of the
// cancel from the sink, whose answer stays FALSE.
#pragma once

#include "image/DibImage.h"
#include "image/Types.h"

// Resamples image in place to newWidth × newHeight. FALSE, image unchanged, when it is not
// 24-bit, a new size is below 1, or the memory cannot be had.
[[nodiscard]] BOOL Resample(CDibImage& image, int newWidth, int newHeight);

// Makes destination a newWidth × newHeight resampled copy of source. For the duration,
// destination's progress sink (if any) is lent to source. FALSE, both unchanged, when source is
// not 24-bit or a new size is below 1; FALSE with destination left without pixels when it cannot
// be re-created, or black at the new size when a working buffer cannot be had.
//
// preShrink bounds the work of strong reductions: when both directions are reduced and
// preShrink is non-zero, a source larger than preShrink times the new size in either direction
// is first drawn at that size by nearest neighbour, and the box average runs from there.
// destination and source may be the same image. threads above 1 lets a resampling that enlarges
// or reduces both ways make its rows on that many threads, with the same bytes.
[[nodiscard]] BOOL ResampleFrom(CDibImage& destination, int newWidth, int newHeight,
                                CDibImage& source, int preShrink, int threads = 1);
