#include "formats/JpegPosterSettings.h"

#include <algorithm>
#include <cmath>

namespace {

// Coefficient bytes a pixel: two a luma sample, and two for each chroma sample of four pixels.
constexpr std::uint64_t kCoefficientBytesPerPixel = 3;

}  // namespace

bool JpegOptimisesCoding(std::int64_t width, std::int64_t height) {
  return width > 0 && height > 0 && width * height <= kJpegOptimisedPixels;
}

std::uint64_t JpegCodingBytes(std::int64_t width, std::int64_t height) {
  if (!JpegOptimisesCoding(width, height)) return 0;
  return static_cast<std::uint64_t>(width * height) * kCoefficientBytesPerPixel;
}

void SetPosterJpegSettings(jpeg_compress_struct& info, int width, int height, int quality,
                           double pixelsPerInch) {
  info.image_width = static_cast<JDIMENSION>(width);
  info.image_height = static_cast<JDIMENSION>(height);
  info.input_components = 3;
  info.in_color_space = JCS_EXT_BGR;  // the image's own byte order: rows go in unchanged
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, quality, TRUE);
  info.optimize_coding = JpegOptimisesCoding(width, height) ? TRUE : FALSE;
  // Dots per inch, rounded to the whole number the header holds; without a print size the
  // library's 1 × 1 aspect with no unit.
  if (pixelsPerInch >= 0.5) {
    info.density_unit = 1;
    info.X_density = info.Y_density =
        static_cast<UINT16>(std::min(std::lround(pixelsPerInch), long{UINT16_MAX}));
  }
}
