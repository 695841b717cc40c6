// GIF decoding through the reader dispatch, in megapixels per second, on 3-megapixel pictures
// of 256 colours: a photo-like one with grain (short strings, many clear codes) and a flat one
// with large areas (long strings), the first also interlaced.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "formats/ImageFile.h"

namespace {

constexpr int kWidth = 2048;
constexpr int kHeight = 1536;

enum class Picture { kPhoto, kFlat };

std::vector<std::uint8_t> MakePixels(Picture picture) {
  std::vector<std::uint8_t> pixels(static_cast<std::size_t>(kWidth) * kHeight);
  std::uint32_t grain = 12345;
  std::size_t i = 0;
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x, ++i) {
      grain = grain * 1103515245u + 12345u;
      if (picture == Picture::kFlat) {
        pixels[i] = static_cast<std::uint8_t>((x / 200) * 16 + (y / 150));
        continue;
      }
      const double shade = 0.5 + 0.5 * std::sin(x * 0.01) * std::cos(y * 0.013);
      pixels[i] = static_cast<std::uint8_t>(static_cast<int>(200 * shade) + (grain >> 16) % 40);
    }
  return pixels;
}

// Packs 8-bit pixel values into GIF codes, clearing the table whenever it is full.
class Compressor {
 public:
  std::vector<std::uint8_t> Compress(const std::vector<std::uint8_t>& pixels) {
    Put(kClear);
    int prefix = pixels[0];
    for (std::size_t i = 1; i < pixels.size(); ++i) {
      const std::size_t key = static_cast<std::size_t>(prefix) * 256 + pixels[i];
      if (m_stamp[key] == m_generation) {
        prefix = m_child[key];
        continue;
      }
      Put(prefix);
      if (m_next < 4096) {
        m_child[key] = static_cast<std::uint16_t>(m_next);
        m_stamp[key] = m_generation;
        Grow();
      } else {
        Put(kClear);
        Reset();
      }
      prefix = pixels[i];
    }
    Put(prefix);
    if (m_next < 4096) Grow();  // the decoder's entry for the last code may widen the end code
    Put(kClear + 1);
    if (m_bitCount > 0) m_bytes.push_back(static_cast<std::uint8_t>(m_bits));
    return m_bytes;
  }

 private:
  static constexpr int kClear = 256;

  void Put(int code) {
    m_bits |= static_cast<std::uint32_t>(code) << m_bitCount;
    for (m_bitCount += m_width; m_bitCount >= 8; m_bitCount -= 8, m_bits >>= 8)
      m_bytes.push_back(static_cast<std::uint8_t>(m_bits));
  }
  void Grow() {
    if (++m_next > (1 << m_width) && m_width < 12) ++m_width;
  }
  void Reset() {
    ++m_generation;
    m_width = 9;
    m_next = kClear + 2;
  }

  std::vector<std::uint16_t> m_child = std::vector<std::uint16_t>(4096 * 256);
  std::vector<std::uint32_t> m_stamp = std::vector<std::uint32_t>(4096 * 256);  // valid entries
  std::uint32_t m_generation = 1;
  int m_width = 9;
  int m_next = kClear + 2;
  std::vector<std::uint8_t> m_bytes;
  std::uint32_t m_bits = 0;
  int m_bitCount = 0;
};

void Put16(std::vector<std::uint8_t>& out, int value) {
  out.push_back(static_cast<std::uint8_t>(value));
  out.push_back(static_cast<std::uint8_t>(value >> 8));
}

std::vector<std::uint8_t> MakeGif(const std::vector<std::uint8_t>& pixels, bool interlaced) {
  std::vector<std::uint8_t> file = {'G', 'I', 'F', '8', '9', 'a'};
  Put16(file, kWidth);
  Put16(file, kHeight);
  file.insert(file.end(), {0xF7, 0, 0});  // a global table of 256 entries
  for (int i = 0; i < 256; ++i) file.insert(file.end(), {std::uint8_t(i), std::uint8_t(255 - i), 99});
  file.push_back(0x2C);
  Put16(file, 0);
  Put16(file, 0);
  Put16(file, kWidth);
  Put16(file, kHeight);
  file.push_back(interlaced ? 0x40 : 0);
  file.push_back(8);
  const std::vector<std::uint8_t> data = Compressor().Compress(pixels);
  for (std::size_t pos = 0; pos < data.size(); pos += 255) {
    const std::size_t n = std::min<std::size_t>(255, data.size() - pos);
    file.push_back(static_cast<std::uint8_t>(n));
    file.insert(file.end(), data.begin() + static_cast<long>(pos),
                data.begin() + static_cast<long>(pos + n));
  }
  file.insert(file.end(), {0, 0x3B});
  return file;
}

// A picture written to a temporary file for the life of one benchmark.
struct GifOnDisk {
  std::string path;
  std::uint8_t lastValue;  // the last pixel decoded, which lands bottom right in both orders
  GifOnDisk(Picture picture, bool interlaced) {
    const char* dir = std::getenv("TMPDIR");
    path = std::string(dir && *dir ? dir : "/tmp") + "/mozaikon-bench-" +
           std::to_string(getpid()) + ".gif";
    const std::vector<std::uint8_t> pixels = MakePixels(picture);
    lastValue = pixels.back();
    const std::vector<std::uint8_t> bytes = MakeGif(pixels, interlaced);
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr || std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size())
      std::abort();
    std::fclose(file);
  }
  ~GifOnDisk() { std::remove(path.c_str()); }
};

void BM_GifDecode(benchmark::State& state) {
  const GifOnDisk gif(static_cast<Picture>(state.range(0)), state.range(1) != 0);
  CDibImage image;
  for (auto _ : state)
    if (!Load(image, gif.path)) state.SkipWithError("the picture could not be read");
  // Data that ended early would still load: the last pixel shows that all of it was decoded.
  const std::uint8_t* last = image.GetPixelAddress(kWidth - 1, kHeight - 1);
  if (last[0] != 99 || last[1] != 255 - gif.lastValue || last[2] != gif.lastValue)
    state.SkipWithError("the picture was not decoded to its end");
  state.counters["MP/s"] = benchmark::Counter(
      static_cast<double>(state.iterations()) * kWidth * kHeight / 1e6, benchmark::Counter::kIsRate);
}

BENCHMARK(BM_GifDecode)
    ->ArgNames({"flat", "interlaced"})
    ->Args({0, 0})
    ->Args({0, 1})
    ->Args({1, 0})
    ->Unit(benchmark::kMillisecond);

}  // namespace
