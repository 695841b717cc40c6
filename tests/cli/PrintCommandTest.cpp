#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "formats/BmpWriter.h"
#include "formats/ImageFile.h"
#include "support/TestSupport.h"

using test::Bgr;
using test::RunCli;

namespace {

bool HavePoppler() { return std::system("command -v pdfimages pdftoppm >/dev/null 2>&1") == 0; }

// A binary P6 picture as pdfimages and pdftoppm write it.
struct Ppm {
  int width = 0, height = 0;
  test::Bytes rgb;
  Bgr At(int x, int y) const {
    const std::size_t at = (static_cast<std::size_t>(y) * width + x) * 3;
    return {rgb[at + 2], rgb[at + 1], rgb[at]};
  }
};

Ppm ReadPpm(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::string magic;
  int maxValue = 0;
  Ppm ppm;
  in >> magic >> ppm.width >> ppm.height >> maxValue;
  in.get();
  ppm.rgb.resize(static_cast<std::size_t>(ppm.width) * ppm.height * 3);
  in.read(reinterpret_cast<char*>(ppm.rgb.data()), static_cast<std::streamsize>(ppm.rgb.size()));
  EXPECT_EQ(magic, "P6");
  return ppm;
}

void RunTool(const std::string& command) { EXPECT_EQ(std::system(command.c_str()), 0) << command; }

struct PrintScene {
  std::string dir, main;
  std::vector<std::string> tiles;
  explicit PrintScene(const std::string& name) : dir(test::ScratchPath(name)) {
    std::filesystem::create_directory(dir);
    main = Save("main.bmp", 80, 60, [](int x, int y) {
      return Bgr{static_cast<std::uint8_t>(3 * x), static_cast<std::uint8_t>(4 * y), 200};
    });
    for (int i = 0; i < 3; ++i)
      tiles.push_back(Save("tile" + std::to_string(i) + ".bmp", 24, 18, [i](int x, int y) {
        return Bgr{static_cast<std::uint8_t>(70 * i), static_cast<std::uint8_t>(8 * x),
                   static_cast<std::uint8_t>(9 * y)};
      }));
  }
  std::string Save(const std::string& name, int w, int h,
                   const std::function<Bgr(int, int)>& color) {
    CDibImage image;
    test::Fill(image, w, h, color);
    const std::string path = dir + "/" + name;
    EXPECT_EQ(WriteBmpFile(image, test::Target(path), nullptr), SaveResult::kSaved);
    return path;
  }
  // The poster's options: 100 dpi printer, two printer pixels per poster pixel, 12 inches wide
  // on letter paper, so two pages across.
  std::vector<std::string> Args(const std::string& command, bool withTiles) const {
    std::vector<std::string> args = {command, main};
    if (withTiles) args.insert(args.end(), tiles.begin(), tiles.end());
    for (const char* a : {"--print-width", "12", "--fraction", "2", "--seed", "3"})
      args.push_back(a);
    return args;
  }
};

std::vector<std::string> With(std::vector<std::string> args,
                              std::initializer_list<const char*> more) {
  args.insert(args.end(), more.begin(), more.end());
  return args;
}

}  // namespace

TEST(CliPrint, PdfPagesHoldThePostersPixelsWhereTheGeometryPutsThem) {
  if (!HavePoppler()) GTEST_SKIP() << "pdfimages and pdftoppm (poppler-utils) are not installed";
  PrintScene scene("print_pdf");
  const std::string posterPath = scene.dir + "/poster.bmp", pdf = scene.dir + "/poster.pdf";
  ASSERT_EQ(
      RunCli(With(scene.Args("build", true), {"--dpi", "100", "-o", posterPath.c_str()})).exitCode,
      0);
  const test::CommandResult printed =
      RunCli(With(scene.Args("print", true), {"--printer-dpi", "100", "--pdf", pdf.c_str()}));
  ASSERT_EQ(printed.exitCode, 0) << printed.err;
  EXPECT_NE(printed.out.find("2 x 1 pages"), std::string::npos) << printed.out;
  CDibImage poster;
  ASSERT_TRUE(Load(poster, posterPath));

  // The first band of page 1 is the poster's top-left 50 × 50 pixels, byte for byte.
  RunTool("pdfimages -f 1 -l 1 '" + pdf + "' '" + scene.dir + "/band'");
  const Ppm band = ReadPpm(scene.dir + "/band-000.ppm");
  ASSERT_EQ(band.width, 50);
  ASSERT_EQ(band.height, 50);
  for (int y = 0; y < 50; ++y)
    for (int x = 0; x < 50; ++x)
      ASSERT_EQ(band.At(x, y), test::PixelAt(poster, x, y)) << x << "," << y;

  // Rendered at 200 dpi, twice the printer's: 8 × 10.5 inch printable areas behind quarter-inch
  // margins; the poster, 2 printer pixels per pixel, centred on the two pages' width and on the
  // page's height. The centre of each pixel's 4 × 4 square is sampled.
  RunTool("pdftoppm -r 200 '" + pdf + "' '" + scene.dir + "/page'");
  const Ppm pages[2] = {ReadPpm(scene.dir + "/page-1.ppm"), ReadPpm(scene.dir + "/page-2.ppm")};
  const int posterW = poster.GetWidth() * 2, posterH = poster.GetHeight() * 2;
  const int marginX = (1600 - posterW) / 2, marginY = (1050 - posterH) / 2;
  int far = 0;
  for (int y = 0; y < poster.GetHeight(); y += 7)
    for (int x = 0; x < poster.GetWidth(); x += 5) {
      const int px = 2 * (marginX + 2 * x) + 2, py = 2 * (25 + marginY + 2 * y) + 2;
      const Ppm& page = pages[px < 1600 ? 0 : 1];
      const Bgr seen = page.At(50 + px % 1600, py), want = test::PixelAt(poster, x, y);
      for (int c = 0; c < 3; ++c) far += std::abs(seen[c] - want[c]) > 6;
    }
  EXPECT_EQ(far, 0);
  EXPECT_EQ(pages[0].At(2 * (25 + marginX) - 3, 2 * (25 + marginY) + 20), (Bgr{255, 255, 255}));
  EXPECT_EQ(pages[1].At(2 * (25 + posterW - 800 + marginX) + 3, 2 * (25 + marginY) + 20),
            (Bgr{255, 255, 255}));
}

TEST(CliPrint, OnePageOfTheMainImageAlone) {
  if (!HavePoppler()) GTEST_SKIP() << "pdfinfo (poppler-utils) is not installed";
  PrintScene scene("print_page");
  const std::string pdf = scene.dir + "/page2.pdf";
  const test::CommandResult printed = RunCli(With(
      scene.Args("print", false), {"--printer-dpi", "100", "--page", "2", "--pdf", pdf.c_str()}));
  ASSERT_EQ(printed.exitCode, 0) << printed.err;
  RunTool("pdfinfo '" + pdf + "' > '" + scene.dir + "/info.txt'");
  std::ifstream info(scene.dir + "/info.txt");
  const std::string text((std::istreambuf_iterator<char>(info)), std::istreambuf_iterator<char>());
  EXPECT_NE(text.find("main.bmp (page 2)"), std::string::npos) << text;
  EXPECT_NE(text.find("Pages:           1"), std::string::npos) << text;
}

TEST(CliPrint, RefusesWhatItCannotPrint) {
  PrintScene scene("print_refused");
  const std::string pdf = scene.dir + "/x.pdf";
  EXPECT_EQ(RunCli(scene.Args("print", false)).exitCode, 2);  // no output named
  EXPECT_EQ(
      RunCli(With(scene.Args("print", false), {"--pdf", pdf.c_str(), "--printer", "Q"})).exitCode,
      2);
  EXPECT_EQ(
      RunCli(With(scene.Args("print", false), {"--pdf", pdf.c_str(), "--paper", "a5"})).exitCode,
      2);
  const test::CommandResult tooFar = RunCli(With(
      scene.Args("print", false), {"--printer-dpi", "100", "--page", "3", "--pdf", pdf.c_str()}));
  EXPECT_EQ(tooFar.exitCode, 2);
  EXPECT_NE(tooFar.err.find("Please select a page number between 1 and 2."), std::string::npos);
  const test::CommandResult noDir =
      RunCli(With(scene.Args("print", false), {"--pdf", (scene.dir + "/missing/x.pdf").c_str()}));
  EXPECT_EQ(noDir.exitCode, 1);
  EXPECT_FALSE(test::Exists(pdf));
}

// Runs the command-line program with args and sends it Ctrl-C once its standard error shows
// cue. The exit status, or -1 when the cue never came.
int InterruptAt(std::vector<std::string> args, const std::string& cue) {
  int errPipe[2];
  if (pipe(errPipe) != 0) return -1;
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(errPipe[1], STDERR_FILENO);
    close(errPipe[0]);
    std::string program = MOZAIKON_CLI;
    std::vector<char*> argv{program.data()};
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  close(errPipe[1]);
  std::string err;
  char buffer[256];
  bool sent = false;
  for (ssize_t n; (n = read(errPipe[0], buffer, sizeof buffer)) > 0;) {
    err.append(buffer, static_cast<std::size_t>(n));
    if (!sent && err.find(cue) != std::string::npos) sent = kill(pid, SIGINT) == 0;
  }
  close(errPipe[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  return sent && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(CliPrint, InterruptAbandonsTheJobAndLeavesAnExistingFileAlone) {
  PrintScene scene("print_interrupt");
  const std::string pdf = scene.dir + "/kept.pdf";
  test::WriteFile(pdf, {'o', 'l', 'd'});
  // 40 inches at 1200 dpi: over a hundred thousand bands, far longer than Ctrl-C takes.
  std::vector<std::string> args = {"print", scene.main,      "--print-width", "40",    "--fraction",
                                   "16",    "--printer-dpi", "1200",          "--pdf", pdf};
  EXPECT_EQ(InterruptAt(args, "Printing poster"), 130);
  EXPECT_EQ(test::ReadFile(pdf), (test::Bytes{'o', 'l', 'd'}));
  std::size_t files = 0;
  for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(scene.dir)) ++files;
  EXPECT_EQ(files, 5u);  // main, three tiles and the old file: nothing half-written
}
