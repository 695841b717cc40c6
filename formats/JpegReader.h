// Reading JPEG files through libjpeg.
//
// Both operations work on the image's open file (GetOpenFile), positioned at its first byte, and
// close it before they return. Nothing is thrown: library errors end the operation quietly and
// library warnings are dropped.
#pragma once

#include "formats/LoadOptions.h"
#include "image/DibImage.h"

// TRUE with the frame size stored in the header when the header can be read and its components
// can be shown (grayscale, YCbCr, RGB, CMYK or YCCK), and the file is large enough to hold data
// for the frame (see DataCouldFill). No pixels are decoded.
[[nodiscard]] BOOL ProbeJpegFile(CDibImage& image, int& width, int& height);

// Decodes the file into a new 24-bit image of the frame size, with the fast integer inverse
// transform and plain (non-smoothing) chroma upsampling. Grayscale becomes three equal bytes;
// CMYK and YCCK become their screen colours. A frame past the area limit is refused. An error
// before the pixels exist leaves the image empty; an error after leaves the rows decoded so far
// and the rest black, and the image counts as loaded. A file cut short loads at full size, the library filling what is missing.
// m_currentRow counts the rows delivered.
void ReadJpegFile(CDibImage& image);

// The same, with the EXIF orientation of an APP1 segment reported in context.orientation when
// context.options.turnUpright asks for it (the stored frame and pixels are not turned here). When
// the picture needs no turning and context.receiver accepts its size, the rows go to the
// receiver as they are decoded and the image gets no pixels. The forms above read the file as
// stored, without looking for an orientation.
[[nodiscard]] BOOL ProbeJpegFile(CDibImage& image, int& width, int& height, ReadContext& context);
void ReadJpegFile(CDibImage& image, ReadContext& context);
