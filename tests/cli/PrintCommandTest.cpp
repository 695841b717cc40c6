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

// The rendered page's pixel at printable-area position (x, y) of a 100 dpi printer, drawn at
// 200 dpi: the centre of its 2 × 2 square, behind the quarter-inch paper margin.
Bgr PrinterPixel(const Ppm& page, int x, int y) { return page.At(2 * (25 + x) + 1, 2 * (25 + y) + 1); }

int Far(const Bgr& seen, const Bgr& want, int tolerance) {
  int far = 0;
  for (int c = 0; c < 3; ++c) far += std::abs(seen[c] - want[c]) > tolerance;
  return far;
}

std::string ReadText(const std::string& path) {
  std::ifstream in(path);
  return {(std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>()};
}

TEST(CliPrint, PdfPagesHoldThePostersPixelsWhereTheGeometryPutsThem) {
  if (!HavePoppler()) GTEST_SKIP() << "pdfimages and pdftoppm (poppler-utils) are not installed";
  PrintScene scene("print_pdf");
  const std::string posterPath = scene.dir + "/poster.bmp", pdf = scene.dir + "/poster.pdf";
  const std::string jpegPdf = scene.dir + "/small.pdf";
  ASSERT_EQ(
      RunCli(With(scene.Args("build", true), {"--dpi", "100", "-o", posterPath.c_str()})).exitCode,
      0);
  const test::CommandResult printed = RunCli(With(
      scene.Args("print", true), {"--printer-dpi", "100", "--lossless", "--pdf", pdf.c_str()}));
  ASSERT_EQ(printed.exitCode, 0) << printed.err;
  EXPECT_NE(printed.out.find("2 x 1 pages"), std::string::npos) << printed.out;
  CDibImage poster;
  ASSERT_TRUE(Load(poster, posterPath));
  const int posterW = poster.GetWidth() * 2, posterH = poster.GetHeight() * 2;
  const int marginX = (1600 - posterW) / 2, marginY = (1050 - posterH) / 2;

  // Each page holds one picture: exactly the poster's pixels of its part, two printer pixels
  // each, the second page's from the first column the first page does not reach.
  RunTool("pdfimages '" + pdf + "' '" + scene.dir + "/part'");
  const int splitX = (800 - marginX) / 2;
  const Ppm parts[2] = {ReadPpm(scene.dir + "/part-000.ppm"), ReadPpm(scene.dir + "/part-001.ppm")};
  ASSERT_EQ(parts[0].width, splitX);
  ASSERT_EQ(parts[1].width, poster.GetWidth() - splitX);
  for (int y = 0; y < poster.GetHeight(); ++y)
    for (int x = 0; x < poster.GetWidth(); ++x) {
      const Ppm& part = parts[x < splitX ? 0 : 1];
      ASSERT_EQ(part.At(x < splitX ? x : x - splitX, y), test::PixelAt(poster, x, y)) << x << "," << y;
    }

  // Rendered at 200 dpi, twice the printer's: 8 × 10.5 inch printable areas; the poster centred
  // on the two pages' width and on the page's height.
  RunTool("pdftoppm -r 200 '" + pdf + "' '" + scene.dir + "/page'");
  const Ppm pages[2] = {ReadPpm(scene.dir + "/page-1.ppm"), ReadPpm(scene.dir + "/page-2.ppm")};
  int far = 0;
  for (int y = 0; y < poster.GetHeight(); y += 7)
    for (int x = 0; x < poster.GetWidth(); x += 5) {
      const int px = marginX + 2 * x, py = marginY + 2 * y;
      far += Far(PrinterPixel(pages[px < 800 ? 0 : 1], px % 800, py), test::PixelAt(poster, x, y), 6);
    }
  EXPECT_EQ(far, 0);
  EXPECT_EQ(PrinterPixel(pages[0], marginX - 2, marginY + 10), (Bgr{255, 255, 255}));
  EXPECT_EQ(PrinterPixel(pages[1], posterW - 800 + marginX + 1, marginY + 10), (Bgr{255, 255, 255}));

  // By default the pictures are JPEG: a quarter of the raw pixels at most, and close to them.
  ASSERT_EQ(RunCli(With(scene.Args("print", true), {"--printer-dpi", "100", "--pdf", jpegPdf.c_str()}))
                .exitCode,
            0);
  EXPECT_LE(std::filesystem::file_size(jpegPdf), std::size_t(poster.GetWidth()) * poster.GetHeight() * 3 / 4);
  RunTool("pdfimages -list '" + jpegPdf + "' > '" + scene.dir + "/list.txt'");
  EXPECT_NE(ReadText(scene.dir + "/list.txt").find("jpeg"), std::string::npos);
  RunTool("pdftoppm -r 200 -f 1 -l 1 '" + jpegPdf + "' '" + scene.dir + "/small'");
  const Ppm small = ReadPpm(scene.dir + "/small-1.ppm");
  long long difference = 0, samples = 0;
  for (int y = 0; y < posterH; y += 3)
    for (int x = marginX; x < 800; x += 3, ++samples) {
      const Bgr a = PrinterPixel(small, x, marginY + y), b = PrinterPixel(pages[0], x, marginY + y);
      for (int c = 0; c < 3; ++c) difference += std::abs(a[c] - b[c]);
    }
  EXPECT_LT(difference / (3.0 * samples), 8.0);
}

// An overlap of an inch on 100 dpi letter pages with marks and labels: each page keeps a
// quarter-inch frame, so 7.5 usable inches advance by 6.5; a 12-inch poster takes two pages
// across, centred on 14 inches: it starts 100 printer pixels into the first page's usable area.
TEST(CliPrint, PagesPeopleCanAssemble) {
  if (!HavePoppler()) GTEST_SKIP() << "pdftoppm and pdftotext (poppler-utils) are not installed";
  PrintScene scene("print_assemble");
  const std::string pdf = scene.dir + "/glue.pdf";
  const test::CommandResult printed =
      RunCli(With(scene.Args("print", true), {"--printer-dpi", "100", "--overlap", "25.4mm",
                                              "--cut-marks", "--labels", "--map", "--lossless",
                                              "--pdf", pdf.c_str()}));
  ASSERT_EQ(printed.exitCode, 0) << printed.err;
  EXPECT_NE(printed.out.find("2 x 1 pages"), std::string::npos) << printed.out;
  RunTool("pdftoppm -r 200 '" + pdf + "' '" + scene.dir + "/page'");
  const Ppm first = ReadPpm(scene.dir + "/page-1.ppm"), second = ReadPpm(scene.dir + "/page-2.ppm");

  // Poster x = p lies at printable x = 25 + 100 + p on the first page, 25 + p - 550 on the
  // second: both show the strip 550 to 650, pixel for pixel.
  int far = 0;
  for (int y = 100; y < 1000; y += 3)
    for (int p = 550; p < 650; ++p) far += Far(PrinterPixel(first, 125 + p, y), PrinterPixel(second, p - 525, y), 6);
  EXPECT_EQ(far, 0);

  // Marks in the top frame, on the edges between printer pixels: the poster's left edge and the
  // cut, on the cell border (cells of 40 poster pixels, 80 printer pixels) nearest the strip's
  // middle, 640; on the second page that cut and the poster's right edge.
  const auto marksOn = [](const Ppm& page) {
    std::vector<int> marks;
    for (int x = 0; x < 800; ++x)
      if (page.At(2 * (25 + x), 2 * (25 + 10))[0] < 128) marks.push_back(x);
    return marks;
  };
  EXPECT_EQ(marksOn(first), (std::vector<int>{125, 125 + 640}));
  EXPECT_EQ(marksOn(second), (std::vector<int>{25 + 640 - 550, 25 + 1200 - 550}));

  // Labels as text, the neighbours named by their edge; the map last with the print size.
  RunTool("pdftotext '" + pdf + "' '" + scene.dir + "/text.txt'");
  const std::string text = ReadText(scene.dir + "/text.txt");
  const auto pageBreak = text.find('\f'), mapBreak = text.find('\f', pageBreak + 1);
  ASSERT_NE(mapBreak, std::string::npos) << text;
  const std::string one = text.substr(0, pageBreak), two = text.substr(pageBreak, mapBreak - pageBreak);
  const std::string map = text.substr(mapBreak);
  EXPECT_NE(one.find("A1"), std::string::npos) << one;
  EXPECT_NE(one.find("right: B1"), std::string::npos) << one;
  EXPECT_EQ(one.find("left:"), std::string::npos) << one;
  EXPECT_NE(two.find("left: A1"), std::string::npos) << two;
  EXPECT_NE(map.find("Assembly map: 12.00 x 9.00 inches (30.5 x 22.9 cm) on 2 x 1 pages"),
            std::string::npos) << map;
  EXPECT_NE(map.find("B1"), std::string::npos) << map;
  // The map shows the poster whole: its middle is the poster's colour, not paper.
  const Ppm mapPage = ReadPpm(scene.dir + "/page-3.ppm");
  EXPECT_NE(mapPage.At(mapPage.width / 2, mapPage.height / 3), (Bgr{255, 255, 255}));
}

TEST(CliPrint, OnePageOfTheMainImageAlone) {
  if (!HavePoppler()) GTEST_SKIP() << "pdfinfo (poppler-utils) is not installed";
  PrintScene scene("print_page");
  const std::string pdf = scene.dir + "/page2.pdf";
  // On A4 given by its size; the map follows all pages only, not one.
  const test::CommandResult printed =
      RunCli(With(scene.Args("print", false), {"--printer-dpi", "100", "--page", "2", "--paper",
                                               "21x29.7cm", "--map", "--pdf", pdf.c_str()}));
  ASSERT_EQ(printed.exitCode, 0) << printed.err;
  RunTool("pdfinfo '" + pdf + "' > '" + scene.dir + "/info.txt'");
  const std::string text = ReadText(scene.dir + "/info.txt");
  EXPECT_NE(text.find("main.bmp (page 2)"), std::string::npos) << text;
  EXPECT_NE(text.find("Pages:           1"), std::string::npos) << text;
  EXPECT_NE(text.find("x 841.89 pts (A4)"), std::string::npos) << text;
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
  for (const char* overlap : {"8", "1ft", "-1mm", "8in"})  // no unit, no such unit, below 0, no room
    EXPECT_EQ(RunCli(With(scene.Args("print", false), {"--pdf", pdf.c_str(), "--overlap", overlap}))
                  .exitCode,
              2)
        << overlap;
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
