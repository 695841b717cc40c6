// The command line with today's photo files: PNG, WebP, HEIC and AVIF main images and tiles,
// photos stored sideways, and folders of tiles walked with their subfolders.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include "formats/BmpWriter.h"
#include "formats/ImageFile.h"
#include "formats/JpegWriter.h"
#include "support/TestSupport.h"
#include "support/ToolImages.h"

using test::Bgr;
using test::RunCli;

namespace fs = std::filesystem;

namespace {

std::string SavedBmp(const std::string& path, int w, int h) {
  CDibImage image;
  test::Fill(image, w, h, [](int x, int y) {
    return Bgr{static_cast<std::uint8_t>(x * 6), static_cast<std::uint8_t>(200 - y * 4), 90};
  });
  EXPECT_EQ(WriteBmpFile(image, test::Target(path), nullptr), SaveResult::kSaved);
  return path;
}

// The same picture in every format the program reads, each made by the format's own tool.
std::vector<std::string> EveryFormat(const std::string& dir, int w, int h) {
  const std::string png = dir + "/photo.png";
  EXPECT_EQ(test::RunTool({"convert", SavedBmp(dir + "/photo.bmp", w, h), "-define",
                           "png:color-type=2", png}), 0);
  std::vector<std::string> files = {dir + "/photo.bmp", png};
  for (const auto& [name, tool] : {std::pair{"photo.webp", "cwebp"}, {"photo.heic", "heif-enc"},
                                   {"photo.avif", "heif-enc"}}) {
    const std::string file = dir + "/" + name;
    const int made = std::string(tool) == "cwebp"
                         ? test::RunTool({"cwebp", "-quiet", png, "-o", file})
                         : test::RunTool({"heif-enc", "-q", "80", png, "-o", file});
    EXPECT_EQ(made, 0) << name;
    files.push_back(file);
  }
  return files;
}

// "tiles        N images, A across x D down, W x H pixels each": W and H.
std::pair<int, int> TilePixels(const std::string& out) {
  const auto at = out.find("tiles ");
  int n = 0, across = 0, down = 0, w = 0, h = 0;
  if (at == std::string::npos ||
      std::sscanf(out.c_str() + at, "tiles %d images, %d across x %d down, %d x %d", &n, &across,
                  &down, &w, &h) != 5)
    return {0, 0};
  return {w, h};
}

}  // namespace

TEST(CliPhotos, EveryFormatProbesConvertsAndBuildsAsMainImageAndTile) {
  const std::string dir = test::ScratchPath("formats");
  fs::create_directory(dir);
  const std::vector<std::string> files = EveryFormat(dir, 48, 36);
  auto probe = RunCli({"probe", files[1], files[2], files[3], files[4]});
  ASSERT_EQ(probe.exitCode, 0) << probe.err;
  for (const char* line : {"photo.png: 48 x 36 PNG", "photo.webp: 48 x 36 WEBP",
                           "photo.heic: 48 x 36 HEIC", "photo.avif: 48 x 36 AVIF"})
    EXPECT_NE(probe.out.find(line), std::string::npos) << probe.out;

  for (std::size_t i = 1; i < files.size(); ++i) {
    const std::string out = files[i] + ".converted.png";
    const auto converted = RunCli({"convert", files[i], out});
    ASSERT_EQ(converted.exitCode, 0) << files[i] << converted.err;
    CDibImage original, copy;
    ASSERT_TRUE(Load(original, files[i]));
    ASSERT_TRUE(Load(copy, out));
    EXPECT_TRUE(test::SamePixels(original, copy)) << files[i];

    std::vector<std::string> args = {"build", files[i]};
    args.insert(args.end(), files.begin(), files.end());
    for (const char* a : {"--print-width", "4", "--dpi", "100", "--fraction", "1", "--seed", "3",
                          "-o"})
      args.push_back(a);
    args.push_back(files[i] + ".poster.png");
    const auto built = RunCli(args);
    ASSERT_EQ(built.exitCode, 0) << files[i] << built.err;
    EXPECT_NE(built.out.find("5 images"), std::string::npos) << built.out;
    CDibImage poster;
    EXPECT_TRUE(Load(poster, files[i] + ".poster.png"));
  }
}

TEST(CliPhotos, ASidewaysPhotoTileLiesUprightInThePoster) {
  const std::string dir = test::ScratchPath("sideways");
  fs::create_directory(dir);
  // Upright the tile is 24 wide and 32 high, red above blue. The camera stored it turned left
  // (orientation 6): 32 wide and 24 high, red on the left, blue on the right.
  CDibImage stored;
  test::Fill(stored, 32, 24, [](int x, int) { return x < 16 ? Bgr{0, 0, 230} : Bgr{230, 0, 0}; });
  const std::string plain = dir + "/plain.jpg";
  ASSERT_EQ(WriteJpegFile(stored, test::Target(plain), kJpegQualityHigh, nullptr), SaveResult::kSaved);
  const std::string tile = dir + "/IMG_0001.JPG";
  test::WriteFile(tile, test::WithExifSegment(test::ReadFile(plain), test::ExifBlock(6, false)));
  CDibImage grey;
  test::Fill(grey, 60, 80, [](int, int) { return Bgr{128, 128, 128}; });
  const std::string main = dir + "/main.bmp";
  ASSERT_EQ(WriteBmpFile(grey, test::Target(main), nullptr), SaveResult::kSaved);

  for (const bool ignore : {false, true}) {
    const std::string out = dir + (ignore ? "/stored.bmp" : "/upright.bmp");
    std::vector<std::string> args = {"build", main, tile, "--print-width", "3", "--dpi", "100",
                                     "--fraction", "1", "--emphasis", "7", "--borders", "none",
                                     "--no-rotate", "--no-crop", "-o", out};
    if (ignore) args.push_back("--ignore-orientation");
    const auto r = RunCli(args);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const auto [w, h] = TilePixels(r.out);
    ASSERT_GT(w, 4) << r.out;
    EXPECT_EQ(w < h, !ignore) << r.out;  // the cells take the tile's shape
    CDibImage poster;
    ASSERT_TRUE(Load(poster, out));
    // The first cell: red above blue when upright, red left of blue when read as stored.
    const Bgr top = test::PixelAt(poster, w / 2, h / 6), bottom = test::PixelAt(poster, w / 2, h * 5 / 6);
    const Bgr left = test::PixelAt(poster, w / 6, h / 2), right = test::PixelAt(poster, w * 5 / 6, h / 2);
    if (!ignore) {
      EXPECT_GT(top[2], top[0] + 100);
      EXPECT_GT(bottom[0], bottom[2] + 100);
    } else {
      EXPECT_GT(left[2], left[0] + 100);
      EXPECT_GT(right[0], right[2] + 100);
    }
  }
}

TEST(CliPhotos, RecursiveFolderSkipsHiddenAndNonImagesAndEndsLinkLoops) {
  const std::string dir = test::ScratchPath("collection");
  for (const char* sub : {"/2023", "/2023/summer", "/.thumbnails", "/2024"})
    fs::create_directories(dir + sub);
  SavedBmp(dir + "/a.bmp", 20, 15);
  SavedBmp(dir + "/2023/b.bmp", 20, 15);
  SavedBmp(dir + "/2023/summer/c.bmp", 20, 15);
  SavedBmp(dir + "/2024/d.bmp", 20, 15);
  SavedBmp(dir + "/.hidden.bmp", 20, 15);
  SavedBmp(dir + "/.thumbnails/e.bmp", 20, 15);
  for (const char* junk : {"/notes.txt", "/2023/summer/clip.mov"})
    test::WriteFile(dir + junk, test::Bytes(40, 'x'));
  fs::create_directory_symlink("..", dir + "/2023/summer/up");  // a loop back to 2023
  fs::create_directory_symlink(dir + "/2024", dir + "/latest");  // a second way to 2024

  const std::string main = SavedBmp(test::ScratchPath("collection-main.bmp"), 40, 30);
  auto build = [&](bool recursive) {
    std::vector<std::string> args = {"build", main, "--tiles-dir", dir, "--print-width", "2",
                                     "--dpi", "100", "--fraction", "1", "-o",
                                     test::ScratchPath("collection.bmp")};
    if (recursive) args.push_back("--recursive");
    return RunCli(args);
  };
  const auto flat = build(false);
  ASSERT_EQ(flat.exitCode, 0) << flat.err;
  EXPECT_NE(flat.out.find("1 image added, 3 skipped (1 not an image, 2 hidden)"), std::string::npos) << flat.out;
  const auto deep = build(true);
  ASSERT_EQ(deep.exitCode, 0) << deep.err;
  EXPECT_NE(deep.out.find("4 images added, 4 skipped (2 not images, 2 hidden)"), std::string::npos) << deep.out;
  EXPECT_EQ(deep.err.find("notes.txt"), std::string::npos) << deep.err;

  const auto alone = RunCli({"build", main, "--recursive", "-o", test::ScratchPath("x.bmp")});
  EXPECT_EQ(alone.exitCode, 2);
}

TEST(CliPhotos, RecursiveFoldersStayInsideAndNameEverythingTheySkip) {
  const std::string outside = test::FreshDir("outside");
  SavedBmp(outside + "/far.bmp", 20, 15);
  const std::string dir = outside + "/album/photos";
  fs::create_directories(dir + "/sub");
  SavedBmp(dir + "/a.bmp", 20, 15);
  SavedBmp(dir + "/sub/b.bmp", 20, 15);
  fs::create_directory_symlink("../..", dir + "/up");
  fs::create_directory_symlink("/", dir + "/sub/disk");
  fs::create_directory_symlink("..", dir + "/sub/back");  // inside: followed, read once
  fs::create_symlink("gone.bmp", dir + "/vanished.bmp");
  ASSERT_EQ(mkfifo((dir + "/pipe.bmp").c_str(), 0600), 0);
  const bool asRoot = geteuid() == 0;  // root reads any folder
  fs::create_directory(dir + "/locked");
  fs::permissions(dir + "/locked", fs::perms::none);

  const std::string main = SavedBmp(test::ScratchPath("inside-main.bmp"), 40, 30);
  const auto r = RunCli({"build", main, "--tiles-dir", dir, "--recursive", "--print-width", "2",
                         "--dpi", "100", "--fraction", "1", "-o", test::ScratchPath("inside.bmp")});
  fs::permissions(dir + "/locked", fs::perms::owner_all);
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const std::string kinds = "2 links out of the folder, 1 not a regular file, 1 unreadable file)";
  EXPECT_NE(r.out.find(asRoot ? "2 images added, 4 skipped (" + kinds
                              : "2 images added, 5 skipped (1 unreadable folder, " + kinds),
            std::string::npos)
      << r.out;
}

TEST(CliPhotos, AFolderTileUnreadableOnceTheBuildBeganIsSkippedButANamedOneStopsIt) {
  const std::string dir = test::FreshDir("turns-bad");
  SavedBmp(dir + "/a.bmp", 20, 15);
  SavedBmp(dir + "/c.bmp", 20, 15);
  // Its header probes well, its 16-bit pixels cannot be read.
  test::Bytes bytes = test::ReadFile(SavedBmp(dir + "/b.bmp", 20, 15));
  bytes[28] = 16;
  test::WriteFile(dir + "/b.bmp", bytes);
  const std::string main = SavedBmp(test::ScratchPath("turns-bad-main.bmp"), 40, 30);
  auto build = [&](const std::string& namedTile) {
    std::vector<std::string> args = {"build", main, "--print-width", "2", "--dpi", "100",
                                     "-o", test::ScratchPath("turns-bad.bmp"), "--tiles-dir", dir};
    if (!namedTile.empty()) args.push_back(namedTile);
    return RunCli(args);
  };
  const auto fromFolder = build("");
  ASSERT_EQ(fromFolder.exitCode, 0) << fromFolder.err;
  EXPECT_NE(fromFolder.out.find("folders      1 skipped (1 vanished or unreadable during the build)"),
            std::string::npos) << fromFolder.out;
  EXPECT_NE(fromFolder.err.find(dir + "/b.bmp: "), std::string::npos) << fromFolder.err;
  EXPECT_NE(fromFolder.out.find("tiles used   2 of 2 images"), std::string::npos) << fromFolder.out;
  // Named as well, the file is the user's choice: the build stops at it.
  const auto named = build(dir + "/b.bmp");
  EXPECT_EQ(named.exitCode, 1);
  EXPECT_NE(named.err.find("Error opening image file: '" + dir + "/b.bmp'"), std::string::npos)
      << named.err;
}
