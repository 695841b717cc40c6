#include "output/PdfImageStream.h"

#include <zlib.h>

#include <vector>

#include "formats/JpegError.h"

namespace {

class CJpegImageStream : public CPdfImageStream {
 public:
  explicit CJpegImageStream(int quality) : m_quality(quality) {
    m_info.err = InitJpegErrorManager(m_error);
  }
  ~CJpegImageStream() override {
    if (m_created) jpeg_destroy_compress(&m_info);
  }

  std::string FilterEntries(int) const override { return "/Filter /DCTDecode"; }

  bool Begin(std::FILE* file, int width, int height) override {
    return Guarded([&] {
      jpeg_create_compress(&m_info);
      m_created = true;
      jpeg_stdio_dest(&m_info, file);
      m_info.image_width = static_cast<JDIMENSION>(width);
      m_info.image_height = static_cast<JDIMENSION>(height);
      m_info.input_components = 3;
      m_info.in_color_space = JCS_EXT_BGR;  // the image's own byte order: rows go in unchanged
      jpeg_set_defaults(&m_info);
      jpeg_set_quality(&m_info, m_quality, TRUE);
      m_info.write_JFIF_header = FALSE;  // the PDF says what the picture is
      jpeg_start_compress(&m_info, TRUE);
    });
  }

  bool Rows(const CDibImage& image, int x, int y, int rows) override {
    return Guarded([&] {
      for (int i = 0; i < rows; ++i) {
        JSAMPROW row = image.GetPixelAddress(x, y + i);
        jpeg_write_scanlines(&m_info, &row, 1);
      }
    });
  }

  bool End() override { return Guarded([&] { jpeg_finish_compress(&m_info); }); }

 private:
  // A library error jumps back here; after one, nothing more is written.
  template <typename Step>
  bool Guarded(Step&& step) {
    if (m_failed) return false;
    m_failed = !RunJpegGuarded(m_error, step);
    return !m_failed;
  }

  int m_quality;
  jpeg_compress_struct m_info{};
  JpegErrorManager m_error{};
  bool m_created = false;
  bool m_failed = false;
};

// zlib's fastest level: on a 12,000 × 9,000 poster it took half the time of level 3 for a
// file 5 % larger, and the default level is slower still.
constexpr int kFlateLevel = 1;
constexpr std::size_t kFlateOutputBytes = 1 << 16;
constexpr std::uint8_t kPngUpFilter = 2;

class CFlateImageStream : public CPdfImageStream {
 public:
  ~CFlateImageStream() override {
    if (m_started) deflateEnd(&m_zip);
  }

  std::string FilterEntries(int width) const override {
    return "/Filter /FlateDecode /DecodeParms << /Predictor 12 /Colors 3 /BitsPerComponent 8 "
           "/Columns " + std::to_string(width) + " >>";
  }

  bool Begin(std::FILE* file, int width, int /*height*/) override {
    m_file = file;
    m_width = width;
    m_previous.assign(static_cast<std::size_t>(width) * 3, 0);
    m_row.resize(m_previous.size() + 1);
    m_output.resize(kFlateOutputBytes);
    m_started = deflateInit(&m_zip, kFlateLevel) == Z_OK;
    return m_started;
  }

  bool Rows(const CDibImage& image, int x, int y, int rows) override {
    for (int i = 0; i < rows; ++i) {
      PredictRow(image.GetPixelAddress(x, y + i));
      if (!Deflate(m_row.data(), m_row.size(), Z_NO_FLUSH)) return false;
    }
    return true;
  }

  bool End() override { return Deflate(nullptr, 0, Z_FINISH); }

 private:
  // The row in red, green, blue, each byte less the one above it, after the filter's tag.
  void PredictRow(const std::uint8_t* bgr) {
    std::uint8_t* out = m_row.data();
    *out++ = kPngUpFilter;
    std::uint8_t* above = m_previous.data();
    for (int i = 0; i < m_width; ++i, bgr += 3, out += 3, above += 3) {
      out[0] = static_cast<std::uint8_t>(bgr[2] - above[0]);
      out[1] = static_cast<std::uint8_t>(bgr[1] - above[1]);
      out[2] = static_cast<std::uint8_t>(bgr[0] - above[2]);
      above[0] = bgr[2];
      above[1] = bgr[1];
      above[2] = bgr[0];
    }
  }

  bool Deflate(const std::uint8_t* data, std::size_t size, int flush) {
    if (!m_started) return false;
    m_zip.next_in = const_cast<Bytef*>(data);
    m_zip.avail_in = static_cast<uInt>(size);
    int status = Z_OK;
    do {
      m_zip.next_out = m_output.data();
      m_zip.avail_out = static_cast<uInt>(m_output.size());
      status = deflate(&m_zip, flush);
      if (status == Z_STREAM_ERROR) return false;
      const std::size_t produced = m_output.size() - m_zip.avail_out;
      if (std::fwrite(m_output.data(), 1, produced, m_file) != produced) return false;
    } while (m_zip.avail_out == 0 || (flush == Z_FINISH && status != Z_STREAM_END));
    return true;
  }

  std::FILE* m_file = nullptr;
  int m_width = 0;
  z_stream m_zip{};
  bool m_started = false;
  std::vector<std::uint8_t> m_previous, m_row, m_output;
};

}  // namespace

std::unique_ptr<CPdfImageStream> MakePdfImageStream(int jpegQuality) {
  if (jpegQuality > 0) return std::make_unique<CJpegImageStream>(jpegQuality);
  return std::make_unique<CFlateImageStream>();
}
