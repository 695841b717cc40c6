// Helpers shared by the test executables: tiny images made in code, scratch files, and running
// the command-line program.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "formats/OutputTarget.h"
#include "image/DibImage.h"
#include "image/Progress.h"

namespace test {

using Bytes = std::vector<std::uint8_t>;
using Bgr = std::array<std::uint8_t, 3>;

// A 24-bit width × height image whose pixel (x, y) is color(x, y).
void Fill(CDibImage& image, int width, int height, const std::function<Bgr(int, int)>& color);
// A pattern with a different value in every byte of small images.
Bgr Pattern(int x, int y);
// Pixel (x, y) of a 24-bit image, y from the top.
Bgr PixelAt(const CDibImage& image, int x, int y);
// True when both images are 24-bit with the same size and the same pixel bytes.
bool SamePixels(const CDibImage& a, const CDibImage& b);

// A fresh directory for this test process, removed at exit; name is joined to it.
std::string ScratchPath(const std::string& name);
void WriteFile(const std::string& path, const Bytes& bytes);
Bytes ReadFile(const std::string& path);
bool Exists(const std::string& path);
// path as a checked output with no inputs; throws (failing the test) when the check refuses it.
COutputTarget Target(const std::string& path);
// A checked target called name whose folder is removed after the check: writing it must fail.
COutputTarget VanishedTarget(const std::string& name);
// A fresh, empty directory called name in the scratch directory.
std::string FreshDir(const std::string& name);
// The number of entries in a directory.
std::size_t FileCount(const std::string& dir);

// A progress sink that shows nothing and never cancels.
class SilentProgress : public CProgress {
 protected:
  void ShowStage(const std::string&) override {}
  void ShowDetail(const std::string&) override {}
  void ShowPercent(int) override {}
};

// Little-endian appenders for building files byte by byte.
void Put16(Bytes& out, std::uint32_t value);
void Put32(Bytes& out, std::uint32_t value);

struct CommandResult {
  int exitCode = -1;
  std::string out;
  std::string err;
};
// Runs the command-line program with args (no shell) and collects what it printed.
// prepareChild, if given, runs in the new process just before the program starts (to set
// limits or signal dispositions). A program still running after 60 seconds is ended by SIGALRM
// (exit code 142): a hang fails the test instead of holding it.
CommandResult RunCli(const std::vector<std::string>& args,
                     const std::function<void()>& prepareChild = {});

}  // namespace test
