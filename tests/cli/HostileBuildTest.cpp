// mozaikon-cli tried as a hostile user would: pipes and devices for files, the output naming an
// input, signals during the save, values out of range, damaged pictures.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "formats/BmpWriter.h"
#include "formats/ImageFile.h"
#include "support/TestSupport.h"

using test::RunCli;

namespace {

namespace fs = std::filesystem;

std::string SavedImage(const std::string& path, int w, int h) {
  CDibImage image;
  test::Fill(image, w, h, test::Pattern);
  EXPECT_EQ(WriteBmpFile(image, test::Target(path), nullptr), SaveResult::kSaved);
  return path;
}

// A folder of its own with a main image and two tiles.
struct Scene {
  std::string dir, main, tileA, tileB;
  explicit Scene(const std::string& name) : dir(test::ScratchPath(name)) {
    fs::create_directory(dir);
    main = SavedImage(dir + "/main.bmp", 60, 45);
    tileA = SavedImage(dir + "/a.bmp", 32, 24);
    tileB = SavedImage(dir + "/b.bmp", 24, 32);
  }
  // build MAIN TILES... with a small fixed geometry, then extra.
  std::vector<std::string> Args(std::vector<std::string> extra) const {
    std::vector<std::string> args = {"build", main, tileA, tileB, "--print-width", "2",
                                     "--dpi", "120", "--fraction", "1", "--seed", "5"};
    args.insert(args.end(), extra.begin(), extra.end());
    return args;
  }
  // print MAIN TILES... onto pdf with the same geometry.
  std::vector<std::string> PrintArgs(const std::string& pdf) const {
    std::vector<std::string> args = Args({"--pdf", pdf});
    args[0] = "print";
    return args;
  }
  // A poster of 6000 x 4500 pixels: slow enough to be caught by a signal while it is saved.
  std::vector<std::string> BigArgs(const std::string& output) const {
    return {"build", main, tileA, "--print-width", "50", "--dpi", "120", "--fraction", "1",
            "-o", output};
  }
  std::size_t Entries() const {
    std::size_t n = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir)) ++n;
    return n;
  }
};

bool Has(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

struct Signalled {
  bool sent = false;
  int status = 0;
  std::string err;
};

// Runs the program and sends signal once standard error shows trigger.
Signalled RunAndSignal(std::vector<std::string> args, const std::string& trigger, int signal) {
  Signalled result;
  int errPipe[2];
  if (pipe(errPipe) != 0) return result;
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(errPipe[1], STDERR_FILENO);
    close(errPipe[0]);
    std::vector<char*> argv;
    std::string program = MOZAIKON_CLI;
    argv.push_back(program.data());
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    alarm(60);
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  close(errPipe[1]);
  char buffer[256];
  for (ssize_t n; (n = read(errPipe[0], buffer, sizeof buffer)) > 0;) {
    result.err.append(buffer, static_cast<std::size_t>(n));
    if (!result.sent && Has(result.err, trigger)) {
      kill(pid, signal);
      result.sent = true;
    }
  }
  close(errPipe[0]);
  waitpid(pid, &result.status, 0);
  return result;
}

}  // namespace

TEST(CliHostile, PipesFoldersAndDevicesAreRefusedAtOnceWithTheirCause) {
  Scene scene("pipes");
  const std::string fifo = scene.dir + "/pipe.bmp";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const std::string out = scene.dir + "/poster.bmp";

  auto r = RunCli({"probe", fifo});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_TRUE(Has(r.err, fifo + ": not a regular file")) << r.err;

  r = RunCli({"build", fifo, scene.tileA, "-o", out});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_TRUE(Has(r.err, fifo + ": not a regular file")) << r.err;

  // A pipe among the tiles is left out with its reason; the others make the poster.
  r = RunCli(scene.Args({fifo, "-o", out}));
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_TRUE(Has(r.err, fifo + ": not a regular file")) << r.err;

  r = RunCli(scene.Args({"--tile-list", fifo, "-o", out}));
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_TRUE(Has(r.err, "cannot read the tile list file '" + fifo + "': not a regular file"));
  r = RunCli(scene.Args({"--tile-list", scene.dir, "-o", out}));
  EXPECT_TRUE(Has(r.err, "'" + scene.dir + "': is a folder")) << r.err;
  r = RunCli(scene.Args({"--tiles-dir", scene.main, "-o", out}));
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_TRUE(Has(r.err, scene.main + ": not a folder")) << r.err;

  r = RunCli({"build", "/dev/zero", scene.tileA, "-o", out});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_TRUE(Has(r.err, "/dev/zero: not a regular file")) << r.err;
}

TEST(CliHostile, EveryRefusalNamesItsCause) {
  Scene scene("causes");
  const std::string out = scene.dir + "/poster.bmp";
  const std::string loop = scene.dir + "/loop.bmp";
  fs::create_symlink("loop.bmp", loop);
  const std::string tiff = scene.dir + "/photo.tif";
  test::WriteFile(tiff, {'I', 'I', '*', 0, 8, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});

  auto r = RunCli({"build", scene.dir + "/none.bmp", scene.tileA, "-o", out});
  EXPECT_TRUE(Has(r.err, scene.dir + "/none.bmp: no such file")) << r.err;
  r = RunCli({"build", loop, scene.tileA, "-o", out});
  EXPECT_TRUE(Has(r.err, loop + ": too many levels of symbolic links")) << r.err;
  r = RunCli({"build", tiff, scene.tileA, "-o", out});
  EXPECT_TRUE(Has(r.err, tiff + ": a TIFF image, a format that cannot be read here")) << r.err;
  r = RunCli({"probe", tiff});
  EXPECT_TRUE(Has(r.err, tiff + ": a TIFF image")) << r.err;
  EXPECT_FALSE(test::Exists(out));

  // A write that fails says why, and leaves nothing behind.
  r = RunCli(scene.Args({"-o", out}), [] {
    signal(SIGXFSZ, SIG_IGN);
    const rlimit small{20000, 20000};
    setrlimit(RLIMIT_FSIZE, &small);
  });
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_TRUE(Has(r.err, "could not be written: '" + out + "': file too large")) << r.err;
  EXPECT_EQ(scene.Entries(), 5u);  // main, two tiles, the loop and the TIFF
}

TEST(CliHostile, TheOutputMayBeNoInputHoweverItIsSpelled) {
  Scene scene("same");
  const std::string list = scene.dir + "/list.bmp";  // a tile list whose name takes a poster
  test::WriteFile(list, test::Bytes(scene.tileA.begin(), scene.tileA.end()));
  const std::string hardLink = scene.dir + "/hard.bmp";
  fs::create_hard_link(scene.main, hardLink);
  const std::string softLink = scene.dir + "/soft.bmp";
  fs::create_symlink("main.bmp", softLink);
  fs::create_directory(scene.dir + "/sub");
  const test::Bytes original = test::ReadFile(scene.main);

  for (const std::string& output :
       {scene.dir + "/sub/../main.bmp", hardLink, softLink, scene.tileB}) {
    for (const auto& args : {scene.Args({"-o", output}), scene.PrintArgs(output)}) {
      const auto r = RunCli(args);
      EXPECT_EQ(r.exitCode, 1) << args[0] << " " << output;
      EXPECT_TRUE(Has(r.err, "is also one of the inputs")) << r.err;
      EXPECT_FALSE(Has(r.err, "Laying tiles")) << "refused only after building";
    }
  }
  for (const std::string command : {"build", "print"}) {
    const auto r = RunCli({command, scene.main, "--tile-list", list,
                           command == std::string("build") ? "-o" : "--pdf", list});
    EXPECT_EQ(r.exitCode, 1) << command;
    EXPECT_TRUE(Has(r.err, "is also one of the inputs")) << r.err;
  }
  const auto r = RunCli({"convert", scene.main, softLink});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_FALSE(Has(r.err, "poster")) << "convert makes no poster: " << r.err;
  EXPECT_EQ(test::ReadFile(scene.main), original);
}

TEST(CliHostile, AnOutputLinkWritesItsTargetAndFoldersOrDevicesAreRefusedFirst) {
  Scene scene("targets");
  const std::string elsewhere = test::ScratchPath("targets-elsewhere");
  fs::create_directory(elsewhere);
  const std::string link = scene.dir + "/poster.bmp";
  fs::create_symlink(elsewhere + "/real.bmp", link);
  auto r = RunCli(scene.Args({"-o", link}));
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_TRUE(fs::is_symlink(link));
  CDibImage poster;
  EXPECT_TRUE(Load(poster, elsewhere + "/real.bmp"));
  EXPECT_EQ(std::distance(fs::directory_iterator(elsewhere), fs::directory_iterator()), 1);

  const std::string folder = scene.dir + "/folder.bmp";
  fs::create_directory(folder);
  const std::string device = scene.dir + "/null.jpg";
  fs::create_symlink("/dev/null", device);
  const std::string fifo = scene.dir + "/pipe.bmp";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const std::string missing = scene.dir + "/missing/poster.bmp";
  const std::string readOnly = scene.dir + "/read-only";
  fs::create_directory(readOnly);
  fs::permissions(readOnly, fs::perms::owner_read | fs::perms::owner_exec);
  const bool asRoot = geteuid() == 0;  // root writes into any folder
  for (const std::string& output : {folder, device, fifo, missing, readOnly + "/poster.bmp"}) {
    if (asRoot && output.rfind(readOnly, 0) == 0) continue;
    for (const auto& args : {scene.Args({"-o", output}), scene.PrintArgs(output)}) {
      r = RunCli(args);
      EXPECT_EQ(r.exitCode, 1) << args[0] << " " << output;
      EXPECT_TRUE(Has(r.err, "The output file cannot be written to '" + output + "'")) << r.err;
      if (output == missing) {
        EXPECT_TRUE(Has(r.err, "/missing/': no such folder.")) << r.err;
      }
      EXPECT_FALSE(Has(r.err, "memory")) << r.err;
      EXPECT_FALSE(Has(r.err, "Laying tiles")) << r.err;
    }
  }
  EXPECT_TRUE(fs::is_character_file("/dev/null"));
}

TEST(CliHostile, TermAndHangupCancelLikeCtrlCAndAKillLeavesNothing) {
  Scene scene("signals");
  const std::size_t before = scene.Entries();
  const std::string out = scene.dir + "/big.jpg";
  Signalled s = RunAndSignal(scene.BigArgs(out), "Saving poster image to disk", SIGTERM);
  ASSERT_TRUE(s.sent) << s.err;
  ASSERT_TRUE(WIFEXITED(s.status)) << s.err;
  EXPECT_EQ(WEXITSTATUS(s.status), 143);
  EXPECT_EQ(scene.Entries(), before);

  s = RunAndSignal(scene.BigArgs(out), "Resampling main poster image", SIGHUP);
  ASSERT_TRUE(s.sent && WIFEXITED(s.status)) << s.err;
  EXPECT_EQ(WEXITSTATUS(s.status), 129);

  // SIGKILL cannot be caught: the file being written must vanish with the process.
  s = RunAndSignal(scene.BigArgs(out), "Saving poster image to disk", SIGKILL);
  ASSERT_TRUE(s.sent && WIFSIGNALED(s.status)) << s.err;
  EXPECT_EQ(scene.Entries(), before);
}

// A JPEG poster is written while its cells are laid: a build that stops then, or never gets
// there, leaves neither the poster nor a part of it, and a failing write says why.
TEST(CliHostile, AJpegPosterStoppedOrFailingLeavesNothing) {
  Scene scene("jpeg-stops");
  const std::size_t before = scene.Entries();
  const std::string out = scene.dir + "/poster.jpg";
  auto args = scene.BigArgs(out);
  args.insert(args.end() - 2, {"--threads", "1"});
  Signalled s = RunAndSignal(args, "Laying tiles", SIGTERM);
  ASSERT_TRUE(s.sent && WIFEXITED(s.status)) << s.err;
  EXPECT_EQ(WEXITSTATUS(s.status), 143) << s.err;
  EXPECT_EQ(scene.Entries(), before);

  // A tile whose header probes but whose pixels claim 16 bits each cannot be read.
  test::Bytes bytes = test::ReadFile(scene.tileB);
  bytes[28] = 16;
  test::WriteFile(scene.tileB, bytes);
  auto r = RunCli(scene.Args({"-o", out}));
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_TRUE(Has(r.err, scene.tileB)) << r.err;
  EXPECT_EQ(scene.Entries(), before);

  r = RunCli(scene.BigArgs(out), [] {
    signal(SIGXFSZ, SIG_IGN);
    const rlimit small{20000, 20000};
    setrlimit(RLIMIT_FSIZE, &small);
  });
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_TRUE(Has(r.err, "could not be written: '" + out + "': file too large")) << r.err;
  EXPECT_EQ(scene.Entries(), before);
}

TEST(CliHostile, ValuesOutOfRangeAreRefusedAndLimitsComeBeforeTheBuild) {
  Scene scene("values");
  const std::string out = scene.dir + "/poster.jpg";
  for (const char* width : {"0.001", "0", "-2", "nan", "inf", "1e308"}) {
    const auto r = RunCli(scene.Args({"--print-width", width, "-o", out}));
    EXPECT_EQ(r.exitCode, 2) << width;
    EXPECT_TRUE(Has(r.err, "for --print-width: give 0.01 to 1,000,000 inches")) << r.err;
  }
  // The help gives the same ranges as the errors.
  auto r = RunCli({"build", "--help"});
  EXPECT_TRUE(Has(r.out, "print width in inches, 0.01 to 1,000,000")) << r.out;
  EXPECT_TRUE(Has(r.out, "PERCENT 10 to 500")) << r.out;
  r = RunCli(scene.Args({"--size", "custom:5", "-o", out}));
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_TRUE(Has(r.err, "custom:PERCENT with PERCENT 10 to 500")) << r.err;
  // 1,000 inches at 600 dots per inch: 600,000 pixels across, past JPEG and any memory.
  for (const auto& output : {std::vector<std::string>{"-o", out},
                             std::vector<std::string>{"--pdf", scene.dir + "/big.pdf"}}) {
    std::vector<std::string> args = {output[0] == "-o" ? "build" : "print", scene.main,
                                     scene.tileA, "--print-width", "1000", "--fraction", "1"};
    args.insert(args.end(), output.begin(), output.end());
    r = RunCli(args);
    EXPECT_EQ(r.exitCode, 1) << args[0];
    EXPECT_TRUE(Has(r.err, "The poster would be 600,0")) << r.err;
    EXPECT_TRUE(Has(r.err, "A print width of ")) << r.err;
    EXPECT_FALSE(Has(r.out, "poster ")) << "the geometry is shown only for a poster that fits";
    EXPECT_FALSE(Has(r.err, ". . .")) << "no stage of the build may start: " << r.err;
  }
  EXPECT_FALSE(test::Exists(scene.dir + "/big.pdf"));
  // A long thin poster passes only the JPEG side: 72,000 x 1,200 pixels.
  const std::string thin = SavedImage(scene.dir + "/thin.bmp", 300, 5);
  r = RunCli({"build", thin, scene.tileA, "--print-width", "120", "--fraction", "1", "-o", out});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_TRUE(Has(r.err, "more than the JPEG format holds (65,500 pixels")) << r.err;
  EXPECT_TRUE(Has(r.err, "A print width of 109.16 inches or less fits.")) << r.err;
  EXPECT_TRUE(Has(r.err, "Saved as BMP it fits.")) << r.err;
  EXPECT_FALSE(test::Exists(out));
}

TEST(CliHostile, TheProcesssMemoryLimitRefusesBeforeTheBuildAndNamesItself) {
#ifdef __SANITIZE_ADDRESS__
  GTEST_SKIP() << "the address sanitizer's shadow memory cannot be mapped under a 1 GB address space";
#endif
  Scene scene("ulimit");
  // 40 inches at 600 dots per inch: a poster of 24,000 x 16,620 pixels, 1.1 GB, under 1 GB of
  // address space. The matched order holds the poster whole even when it goes to a file.
  const auto limited = [] {
    const rlimit oneGigabyte{1u << 30, 1u << 30};
    setrlimit(RLIMIT_AS, &oneGigabyte);
  };
  for (const auto& output : {std::vector<std::string>{"-o", scene.dir + "/p.bmp"},
                             std::vector<std::string>{"--pdf", scene.dir + "/p.pdf"}}) {
    std::vector<std::string> args = {output[0] == "-o" ? "build" : "print", scene.main,
                                     scene.tileA, "--print-width", "40", "--fraction", "1",
                                     "--order", "matched"};
    args.insert(args.end(), output.begin(), output.end());
    const auto r = RunCli(args, limited);
    EXPECT_EQ(r.exitCode, 1) << args[0];
    EXPECT_TRUE(Has(r.err, "more than this process may take (")) << r.err;
    EXPECT_TRUE(Has(r.err, "its address-space limit, ulimit -v).")) << r.err;
    EXPECT_FALSE(Has(r.err, ". . .")) << "no stage of the build may start: " << r.err;
  }
  // 30 inches: the poster alone fits, but a JPEG file holds as much again while it is written.
  const auto r = RunCli({"build", scene.main, scene.tileA, "--print-width", "30", "--fraction",
                         "1", "-o", scene.dir + "/p.jpg"},
                        limited);
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_TRUE(Has(r.err, "more than this process may take (")) << r.err;
  EXPECT_FALSE(Has(r.err, ". . .")) << "no stage of the build may start: " << r.err;
  EXPECT_EQ(scene.Entries(), 3u);
}

TEST(CliHostile, DamagedPicturesBuildAndAreNamedOnce) {
  Scene scene("damaged");
  test::Bytes bytes = test::ReadFile(scene.tileA);
  bytes.resize(bytes.size() - 500);
  const std::string cut = scene.dir + "/cut.bmp";
  test::WriteFile(cut, bytes);
  const std::string out = scene.dir + "/poster.bmp";
  const auto r = RunCli(scene.Args({cut, cut, "-o", out}));
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const std::string notice = cut + ": data ends early or is damaged";
  const auto first = r.err.find(notice);
  EXPECT_NE(first, std::string::npos) << r.err;
  EXPECT_EQ(r.err.find(notice, first + 1), std::string::npos) << "named once: " << r.err;

  const auto main = RunCli({"build", cut, scene.tileA, "-o", out});
  EXPECT_TRUE(Has(main.err, notice)) << main.err;
}
