#include "formats/HeifReader.h"

#include <libheif/heif.h>

#include <cstdio>
#include <algorithm>
#include <cstring>
#include <memory>

#include "formats/ImageLimits.h"
#include "formats/PixelRows.h"

namespace {

std::uint32_t BigEndian32(const std::uint8_t* p) {
  return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3];
}

HeifBrand BrandOfFourcc(const std::uint8_t* fourcc) {
  static constexpr const char* kHeic[] = {"heic", "heix", "heim", "heis",
                                          "hevc", "hevx", "hevm", "hevs"};
  for (const char* brand : kHeic)
    if (std::memcmp(fourcc, brand, 4) == 0) return HeifBrand::kHeic;
  if (std::memcmp(fourcc, "avif", 4) == 0 || std::memcmp(fourcc, "avis", 4) == 0)
    return HeifBrand::kAvif;
  return HeifBrand::kNone;
}

// --- the open file as the library's reader ---

struct FileSource {
  std::FILE* file;
  std::int64_t size;
};

std::int64_t SourcePosition(void* source) {
  return std::ftell(static_cast<FileSource*>(source)->file);
}

int SourceRead(void* data, std::size_t size, void* source) {
  return std::fread(data, 1, size, static_cast<FileSource*>(source)->file) == size ? 0 : -1;
}

int SourceSeek(std::int64_t position, void* source) {
  return std::fseek(static_cast<FileSource*>(source)->file, static_cast<long>(position), SEEK_SET);
}

heif_reader_grow_status SourceWait(std::int64_t targetSize, void* source) {
  return targetSize <= static_cast<FileSource*>(source)->size
             ? heif_reader_grow_status_size_reached
             : heif_reader_grow_status_size_beyond_eof;
}

constexpr heif_reader kFileReader = {1, SourcePosition, SourceRead, SourceSeek, SourceWait};

struct ContextDeleter {
  void operator()(heif_context* ctx) const { heif_context_free(ctx); }
};
struct HandleDeleter {
  void operator()(heif_image_handle* handle) const { heif_image_handle_release(handle); }
};
struct PictureDeleter {
  void operator()(heif_image* picture) const { heif_image_release(picture); }
};
struct OptionsDeleter {
  void operator()(heif_decoding_options* options) const { heif_decoding_options_free(options); }
};

// The file's boxes, read through source; the handle of its primary picture.
struct OpenedFile {
  FileSource source{};
  std::unique_ptr<heif_context, ContextDeleter> context;
  std::unique_ptr<heif_image_handle, HandleDeleter> primary;
};

bool Open(CDibImage& image, OpenedFile& opened) {
  std::FILE* file = image.GetOpenFile();
  if (file == nullptr || std::fseek(file, 0, SEEK_END) != 0) return false;
  opened.source = {file, std::ftell(file)};
  if (opened.source.size <= 0 || std::fseek(file, 0, SEEK_SET) != 0) return false;
  opened.context.reset(heif_context_alloc());
  if (!opened.context) return false;
  heif_context_set_maximum_image_size_limit(opened.context.get(), kHeifMaxSide);
  if (heif_context_read_from_reader(opened.context.get(), &kFileReader, &opened.source, nullptr)
          .code != heif_error_Ok)
    return false;
  heif_image_handle* primary = nullptr;
  if (heif_context_get_primary_image_handle(opened.context.get(), &primary).code != heif_error_Ok)
    return false;
  opened.primary.reset(primary);
  return true;
}

// The size of the picture the read delivers, its transformations applied.
bool PictureSize(const OpenedFile& opened, int& width, int& height) {
  width = heif_image_handle_get_width(opened.primary.get());
  height = heif_image_handle_get_height(opened.primary.get());
  return width > 0 && height > 0 && width <= kHeifMaxSide && height <= kHeifMaxSide;
}

void CopyRows(const heif_image* picture, CDibImage& image, bool alpha) {
  int stride = 0;
  const std::uint8_t* plane = heif_image_get_plane_readonly(picture, heif_channel_interleaved, &stride);
  if (plane == nullptr) return;
  for (int y = 0; y < image.GetHeight(); ++y, plane += stride) {
    if (alpha)
      RgbaOverWhiteRow(image.GetPixelAddress(0, y), plane, image.GetWidth());
    else
      RgbToBgrRow(image.GetPixelAddress(0, y), plane, image.GetWidth());
  }
  image.m_currentRow = image.GetHeight();
}

void Decode(CDibImage& image) {
  OpenedFile opened;
  int width = 0, height = 0;
  // The library decodes the whole picture before any of it is seen: the area is checked first.
  if (!Open(image, opened) || !PictureSize(opened, width, height) ||
      !IsWithinAreaLimit(width, height))
    return;
  const bool alpha = heif_image_handle_has_alpha_channel(opened.primary.get()) != 0;
  std::unique_ptr<heif_decoding_options, OptionsDeleter> options(heif_decoding_options_alloc());
  if (!options) return;
  options->convert_hdr_to_8bit = 1;
  heif_image* decoded = nullptr;
  const heif_error error =
      heif_decode_image(opened.primary.get(), &decoded, heif_colorspace_RGB,
                        alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB,
                        options.get());
  std::unique_ptr<heif_image, PictureDeleter> picture(decoded);
  // A picture that cannot be decoded, or comes out at another size than its boxes announced,
  // is refused whole.
  if (error.code != heif_error_Ok || !picture ||
      heif_image_get_width(picture.get(), heif_channel_interleaved) != width ||
      heif_image_get_height(picture.get(), heif_channel_interleaved) != height) {
    image.ClearValid();
    return;
  }
  // Only a picture the data filled is given pixels of its size.
  if (!image.Create(width, height)) return;
  CopyRows(picture.get(), image, alpha);
}

}  // namespace

HeifBrand HeifBrandOf(const std::uint8_t* head, std::size_t size) {
  if (size < 12 || std::memcmp(head + 4, "ftyp", 4) != 0) return HeifBrand::kNone;
  const HeifBrand major = BrandOfFourcc(head + 8);
  if (major != HeifBrand::kNone) return major;
  if (std::memcmp(head + 8, "mif1", 4) != 0 && std::memcmp(head + 8, "msf1", 4) != 0)
    return HeifBrand::kNone;
  // After the major brand and the minor version come the compatible brands.
  const std::size_t boxEnd = std::min<std::size_t>(BigEndian32(head), size);
  HeifBrand found = HeifBrand::kNone;
  for (std::size_t at = 16; at + 4 <= boxEnd; at += 4) {
    const HeifBrand brand = BrandOfFourcc(head + at);
    if (brand == HeifBrand::kAvif) return brand;
    if (brand == HeifBrand::kHeic) found = brand;
  }
  return found;
}

BOOL ProbeHeifFile(CDibImage& image, int& width, int& height, ReadContext& context) {
  context.orientation = 1;
  BOOL accepted = FALSE;
  try {
    OpenedFile opened;
    accepted = Open(image, opened) && PictureSize(opened, width, height);
  } catch (...) {
    accepted = FALSE;
  }
  image.CloseFile();
  return accepted;
}

void ReadHeifFile(CDibImage& image, ReadContext& context) {
  context.orientation = 1;
  try {
    Decode(image);
  } catch (...) {
    // No memory inside the library: the image stays empty.
    image.ClearValid();
  }
  image.CloseFile();
}
