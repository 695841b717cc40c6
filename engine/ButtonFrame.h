// The transparent button frame drawn around a tile image: light along the top and left, dark
// along the bottom and right, shaded from the outer edge inwards.
#pragma once

#include "image/DibImage.h"

// Draws the frame on a 24-bit image in place; other images are left unchanged. thickness sets
// the strip widths (thickness 5 gives strips of about a twentieth of each side, at least one
// pixel). The colours run between the image's shadow and highlight colours. With blended set,
// the frame covers the picture almost fully at the outer edge and fades out towards the inner
// edge; otherwise the frame pixels take the frame colour outright. Needs 12 bytes of working
// memory per column and lets std::bad_alloc through when even that cannot be had.
void DrawButtonFrame(CDibImage& image, int thickness, BOOL blended);
