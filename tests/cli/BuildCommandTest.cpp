#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "formats/BmpWriter.h"
#include "formats/ImageFile.h"
#include "formats/JpegWriter.h"
#include "support/TestSupport.h"

using test::Bgr;
using test::RunCli;

namespace {

std::string SavedImage(const std::string& name, int w, int h, Bgr color) {
  CDibImage image;
  test::Fill(image, w, h, [&](int x, int y) {
    return Bgr{static_cast<std::uint8_t>(color[0] + x), color[1], static_cast<std::uint8_t>(color[2] + y)};
  });
  const std::string path = test::ScratchPath(name);
  EXPECT_EQ(WriteBmpFile(image, test::Target(path), nullptr), SaveResult::kSaved);
  return path;
}

// A folder of its own per test, with a main image and three tiles.
struct Scene {
  std::string dir, main;
  std::vector<std::string> tiles;
  explicit Scene(const std::string& name) {
    dir = test::ScratchPath(name);
    std::filesystem::create_directory(dir);
    main = SavedImage(name + "/main.bmp", 60, 45, {10, 20, 30});
    for (int i = 0; i < 3; ++i)
      tiles.push_back(SavedImage(name + "/tile" + std::to_string(i) + ".bmp", 32, 24,
                                 {static_cast<std::uint8_t>(60 * i), 90, 150}));
  }
  std::vector<std::string> Args(const std::string& output) const {
    std::vector<std::string> args = {"build", main};
    args.insert(args.end(), tiles.begin(), tiles.end());
    for (const char* a : {"--print-width", "2", "--dpi", "120", "--fraction", "1", "--seed", "5"})
      args.push_back(a);
    args.push_back("-o");
    args.push_back(output);
    return args;
  }
};

}  // namespace

TEST(CliBuild, PrintsTheGeometryAndWritesThePoster) {
  Scene scene("geometry");
  const std::string out = scene.dir + "/poster.bmp";
  const auto r = RunCli(scene.Args(out));
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.out.find("main image   60 x 45 pixels, print 2.00 x 1.50 inches at 120 dpi"),
            std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find("3 images"), std::string::npos);
  EXPECT_NE(r.out.find("saved        " + out), std::string::npos);
  EXPECT_EQ(r.err.find("hint:"), std::string::npos);
  CDibImage poster;
  ASSERT_TRUE(Load(poster, out));
  EXPECT_GT(poster.GetWidth(), 200);

  // The same seed gives the same poster; tile lists and folders name the same tiles.
  const std::string list = scene.dir + "/tiles.txt";
  std::string text = "\n  " + scene.tiles[2] + "  \r\n\n" + scene.tiles[0] + "\n" + scene.tiles[1] + "\n";
  test::WriteFile(list, test::Bytes(text.begin(), text.end()));
  const std::string again = scene.dir + "/again.bmp";
  const auto fromList = RunCli({"build", scene.main, "--tile-list", list, "--print-width", "2",
                                "--dpi", "120", "--fraction", "1", "--seed", "5", "-o", again});
  ASSERT_EQ(fromList.exitCode, 0) << fromList.err;
  EXPECT_EQ(test::ReadFile(again), test::ReadFile(out));
}

TEST(CliBuild, ThreadsChangeNothingInThePosterAndTakeOnlyACount) {
  Scene scene("threads");
  const std::string one = scene.dir + "/one.bmp", eight = scene.dir + "/eight.bmp";
  auto args = scene.Args(one);
  args.insert(args.end() - 2, {"--threads", "1", "--borders", "frame"});
  ASSERT_EQ(RunCli(args).exitCode, 0);
  args = scene.Args(eight);
  args.insert(args.end() - 2, {"--threads", "8", "--borders", "frame"});
  ASSERT_EQ(RunCli(args).exitCode, 0);
  EXPECT_EQ(test::ReadFile(one), test::ReadFile(eight));
  for (const char* bad : {"0", "-2", "many", "65"}) {
    args = scene.Args(scene.dir + "/never.bmp");
    args.insert(args.end() - 2, {"--threads", bad});
    EXPECT_EQ(RunCli(args).exitCode, 2) << bad;
  }
}

// A JPEG poster is compressed while its later rows are laid: the file must still be the built
// poster saved afterwards, byte for byte, whatever the threads and the borders.
TEST(CliBuild, AJpegPosterIsTheBuiltPosterSavedAfterwards) {
  Scene scene("streamed");
  for (const char* borders : {"line", "none"}) {
    for (const char* threads : {"1", "2", "8"}) {
      SCOPED_TRACE(std::string(borders) + " borders, " + threads + " threads");
      const std::string bmp = scene.dir + "/poster.bmp", jpg = scene.dir + "/poster.jpg";
      for (const std::string& out : {bmp, jpg}) {
        auto args = scene.Args(out);
        args.insert(args.end() - 2, {"--threads", threads, "--borders", borders, "--quality", "high"});
        const auto r = RunCli(args);
        ASSERT_EQ(r.exitCode, 0) << r.err;
      }
      CDibImage poster;
      ASSERT_TRUE(Load(poster, bmp));
      ASSERT_NE(poster.GetHeight() % 16, 0) << "the last block row should be a partial one";
      poster.SetPixelsPerInch(120);  // the print resolution the build knew: 120 dpi, fraction 1
      const std::string saved = scene.dir + "/saved.jpg";
      ASSERT_EQ(WriteJpegFile(poster, test::Target(saved), kJpegQualityHigh, nullptr), SaveResult::kSaved);
      EXPECT_EQ(test::ReadFile(jpg), test::ReadFile(saved));
    }
  }
}

TEST(CliBuild, RefusesBadInputWithOneClearLine) {
  Scene scene("refusals");
  const std::string out = scene.dir + "/never.bmp";
  auto args = scene.Args(out);
  args[1] = scene.tiles[0] + ".missing";
  auto r = RunCli(args);
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find(args[1] + ": no such file"), std::string::npos) << r.err;

  r = RunCli({"build", scene.main, "-o", out});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("no tile images"), std::string::npos);

  r = RunCli({"build", scene.main, scene.tiles[0], "--emphasis", "9", "-o", out});
  EXPECT_EQ(r.exitCode, 2);
  r = RunCli({"build", scene.main, scene.tiles[0], "-o", scene.dir + "/poster.tif"});
  EXPECT_EQ(r.exitCode, 2);
  // At one image pixel per printer dot the 60-pixel main image makes cells of specks.
  r = RunCli({"build", scene.main, scene.tiles[0], "-o", out});
  EXPECT_NE(r.err.find("hint: tiles of "), std::string::npos) << r.err;
  r = RunCli({"build", scene.main, scene.tiles[0], "--print-width", "0.01", "-o", out});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("Poster print dimensions are too small"), std::string::npos);
  EXPECT_FALSE(test::Exists(out));

  // A file that is not an image is reported and left out; the build goes on with the others.
  const std::string junk = scene.dir + "/notes.txt";
  test::WriteFile(junk, test::Bytes(40, 'n'));
  args = scene.Args(out);
  args.insert(args.begin() + 2, junk);
  r = RunCli(args);
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.err.find("These files were not added to the list."), std::string::npos);
  EXPECT_NE(r.err.find(junk), std::string::npos);
}

TEST(CliBuild, MatchedOrderBuildsAndTakesARepeatDistance) {
  Scene scene("matched");
  const std::string out = scene.dir + "/matched.bmp";
  auto args = scene.Args(out);
  for (const char* a : {"--order", "matched", "--repeat-distance", "2", "--use-all"})
    args.push_back(a);
  const auto r = RunCli(args);
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.out.find("tiles used   3 of 3 images"), std::string::npos) << r.out;
  EXPECT_NE(r.err.find("Matching tiles to the picture"), std::string::npos);
  CDibImage poster;
  EXPECT_TRUE(Load(poster, out));

  for (const char* bad : {"-1", "x", "1001"}) {
    args = scene.Args(out);
    for (const char* a : {"--order", "matched", "--repeat-distance", bad}) args.push_back(a);
    const auto refused = RunCli(args);
    EXPECT_EQ(refused.exitCode, 2) << bad;
    EXPECT_NE(refused.err.find(std::string("invalid value '") + bad + "' for --repeat-distance"),
              std::string::npos);
  }
  args = scene.Args(out);
  for (const char* a : {"--order", "best"}) args.push_back(a);
  EXPECT_EQ(RunCli(args).exitCode, 2);
}

namespace {

// Runs the command line with args and sends it signal once its standard error shows shown;
// returns the exit status and the standard error.
std::pair<int, std::string> SignalWhenShown(std::vector<std::string> args, const std::string& shown,
                                            int signal) {
  int errPipe[2];
  if (pipe(errPipe) != 0) return {-1, "no pipe"};
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(errPipe[1], STDERR_FILENO);
    close(errPipe[0]);
    std::vector<char*> argv;
    std::string program = MOZAIKON_CLI;
    argv.push_back(program.data());
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
    if (!sent && err.find(shown) != std::string::npos) {
      kill(pid, signal);
      sent = true;
    }
  }
  close(errPipe[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  if (!sent) return {-1, err};
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, err};
}

}  // namespace

TEST(CliBuild, InterruptCancelsAndLeavesNoFile) {
  Scene scene("interrupt");
  const std::string out = scene.dir + "/big.bmp";
  // A poster of about 6000 × 4500 pixels: its main image takes far longer to resample than the
  // interrupt takes to arrive.
  const auto [status, err] =
      SignalWhenShown({"build", scene.main, scene.tiles[0], "--print-width", "50", "--fraction",
                       "1", "--dpi", "120", "-o", out},
                      "Resampling main poster image", SIGINT);
  EXPECT_EQ(status, 130) << err;
  EXPECT_FALSE(test::Exists(out));
  EXPECT_EQ(test::FileCount(scene.dir), 4u);  // main and three tiles: nothing half-written
}

// A poster laid straight into its file has the file open while its cells are laid: a signal
// then still leaves nothing behind.
TEST(CliBuild, SignalsWhileAPosterIsLaidIntoItsFileLeaveNoFile) {
  Scene scene("laying-signal");
  for (const char* name : {"/big.png", "/big.jpg"}) {
    const std::string out = scene.dir + name;
    // About 6,000 × 4,500 pixels: nine tenths of the laying take far longer than a signal.
    const auto [status, err] =
        SignalWhenShown({"build", scene.main, scene.tiles[0], "--print-width", "50",
                         "--fraction", "1", "--dpi", "120", "-o", out},
                        "Laying tiles . . . 10%", SIGTERM);
    EXPECT_EQ(status, 143) << err;
    EXPECT_FALSE(test::Exists(out));
    EXPECT_EQ(test::FileCount(scene.dir), 4u);
  }
}

// A typed width is taken as typed: 1.14 × 100 is 113.999… in binary, and cutting it to
// hundredths printed 1.13 inches. Only the height derived from it is cut.
TEST(CliBuild, PrintWidthIsTakenAsTyped) {
  Scene scene("typed_width");
  const std::string out = scene.dir + "/poster.bmp";
  const std::pair<const char*, const char*> cases[] = {
      {"1.14", "print 1.14 x 0.85 inches"},  // 60 x 45 main image: 0.855 cut to 0.85
      {"2.3", "print 2.30 x 1.72 inches"},
      {"4.35", "print 4.35 x 3.26 inches"},
  };
  for (const auto& [typed, expected] : cases) {
    const auto r = RunCli({"build", scene.main, scene.tiles[0], "--print-width", typed, "--dpi",
                           "100", "--fraction", "1", "-o", out});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find(expected), std::string::npos) << r.out;
  }
}
