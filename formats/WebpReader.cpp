#include "formats/WebpReader.h"

#include <webp/decode.h>

#include <cstdio>
#include <limits>
#include <vector>

#include "formats/ImageLimits.h"
#include "formats/PixelRows.h"

namespace {

// Enough for the header of every kind of WebP file: the features lie in the first chunk.
constexpr std::size_t kHeaderBytes = 4096;
// The RIFF size field is 32 bits: no WebP file is larger.
constexpr long kMaxFileBytes = std::numeric_limits<std::uint32_t>::max();

using Bytes = std::vector<std::uint8_t>;

// Up to limit bytes from the start of the open file.
bool ReadStart(CDibImage& image, std::size_t limit, Bytes& bytes) {
  std::FILE* file = image.GetOpenFile();
  if (file == nullptr) return false;
  bytes.resize(limit);
  bytes.resize(std::fread(bytes.data(), 1, limit, file));
  return !bytes.empty();
}

// The whole open file, refused when it is larger than a WebP file can be.
bool ReadWhole(CDibImage& image, Bytes& bytes) {
  std::FILE* file = image.GetOpenFile();
  if (file == nullptr || std::fseek(file, 0, SEEK_END) != 0) return false;
  const long size = std::ftell(file);
  if (size <= 0 || size > kMaxFileBytes || std::fseek(file, 0, SEEK_SET) != 0) return false;
  return ReadStart(image, static_cast<std::size_t>(size), bytes);
}

bool ReadStillFeatures(const Bytes& bytes, WebPBitstreamFeatures& features) {
  return WebPGetFeatures(bytes.data(), bytes.size(), &features) == VP8_STATUS_OK &&
         !features.has_animation && features.width > 0 && features.height > 0;
}

// Whether the data holds at least the picture's first row. A few bytes may declare a picture of
// 16383 x 16383; decoding only the top row (the library then stops) costs a row's memory, not
// the whole picture's, and refuses such a file before anything of its size is allocated.
bool DecodesFirstRow(const Bytes& bytes, const WebPBitstreamFeatures& features) {
  WebPDecoderConfig config;
  if (!WebPInitDecoderConfig(&config)) return false;
  config.input = features;
  config.options.use_cropping = 1;
  config.options.crop_left = 0;
  config.options.crop_top = 0;
  config.options.crop_width = features.width;
  config.options.crop_height = 1;
  config.output.colorspace = MODE_BGRA;
  const bool decoded = WebPDecode(bytes.data(), bytes.size(), &config) == VP8_STATUS_OK;
  WebPFreeDecBuffer(&config.output);
  return decoded;
}

// Decodes as much of the picture as the data holds into config.output; the rows it filled,
// counted from the top. The decoder goes row by row, so data that ends early still gives the
// rows before it.
int DecodeRows(const Bytes& bytes, WebPDecoderConfig& config) {
  WebPIDecoder* decoder = WebPIDecode(nullptr, 0, &config);
  if (decoder == nullptr) return 0;
  const VP8StatusCode status = WebPIUpdate(decoder, bytes.data(), bytes.size());
  int rows = 0;
  if ((status == VP8_STATUS_OK || status == VP8_STATUS_SUSPENDED) &&
      WebPIDecGetRGB(decoder, &rows, nullptr, nullptr, nullptr) == nullptr)
    rows = 0;
  WebPIDelete(decoder);
  return rows;
}

// Opaque pictures are decoded straight into the image rows: the library writes blue, green, red
// and, told to flip, starts at the bottom row, which is where the image keeps its first row.
int DecodeOpaque(const Bytes& bytes, CDibImage& image, WebPDecoderConfig& config) {
  config.output.colorspace = MODE_BGR;
  config.output.is_external_memory = 1;
  config.output.u.RGBA.rgba = image.GetBits();
  config.output.u.RGBA.stride = static_cast<int>(image.GetRowBytes());
  config.output.u.RGBA.size = image.GetImageBytes();
  config.options.flip = 1;
  return DecodeRows(bytes, config);
}

// Pictures with alpha go through the library's own buffer of blue, green, red, alpha rows, shown
// over white; only the rows decoded are touched.
int DecodeWithAlpha(const Bytes& bytes, CDibImage& image, WebPDecoderConfig& config) {
  config.output.colorspace = MODE_BGRA;
  const int rows = DecodeRows(bytes, config);
  const std::uint8_t* pixels = config.output.u.RGBA.rgba;
  const auto stride = static_cast<std::size_t>(config.output.u.RGBA.stride);
  for (int y = 0; pixels != nullptr && y < rows; ++y)
    BgraOverWhiteRow(image.GetPixelAddress(0, y), pixels + y * stride, image.GetWidth());
  return pixels != nullptr ? rows : 0;
}

void Decode(CDibImage& image) {
  Bytes bytes;
  WebPDecoderConfig config;
  // The header is checked before the whole file is read: a large file of another kind that
  // shares the first byte is refused after its first kilobytes.
  if (!WebPInitDecoderConfig(&config) || !ReadStart(image, kHeaderBytes, bytes) ||
      !ReadStillFeatures(bytes, config.input) || !ReadWhole(image, bytes) ||
      !ReadStillFeatures(bytes, config.input) || !DecodesFirstRow(bytes, config.input))
    return;
  const int width = config.input.width, height = config.input.height;
  // The picture is allocated before the library decodes anything; its pages are touched only
  // where rows are decoded.
  if (!IsWithinAreaLimit(width, height) || !image.Create(width, height)) return;
  const int rows = config.input.has_alpha ? DecodeWithAlpha(bytes, image, config)
                                          : DecodeOpaque(bytes, image, config);
  WebPFreeDecBuffer(&config.output);
  image.m_currentRow = rows;
  // A first row followed by next to nothing is no picture of this size.
  const std::uint64_t filled = static_cast<std::uint64_t>(rows) * static_cast<std::uint64_t>(width);
  if (!DataCouldFill(width, height, PixelsFromBytes(filled, kCutShortSlack))) image.ReleasePixels();
}

}  // namespace

BOOL ProbeWebpFile(CDibImage& image, int& width, int& height, ReadContext& context) {
  context.orientation = 1;
  BOOL accepted = FALSE;
  try {
    Bytes bytes;
    WebPBitstreamFeatures features{};
    if (ReadStart(image, kHeaderBytes, bytes) && ReadStillFeatures(bytes, features) &&
        ReadWhole(image, bytes) && ReadStillFeatures(bytes, features) &&
        DecodesFirstRow(bytes, features)) {
      width = features.width;
      height = features.height;
      accepted = TRUE;
    }
  } catch (...) {
    accepted = FALSE;
  }
  image.CloseFile();
  return accepted;
}

void ReadWebpFile(CDibImage& image, ReadContext& context) {
  context.orientation = 1;
  try {
    Decode(image);
  } catch (...) {
    // No memory for the file's bytes or the alpha buffer: the image stays empty.
  }
  image.CloseFile();
}
