#include "support/ToolImages.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "support/TestSupport.h"

extern char** environ;

namespace test {

namespace {

int Spawn(std::vector<std::string> args, const std::string& outPath) {
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return -1;
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The header fields of a P5/P6 ("P6 W H MAX") or P7 ("WIDTH W" ... "ENDHDR") picture; the
// offset of its first sample byte.
std::optional<std::size_t> ParseHeader(const Bytes& bytes, Netpbm& pnm) {
  const std::string text(bytes.begin(), bytes.begin() + std::min<std::size_t>(bytes.size(), 200));
  if (text.rfind("P7", 0) == 0) {
    const auto end = text.find("ENDHDR\n");
    if (end == std::string::npos) return std::nullopt;
    std::istringstream lines(text.substr(3, end - 3));
    std::string key;
    while (lines >> key) {
      if (key == "WIDTH") lines >> pnm.width;
      else if (key == "HEIGHT") lines >> pnm.height;
      else if (key == "DEPTH") lines >> pnm.channels;
      else if (key == "MAXVAL") lines >> pnm.maxValue;
      else lines.ignore(200, '\n');
    }
    return end + 7;
  }
  char kind = 0;
  int used = 0;
  if (std::sscanf(text.c_str(), "P%c %d %d %d%n", &kind, &pnm.width, &pnm.height, &pnm.maxValue,
                  &used) != 4 || (kind != '5' && kind != '6'))
    return std::nullopt;
  pnm.channels = kind == '5' ? 1 : 3;
  return static_cast<std::size_t>(used) + 1;
}

}  // namespace

int RunTool(std::vector<std::string> args) { return Spawn(std::move(args), "/dev/null"); }

int RunToolTo(std::vector<std::string> args, const std::string& outPath) {
  return Spawn(std::move(args), outPath);
}

std::optional<Netpbm> ReadNetpbm(const std::string& path) {
  const Bytes bytes = ReadFile(path);
  Netpbm pnm;
  const auto start = ParseHeader(bytes, pnm);
  if (!start || pnm.width < 1 || pnm.height < 1 || pnm.channels < 1 || pnm.maxValue < 1)
    return std::nullopt;
  const int sampleBytes = pnm.maxValue > 255 ? 2 : 1;
  const std::size_t count = static_cast<std::size_t>(pnm.width) * pnm.height * pnm.channels;
  if (bytes.size() < *start + count * sampleBytes) return std::nullopt;
  pnm.samples.resize(count);
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint8_t* p = bytes.data() + *start + i * sampleBytes;
    pnm.samples[i] = sampleBytes == 2 ? static_cast<std::uint16_t>(p[0] << 8 | p[1]) : p[0];
  }
  return pnm;
}

int LargestDifference(const CDibImage& image, const Netpbm& reference) {
  if (image.GetWidth() != reference.width || image.GetHeight() != reference.height) return -1;
  const bool alpha = reference.channels == 2 || reference.channels == 4;
  const bool grey = reference.channels <= 2;
  int largest = 0;
  for (int y = 0; y < reference.height; ++y)
    for (int x = 0; x < reference.width; ++x) {
      const Bgr pixel = PixelAt(image, x, y);
      const double a = alpha ? reference.At(x, y, reference.channels - 1) / double(reference.maxValue) : 1.0;
      for (int c = 0; c < 3; ++c) {
        const double v = reference.At(x, y, grey ? 0 : c) / double(reference.maxValue);
        const int expected = static_cast<int>(std::lround((v * a + (1 - a)) * 255));
        largest = std::max(largest, std::abs(expected - pixel[2 - c]));
      }
    }
  return largest;
}

// An EXIF block (TIFF header and a first directory of one entry) with the orientation tag.
Bytes ExifBlock(int orientation, bool bigEndian) {
  Bytes tiff;
  auto put16 = [&](unsigned v) {
    tiff.push_back(static_cast<std::uint8_t>(bigEndian ? v >> 8 : v));
    tiff.push_back(static_cast<std::uint8_t>(bigEndian ? v : v >> 8));
  };
  auto put32 = [&](unsigned v) {
    put16(bigEndian ? v >> 16 : v & 0xFFFF);
    put16(bigEndian ? v & 0xFFFF : v >> 16);
  };
  tiff.push_back(bigEndian ? 'M' : 'I');
  tiff.push_back(bigEndian ? 'M' : 'I');
  put16(42);
  put32(8);        // first directory right after the header
  put16(1);        // one entry
  put16(0x0112);   // orientation
  put16(3);        // SHORT
  put32(1);        // one value
  put16(static_cast<unsigned>(orientation));
  put16(0);        // rest of the value field
  put32(0);        // no next directory
  return tiff;
}

Bytes WithExifSegment(const Bytes& jpeg, const Bytes& block) {
  static constexpr std::uint8_t kExif[] = {'E', 'x', 'i', 'f', 0, 0};
  const std::size_t length = 2 + sizeof kExif + block.size();  // counts itself, not the marker
  Bytes tagged;
  tagged.reserve(jpeg.size() + length + 2);
  for (const std::uint8_t b : {jpeg[0], jpeg[1], std::uint8_t{0xFF}, std::uint8_t{0xE1},
                               static_cast<std::uint8_t>(length >> 8), static_cast<std::uint8_t>(length)})
    tagged.push_back(b);
  for (const std::uint8_t b : kExif) tagged.push_back(b);
  for (const std::uint8_t b : block) tagged.push_back(b);
  for (std::size_t i = 2; i < jpeg.size(); ++i) tagged.push_back(jpeg[i]);
  return tagged;
}

void WritePpm(const CDibImage& image, const std::string& path) {
  const std::string header = "P6\n" + std::to_string(image.GetWidth()) + " " +
                             std::to_string(image.GetHeight()) + "\n255\n";
  Bytes bytes(header.begin(), header.end());
  for (int y = 0; y < image.GetHeight(); ++y)
    for (int x = 0; x < image.GetWidth(); ++x) {
      const Bgr p = PixelAt(image, x, y);
      bytes.insert(bytes.end(), {p[2], p[1], p[0]});
    }
  WriteFile(path, bytes);
}

}  // namespace test
