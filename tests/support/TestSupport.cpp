#include "support/TestSupport.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace test {

void Fill(CDibImage& image, int width, int height, const std::function<Bgr(int, int)>& color) {
  if (!image.Create(width, height, TRUE)) throw std::runtime_error("Create failed");
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const Bgr c = color(x, y);
      std::uint8_t* p = image.GetPixelAddress(x, y);
      p[0] = c[0];
      p[1] = c[1];
      p[2] = c[2];
    }
}

Bgr Pattern(int x, int y) {
  return {static_cast<std::uint8_t>(10 * x + y), static_cast<std::uint8_t>(100 + x + 7 * y),
          static_cast<std::uint8_t>(200 - 3 * x - y)};
}

Bgr PixelAt(const CDibImage& image, int x, int y) {
  const std::uint8_t* p = image.GetPixelAddress(x, y);
  return {p[0], p[1], p[2]};
}

bool SamePixels(const CDibImage& a, const CDibImage& b) {
  if (!a.Is24Bit() || !b.Is24Bit() || a.GetWidth() != b.GetWidth() ||
      a.GetHeight() != b.GetHeight())
    return false;
  for (int y = 0; y < a.GetHeight(); ++y)
    for (int x = 0; x < a.GetWidth(); ++x)
      if (PixelAt(a, x, y) != PixelAt(b, x, y)) return false;
  return true;
}

namespace {

struct ScratchDir {
  std::filesystem::path path;
  ScratchDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "mozaikon-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path = pattern;
  }
  ~ScratchDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
  }
};

std::string ReadAll(std::FILE* file) {
  std::string text;
  char buffer[4096];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, n);
  return text;
}

}  // namespace

std::string ScratchPath(const std::string& name) {
  static ScratchDir dir;
  return (dir.path / name).string();
}

void WriteFile(const std::string& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

Bytes ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool Exists(const std::string& path) { return std::filesystem::exists(path); }

COutputTarget Target(const std::string& path) {
  TargetCheck check = CheckOutputTarget(path, {});
  if (!check.target) throw std::runtime_error(check.refusal);
  return *check.target;
}

COutputTarget VanishedTarget(const std::string& name) {
  static int folders = 0;
  const std::string dir = FreshDir("vanished-" + std::to_string(++folders));
  COutputTarget target = Target(dir + "/" + name);
  std::filesystem::remove_all(dir);
  return target;
}

std::string FreshDir(const std::string& name) {
  const std::string dir = ScratchPath(name);
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  return dir;
}

std::size_t FileCount(const std::string& dir) {
  return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(dir),
                                                std::filesystem::directory_iterator()));
}

void Put16(Bytes& out, std::uint32_t value) {
  out.push_back(static_cast<std::uint8_t>(value));
  out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void Put32(Bytes& out, std::uint32_t value) {
  Put16(out, value & 0xFFFF);
  Put16(out, value >> 16);
}

CommandResult RunCli(const std::vector<std::string>& args,
                     const std::function<void()>& prepareChild) {
  const std::string outPath = ScratchPath("cli-stdout.txt");
  const std::string errPath = ScratchPath("cli-stderr.txt");
  const pid_t pid = fork();
  if (pid == 0) {
    std::vector<char*> argv;
    std::string program = MOZAIKON_CLI;
    argv.push_back(program.data());
    std::vector<std::string> copies(args);
    for (std::string& a : copies) argv.push_back(a.data());
    argv.push_back(nullptr);
    if (!std::freopen(outPath.c_str(), "w", stdout) || !std::freopen(errPath.c_str(), "w", stderr))
      _exit(127);
    constexpr unsigned kTimeoutSeconds = 60;
    alarm(kTimeoutSeconds);
    if (prepareChild) prepareChild();
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  CommandResult result;
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  if (std::FILE* f = std::fopen(outPath.c_str(), "rb")) {
    result.out = ReadAll(f);
    std::fclose(f);
  }
  if (std::FILE* f = std::fopen(errPath.c_str(), "rb")) {
    result.err = ReadAll(f);
    std::fclose(f);
  }
  return result;
}

}  // namespace test
