#include "formats/JpegReader.h"

#include <algorithm>
#include <cstdint>

#include <jerror.h>

#include "formats/ExifOrientation.h"
#include "formats/ImageLimits.h"
#include "formats/JpegError.h"
#include "formats/RowReceiver.h"

namespace {

// Rows decoded per call of the library, and the height of the strip buffer.
constexpr JDIMENSION kStripRows = 16;
// Real progressive files have about a dozen scans. Each scan passes over the whole coefficient
// store again, so a small hostile file of thousands of empty scans could keep a read busy for
// hours; past this many the file is refused.
constexpr int kMaxScans = 500;
// Every 8 x 8 block of the most finely sampled component takes at least one bit of entropy-coded
// data (its DC code) before it is filled: a byte of file stands for at most 512 pixels.
constexpr std::uint64_t kMostPixelsPerByte = 64 * 8;

// How the library's samples become blue-green-red pixels.
enum class PixelLayout {
  kBgr,           // the library delivers the image's own byte order
  kGray,          // one byte, widened to three equal ones
  kCmyk,          // four bytes of ink amounts
  kInvertedCmyk,  // four bytes stored inverted (255 = no ink), as Adobe's files do
};

void LimitScans(j_common_ptr record) {
  if (reinterpret_cast<j_decompress_ptr>(record)->input_scan_number > kMaxScans)
    RaiseJpegError(record, JERR_BAD_PROGRESSION);
}

// One decompression record with its error manager and scan limit; destroying it releases
// everything the library allocated.
struct Decompressor {
  Decompressor() {
    info.err = InitJpegErrorManager(error);
    monitor.progress_monitor = LimitScans;
  }
  ~Decompressor() { jpeg_destroy_decompress(&info); }
  Decompressor(const Decompressor&) = delete;
  Decompressor& operator=(const Decompressor&) = delete;

  jpeg_decompress_struct info{};
  JpegErrorManager error{};
  jpeg_progress_mgr monitor{};
};

// The library's default output colour space follows from the file's components; only those a
// 24-bit picture can show are taken.
bool ChooseLayout(const jpeg_decompress_struct& info, PixelLayout& layout) {
  switch (info.out_color_space) {
    case JCS_GRAYSCALE: layout = PixelLayout::kGray; return true;
    case JCS_RGB: layout = PixelLayout::kBgr; return true;
    case JCS_CMYK:
      layout = info.saw_Adobe_marker ? PixelLayout::kInvertedCmyk : PixelLayout::kCmyk;
      return true;
    default: return false;
  }
}

// Library errors jump out of the functions below (RunJpegGuarded): they keep no objects with
// destructors.

// The orientation of the first APP1 segment that holds an EXIF block; 1 when there is none.
int OrientationOfMarkers(const jpeg_decompress_struct& info) {
  static constexpr JOCTET kExifPrefix[] = {'E', 'x', 'i', 'f', 0, 0};
  for (jpeg_saved_marker_ptr marker = info.marker_list; marker != nullptr; marker = marker->next)
    if (marker->marker == JPEG_APP0 + 1 && marker->data_length >= sizeof kExifPrefix &&
        std::equal(kExifPrefix, kExifPrefix + sizeof kExifPrefix, marker->data))
      return ExifOrientation(marker->data, marker->data_length);
  return 1;
}

// Creates the record, attaches the file and reads the header; the EXIF orientation is looked
// for only when the context asks for upright pictures.
bool ReadHeader(Decompressor& decompressor, std::FILE* file, PixelLayout& layout,
                ReadContext& context) {
  if (file == nullptr) return false;
  jpeg_decompress_struct& info = decompressor.info;
  jpeg_create_decompress(&info);
  info.progress = &decompressor.monitor;  // set after create, which clears the record
  // Counted before the library reads ahead: the whole file bounds the picture its data can fill.
  const std::uint64_t fileBytes = BytesLeft(file);
  jpeg_stdio_src(&info, file);
  if (context.options.turnUpright) jpeg_save_markers(&info, JPEG_APP0 + 1, 0xFFFF);
  jpeg_read_header(&info, TRUE);
  if (!DataCouldFill(static_cast<int>(info.image_width), static_cast<int>(info.image_height),
                     PixelsFromBytes(fileBytes, kMostPixelsPerByte)))
    return false;
  context.orientation = context.options.turnUpright ? OrientationOfMarkers(info) : 1;
  return ChooseLayout(info, layout);
}

void WidenGrayRow(std::uint8_t* pixel, const JSAMPLE* sample, JDIMENSION width) {
  for (JDIMENSION x = 0; x < width; ++x, pixel += 3, ++sample)
    pixel[0] = pixel[1] = pixel[2] = *sample;
}

// The share of light left by ink and black, both given as 255 - amount.
inline std::uint8_t Remaining(unsigned inkLeft, unsigned blackLeft) {
  return static_cast<std::uint8_t>((inkLeft * blackLeft + 127) / 255);
}

void ConvertCmykRow(std::uint8_t* pixel, const JSAMPLE* sample, JDIMENSION width, bool inverted) {
  // For bytes, 255 - v equals v ^ 255: plain ink amounts are flipped, inverted ones kept.
  const unsigned flip = inverted ? 0 : 255;
  for (JDIMENSION x = 0; x < width; ++x, pixel += 3, sample += 4) {
    const unsigned blackLeft = sample[3] ^ flip;
    pixel[0] = Remaining(sample[2] ^ flip, blackLeft);  // yellow absorbs blue
    pixel[1] = Remaining(sample[1] ^ flip, blackLeft);  // magenta absorbs green
    pixel[2] = Remaining(sample[0] ^ flip, blackLeft);  // cyan absorbs red
  }
}

// Colour files: the library writes straight into the image rows. Rows are stored bottom-up, so
// each picture row lies GetRowBytes below the previous one in memory.
void DecodeIntoRows(jpeg_decompress_struct& info, CDibImage& image) {
  JSAMPROW rows[kStripRows];
  const std::size_t rowBytes = image.GetRowBytes();
  while (info.output_scanline < info.output_height) {
    const JDIMENSION count = std::min(kStripRows, info.output_height - info.output_scanline);
    JSAMPROW row = image.GetPixelAddress(0, static_cast<int>(info.output_scanline));
    for (JDIMENSION i = 0; i < count; ++i, row -= rowBytes) rows[i] = row;
    const JDIMENSION done = jpeg_read_scanlines(&info, rows, count);
    if (done == 0) return;
    image.m_currentRow += static_cast<int>(done);
  }
}

// Grayscale and CMYK files: decoded into the strip, converted while copied into the image.
void DecodeThroughStrip(jpeg_decompress_struct& info, CDibImage& image, JSAMPARRAY strip,
                        PixelLayout layout) {
  while (info.output_scanline < info.output_height) {
    const JDIMENSION done = jpeg_read_scanlines(&info, strip, kStripRows);
    if (done == 0) return;
    for (JDIMENSION i = 0; i < done; ++i) {
      std::uint8_t* pixel = image.GetPixelAddress(0, image.m_currentRow++);
      if (layout == PixelLayout::kGray)
        WidenGrayRow(pixel, strip[i], info.output_width);
      else
        ConvertCmykRow(pixel, strip[i], info.output_width, layout == PixelLayout::kInvertedCmyk);
    }
  }
}

JSAMPARRAY AllocateRows(jpeg_decompress_struct& info, JDIMENSION samplesPerRow, JDIMENSION rows) {
  return info.mem->alloc_sarray(reinterpret_cast<j_common_ptr>(&info), JPOOL_IMAGE, samplesPerRow,
                                rows);
}

// Rows for a receiver: decoded into the strip and handed over from there, converted into one
// row of pixels first unless the library delivers blue-green-red itself.
void DecodeToReceiver(jpeg_decompress_struct& info, CDibImage& image, CRowReceiver& receiver,
                      PixelLayout layout) {
  const JSAMPARRAY strip = AllocateRows(info, info.output_width * info.output_components, kStripRows);
  const JSAMPARRAY converted =
      layout == PixelLayout::kBgr ? nullptr : AllocateRows(info, info.output_width * 3, 1);
  while (info.output_scanline < info.output_height) {
    const JDIMENSION done = jpeg_read_scanlines(&info, strip, kStripRows);
    if (done == 0) return;
    for (JDIMENSION i = 0; i < done; ++i) {
      const std::uint8_t* row = strip[i];
      if (layout == PixelLayout::kGray)
        WidenGrayRow(converted[0], strip[i], info.output_width);
      else if (layout != PixelLayout::kBgr)
        ConvertCmykRow(converted[0], strip[i], info.output_width,
                       layout == PixelLayout::kInvertedCmyk);
      if (converted != nullptr) row = converted[0];
      receiver.Take(image.m_currentRow++, row);
    }
  }
}

// Rows for the image; false when its pixels cannot be had. The frame size is at most 65,500 on
// each side (the library refuses more), so it fits an int.
bool DecodeToImage(jpeg_decompress_struct& info, CDibImage& image, PixelLayout layout) {
  JSAMPARRAY strip = nullptr;
  if (layout != PixelLayout::kBgr)
    strip = AllocateRows(info, info.output_width * info.output_components, kStripRows);
  if (!image.Create(static_cast<int>(info.output_width), static_cast<int>(info.output_height)))
    return false;
  if (strip == nullptr)
    DecodeIntoRows(info, image);
  else
    DecodeThroughStrip(info, image, strip, layout);
  return true;
}

// Whether the context's receiver takes this picture's rows: only upright pictures are offered.
bool ReceiverAccepts(const jpeg_decompress_struct& info, ReadContext& context) {
  if (context.receiver == nullptr || context.orientation != 1) return false;
  const int width = static_cast<int>(info.output_width), height = static_cast<int>(info.output_height);
  if (!context.receiver->Accept(width, height)) return false;
  context.streamedHeight = height;
  return true;
}

void Decode(Decompressor& decompressor, CDibImage& image, ReadContext& context) {
  PixelLayout layout{};
  if (!ReadHeader(decompressor, image.GetOpenFile(), layout, context)) return;
  jpeg_decompress_struct& info = decompressor.info;
  // Before the library sets up its buffers, some of which are as large as the picture.
  if (!IsWithinAreaLimit(static_cast<int>(info.image_width), static_cast<int>(info.image_height)))
    return;
  info.dct_method = JDCT_IFAST;
  info.do_fancy_upsampling = FALSE;
  info.quantize_colors = FALSE;
  if (layout == PixelLayout::kBgr) info.out_color_space = JCS_EXT_BGR;
  jpeg_start_decompress(&info);

  image.m_currentRow = 0;
  if (ReceiverAccepts(info, context))
    DecodeToReceiver(info, image, *context.receiver, layout);
  else if (!DecodeToImage(info, image, layout))
    return;
  // Data that ends early or is corrupt is filled in grey by the library, with a warning.
  if (info.err->num_warnings > 0) image.m_dataDamaged = TRUE;
  jpeg_finish_decompress(&info);
}

// The frame size from the header; false when the header cannot be read or shown.
bool ReadFrameSize(CDibImage& image, int& width, int& height, ReadContext& context) {
  Decompressor decompressor;
  PixelLayout layout{};
  bool accepted = false;
  const bool completed = RunJpegGuarded(decompressor.error, [&] {
    accepted = ReadHeader(decompressor, image.GetOpenFile(), layout, context);
  });
  if (!completed || !accepted) return false;
  width = static_cast<int>(decompressor.info.image_width);
  height = static_cast<int>(decompressor.info.image_height);
  return true;
}

}  // namespace

BOOL ProbeJpegFile(CDibImage& image, int& width, int& height, ReadContext& context) {
  const bool accepted = ReadFrameSize(image, width, height, context);
  image.CloseFile();
  return accepted ? TRUE : FALSE;
}

void ReadJpegFile(CDibImage& image, ReadContext& context) {
  {
    Decompressor decompressor;
    // An error leaves the image as it found it: empty, or partly decoded and counted as loaded.
    (void)RunJpegGuarded(decompressor.error, [&] { Decode(decompressor, image, context); });
  }
  image.CloseFile();
}

BOOL ProbeJpegFile(CDibImage& image, int& width, int& height) {
  ReadContext stored{LoadOptions{false}};
  return ProbeJpegFile(image, width, height, stored);
}

void ReadJpegFile(CDibImage& image) {
  ReadContext stored{LoadOptions{false}};
  ReadJpegFile(image, stored);
}
