#include "formats/PngReader.h"

#include <spng.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "formats/ExifOrientation.h"
#include "formats/ImageLimits.h"
#include "formats/PixelRows.h"

namespace {

// Ancillary chunks larger than this are skipped, and all those kept together may not exceed the
// cache limit: text and profile chunks of hostile files could otherwise take gigabytes.
constexpr std::size_t kChunkLimitBytes = std::size_t{1} << 24;
constexpr std::size_t kChunkCacheBytes = std::size_t{1} << 26;

struct SpngDeleter {
  void operator()(spng_ctx* ctx) const { spng_ctx_free(ctx); }
};
using SpngContext = std::unique_ptr<spng_ctx, SpngDeleter>;

// How decoded rows become image rows.
enum class RowKind {
  kRgb,     // three bytes, swapped in the image row itself
  kRgba,    // four bytes, shown over white
  kRgba16,  // four 16-bit samples, shown over white and rounded to bytes
};

// Deflate gives at most 1,032 bytes for each byte it reads.
constexpr std::uint64_t kMostInflatedBytesPerByte = 1032;

int ChannelsOf(const spng_ihdr& ihdr) {
  switch (ihdr.color_type) {
    case SPNG_COLOR_TYPE_TRUECOLOR: return 3;
    case SPNG_COLOR_TYPE_GRAYSCALE_ALPHA: return 2;
    case SPNG_COLOR_TYPE_TRUECOLOR_ALPHA: return 4;
    default: return 1;  // greys and palette indices
  }
}

// Whether fileBytes of compressed data could fill the picture the header declares.
bool DataCouldFillPicture(const spng_ihdr& ihdr, std::uint64_t fileBytes) {
  const auto bitsPerPixel = static_cast<std::uint64_t>(std::max(ihdr.bit_depth * ChannelsOf(ihdr), 1));
  const std::uint64_t dataPixels =
      PixelsFromBytes(fileBytes, kMostInflatedBytesPerByte * 8) / bitsPerPixel;
  return DataCouldFill(static_cast<int>(ihdr.width), static_cast<int>(ihdr.height), dataPixels);
}

// A decoder on the open file whose header has been read and accepted.
SpngContext OpenDecoder(CDibImage& image, spng_ihdr& ihdr) {
  std::FILE* file = image.GetOpenFile();
  if (file == nullptr) return nullptr;
  const std::uint64_t fileBytes = BytesLeft(file);
  SpngContext ctx(spng_ctx_new(0));
  if (!ctx) return nullptr;
  if (spng_set_image_limits(ctx.get(), kPngMaxSide, kPngMaxSide) != 0 ||
      spng_set_chunk_limits(ctx.get(), kChunkLimitBytes, kChunkCacheBytes) != 0 ||
      spng_set_png_file(ctx.get(), file) != 0 || spng_get_ihdr(ctx.get(), &ihdr) != 0 ||
      !DataCouldFillPicture(ihdr, fileBytes))
    return nullptr;
  return ctx;
}

void FindOrientation(spng_ctx* ctx, ReadContext& context) {
  context.orientation = 1;
  if (!context.options.turnUpright) return;
  spng_exif exif{};
  if (spng_get_exif(ctx, &exif) == 0)
    context.orientation =
        ExifOrientation(reinterpret_cast<const std::uint8_t*>(exif.data), exif.length);
}

RowKind ChooseRowKind(spng_ctx* ctx, const spng_ihdr& ihdr, bool& transparency) {
  spng_trns trns{};
  transparency = spng_get_trns(ctx, &trns) == 0;
  if (ihdr.bit_depth == 16) return RowKind::kRgba16;
  const bool alpha = ihdr.color_type == SPNG_COLOR_TYPE_GRAYSCALE_ALPHA ||
                     ihdr.color_type == SPNG_COLOR_TYPE_TRUECOLOR_ALPHA;
  return alpha || transparency ? RowKind::kRgba : RowKind::kRgb;
}

int FormatOf(RowKind kind) {
  switch (kind) {
    case RowKind::kRgb: return SPNG_FMT_RGB8;
    case RowKind::kRgba: return SPNG_FMT_RGBA8;
    case RowKind::kRgba16: return SPNG_FMT_RGBA16;
  }
  return SPNG_FMT_RGB8;
}

void ConvertRow(std::uint8_t* target, const std::uint8_t* decoded, int width, RowKind kind) {
  switch (kind) {
    case RowKind::kRgb: RgbToBgrRow(target, decoded, width); break;
    case RowKind::kRgba: RgbaOverWhiteRow(target, decoded, width); break;
    case RowKind::kRgba16:
      Rgba16OverWhiteRow(target, reinterpret_cast<const std::uint16_t*>(decoded), width);
      break;
  }
}

// Rows arrive top to bottom. Opaque 8-bit rows are decoded into the image row itself and
// swapped there; the others go through one row of the library's format.
void DecodeSequential(spng_ctx* ctx, CDibImage& image, RowKind kind, std::size_t rowBytes,
                      std::vector<std::uint8_t>& row) {
  const int width = image.GetWidth();
  for (int y = image.m_currentRow; y < image.GetHeight(); ++y) {
    std::uint8_t* target = image.GetPixelAddress(0, y);
    std::uint8_t* decoded = kind == RowKind::kRgb ? target : row.data();
    const int status = spng_decode_row(ctx, decoded, rowBytes);
    if (status != 0 && status != SPNG_EOI) return;
    ConvertRow(target, decoded, width, kind);
    image.m_currentRow = y + 1;
    if (status == SPNG_EOI) return;
  }
}

// Interlaced files fill each row over seven passes, so the whole picture is decoded into one
// buffer first; rows not reached when the data ends stay zero.
void DecodeInterlaced(spng_ctx* ctx, CDibImage& image, RowKind kind, std::size_t rowBytes,
                      std::vector<std::uint8_t>& rows, int status) {
  const std::size_t height = static_cast<std::size_t>(image.GetHeight());
  while (status == 0) {
    spng_row_info info{};
    if (spng_get_row_info(ctx, &info) != 0 || info.row_num >= height) break;
    status = spng_decode_row(ctx, rows.data() + info.row_num * rowBytes, rowBytes);
  }
  for (int y = 0; y < image.GetHeight(); ++y)
    ConvertRow(image.GetPixelAddress(0, y), rows.data() + y * rowBytes, image.GetWidth(), kind);
  image.m_currentRow = image.GetHeight();
}

void Decode(CDibImage& image, ReadContext& context) {
  spng_ihdr ihdr{};
  SpngContext ctx = OpenDecoder(image, ihdr);
  if (!ctx || !IsWithinAreaLimit(static_cast<int>(ihdr.width), static_cast<int>(ihdr.height)))
    return;
  FindOrientation(ctx.get(), context);
  bool transparency = false;
  const RowKind kind = ChooseRowKind(ctx.get(), ihdr, transparency);
  std::size_t imageBytes = 0;
  if (spng_decoded_image_size(ctx.get(), FormatOf(kind), &imageBytes) != 0) return;
  const std::size_t rowBytes = imageBytes / ihdr.height;
  const int flags = SPNG_DECODE_PROGRESSIVE | (transparency ? SPNG_DECODE_TRNS : 0);
  if (spng_decode_image(ctx.get(), nullptr, 0, FormatOf(kind), flags) != 0) return;
  // A few bytes may declare a picture of gigabytes: the first row is decoded before anything of
  // the picture's size is allocated, and a file whose data ends before it is refused.
  std::vector<std::uint8_t> first(rowBytes);
  spng_row_info info{};
  if (spng_get_row_info(ctx.get(), &info) != 0) return;
  const int status = spng_decode_row(ctx.get(), first.data(), rowBytes);
  if (status != 0 && status != SPNG_EOI) return;
  if (!image.Create(static_cast<int>(ihdr.width), static_cast<int>(ihdr.height))) return;
  image.m_currentRow = 0;
  if (ihdr.interlace_method != SPNG_INTERLACE_NONE) {
    std::vector<std::uint8_t> rows(imageBytes);
    std::copy(first.begin(), first.end(), rows.begin() + info.row_num * rowBytes);
    DecodeInterlaced(ctx.get(), image, kind, rowBytes, rows, status);
    return;
  }
  ConvertRow(image.GetPixelAddress(0, 0), first.data(), image.GetWidth(), kind);
  image.m_currentRow = 1;
  if (status == 0) DecodeSequential(ctx.get(), image, kind, rowBytes, first);
}

}  // namespace

BOOL ProbePngFile(CDibImage& image, int& width, int& height, ReadContext& context) {
  BOOL accepted = FALSE;
  {
    spng_ihdr ihdr{};
    SpngContext ctx = OpenDecoder(image, ihdr);
    if (ctx) {
      FindOrientation(ctx.get(), context);
      width = static_cast<int>(ihdr.width);
      height = static_cast<int>(ihdr.height);
      accepted = TRUE;
    }
  }
  image.CloseFile();
  return accepted;
}

void ReadPngFile(CDibImage& image, ReadContext& context) {
  try {
    Decode(image, context);
  } catch (...) {
    // No memory for the decoding buffers: the image stays empty.
  }
  image.CloseFile();
}
