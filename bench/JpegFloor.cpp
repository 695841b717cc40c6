// The floor under `mozaikon-cli build`: the work that no mosaic program can skip, done with the
// library alone and the same settings as our reader and writer. Every input is decoded once
// into one reused buffer, then the poster is encoded once. The poster's pixels are those our
// build produced (handed over as a PPM file and read first), so that the encoder meets exactly
// the detail it meets in the real build: a made-up picture compresses faster or slower.
// scripts/bench times it beside the real build.
//
//   mozaikon_floor OUT.jpg QUALITY POSTER.ppm MAIN.jpg TILE_LIST
//
// A damaged input ends the program with the library's own message (its default error handler).
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include <jpeglib.h>

namespace {

// Rows handed to or taken from the library per call, as in our reader and writer.
constexpr JDIMENSION kRowsPerCall = 16;

// A picture, top row first, three bytes per pixel unless the file was CMYK; the buffer only
// grows, so a thousand tiles cost a handful of allocations.
struct Picture {
  std::vector<JSAMPLE> samples;
  JDIMENSION width = 0;
  JDIMENSION height = 0;
  int components = 3;

  std::size_t RowBytes() const { return static_cast<std::size_t>(width) * components; }
  JSAMPROW Row(JDIMENSION y) { return samples.data() + y * RowBytes(); }
};

[[noreturn]] void Fail(const std::string& message) {
  std::fprintf(stderr, "mozaikon_floor: %s\n", message.c_str());
  std::exit(1);
}

std::FILE* OpenOrFail(const std::string& path, const char* mode) {
  std::FILE* file = std::fopen(path.c_str(), mode);
  if (file == nullptr) Fail("cannot open " + path);
  return file;
}

// Binary PPM with 8-bit samples, as djpeg writes it: "P6 WIDTH HEIGHT 255" and one whitespace.
void ReadPpm(const std::string& path, Picture& picture) {
  std::FILE* file = OpenOrFail(path, "rb");
  unsigned width = 0;
  unsigned height = 0;
  unsigned maxValue = 0;
  if (std::fscanf(file, "P6 %u %u %u", &width, &height, &maxValue) != 3 || maxValue != 255 ||
      width == 0 || height == 0 || width > JPEG_MAX_DIMENSION || height > JPEG_MAX_DIMENSION ||
      std::fgetc(file) == EOF)
    Fail(path + " is not an 8-bit binary PPM within the library's limits");
  picture.width = width;
  picture.height = height;
  picture.samples.resize(picture.RowBytes() * height);
  if (std::fread(picture.samples.data(), 1, picture.samples.size(), file) !=
      picture.samples.size())
    Fail(path + " ends early");
  std::fclose(file);
}

void ReadRows(jpeg_decompress_struct& info, Picture& picture) {
  JSAMPROW rows[kRowsPerCall];
  while (info.output_scanline < info.output_height) {
    const JDIMENSION left = info.output_height - info.output_scanline;
    const JDIMENSION count = left < kRowsPerCall ? left : kRowsPerCall;
    for (JDIMENSION i = 0; i < count; ++i) rows[i] = picture.Row(info.output_scanline + i);
    if (jpeg_read_scanlines(&info, rows, count) == 0) Fail("a file ended early");
  }
}

void Decode(const std::string& path, Picture& picture) {
  std::FILE* file = OpenOrFail(path, "rb");
  jpeg_decompress_struct info;
  jpeg_error_mgr error;
  info.err = jpeg_std_error(&error);
  jpeg_create_decompress(&info);
  jpeg_stdio_src(&info, file);
  jpeg_read_header(&info, TRUE);
  info.dct_method = JDCT_IFAST;
  info.do_fancy_upsampling = FALSE;
  if (info.num_components != 4) info.out_color_space = JCS_EXT_BGR;  // CMYK stays as it is
  jpeg_start_decompress(&info);
  picture.width = info.output_width;
  picture.height = info.output_height;
  picture.components = info.output_components;
  const std::size_t bytes = picture.RowBytes() * info.output_height;
  if (picture.samples.size() < bytes) picture.samples.resize(bytes);
  ReadRows(info, picture);
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  std::fclose(file);
}

// The PPM holds red, green, blue: the library converts that order with the same code as the
// blue-green-red rows of our writer, only the byte offsets differ.
void Encode(const std::string& path, Picture& poster, int quality) {
  std::FILE* file = OpenOrFail(path, "wb");
  jpeg_compress_struct info;
  jpeg_error_mgr error;
  info.err = jpeg_std_error(&error);
  jpeg_create_compress(&info);
  jpeg_stdio_dest(&info, file);
  info.image_width = poster.width;
  info.image_height = poster.height;
  info.input_components = 3;
  info.in_color_space = JCS_EXT_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, quality, TRUE);
  info.optimize_coding = TRUE;
  jpeg_start_compress(&info, TRUE);
  JSAMPROW rows[kRowsPerCall];
  while (info.next_scanline < info.image_height) {
    const JDIMENSION left = info.image_height - info.next_scanline;
    const JDIMENSION count = left < kRowsPerCall ? left : kRowsPerCall;
    for (JDIMENSION i = 0; i < count; ++i) rows[i] = poster.Row(info.next_scanline + i);
    jpeg_write_scanlines(&info, rows, count);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  if (std::fclose(file) != 0) Fail("cannot write " + path);
}

std::vector<std::string> ReadTileList(const std::string& path) {
  std::ifstream list(path);
  if (!list) Fail("cannot open " + path);
  std::vector<std::string> tiles;
  for (std::string line; std::getline(list, line);)
    if (!line.empty()) tiles.push_back(line);
  if (tiles.empty()) Fail(path + " names no tiles");
  return tiles;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 6) {
    std::fprintf(stderr, "usage: mozaikon_floor OUT.jpg QUALITY POSTER.ppm MAIN.jpg TILE_LIST\n");
    return 2;
  }
  const int quality = std::atoi(argv[2]);
  if (quality < 1 || quality > 100) Fail("quality is 1 to 100");
  const std::vector<std::string> tiles = ReadTileList(argv[5]);

  Picture poster;
  ReadPpm(argv[3], poster);
  Picture picture;
  Decode(argv[4], picture);
  for (const std::string& tile : tiles) Decode(tile, picture);
  Encode(argv[1], poster, quality);
  return 0;
}
