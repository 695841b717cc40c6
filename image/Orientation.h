// The eight EXIF orientations: how the stored pixels must be turned and mirrored to show the
// picture upright.
//
//   1 upright                 2 mirrored left-right     3 turned half round
//   4 mirrored top-bottom     5 mirrored along the      6 stored turned left: turn
//                               top-left diagonal          a quarter right to show
//   7 mirrored along the      8 stored turned right: turn
//     other diagonal             a quarter left to show
#pragma once

#include "image/DibImage.h"

constexpr int kOrientationUpright = 1;

// True for the values 1..8; every other value counts as upright.
[[nodiscard]] bool IsKnownOrientation(int orientation);

// True for 5..8, whose upright picture has width and height exchanged.
[[nodiscard]] bool OrientationSwapsSides(int orientation);

// Turns and mirrors a 24-bit image so that a picture stored with the given orientation shows
// upright. Orientations 2 to 4 work in place; 5 to 8 need a second image of the same size for a
// moment. Unknown orientations and 1 change nothing. FALSE (the image unchanged) when the second
// image cannot be had.
[[nodiscard]] BOOL TurnUpright(CDibImage& image, int orientation);
