#include <gtest/gtest.h>

#include "image/NumberUtils.h"
#include "image/PathUtils.h"
#include "support/TestSupport.h"

TEST(PathUtils, SplitsDirectoryAndFileName) {
  std::string path = "/photos/2024/a.jpg";
  StripFileName(path);
  EXPECT_EQ(path, "/photos/2024/");
  path = "/photos/2024/a.jpg";
  StripDirectory(path);
  EXPECT_EQ(path, "a.jpg");
  path = "a.jpg";
  StripFileName(path);
  EXPECT_EQ(path, "");
  path = "/photos/";
  StripDirectory(path);
  EXPECT_EQ(path, "");
}

TEST(PathUtils, ReplaceDirectoryAddsOneSeparator) {
  for (const char* dir : {"/tmp", "/tmp/"}) {
    std::string path = "a.jpg";
    ReplaceDirectory(path, dir);
    EXPECT_EQ(path, "/tmp/a.jpg");
  }
  std::string path = "/old/place/b.bmp";
  ReplaceDirectory(path, "");
  EXPECT_EQ(path, "b.bmp");
}

TEST(PathUtils, LongPathsStayWhole) {
  // A path cut at a fixed length could name another file: paths are never shortened.
  const std::string dir = "/" + std::string(600, 'd') + "/";
  std::string path = dir + "tile.bmp";
  StripDirectory(path);
  EXPECT_EQ(path, "tile.bmp");
  path = dir + "tile.bmp";
  StripFileName(path);
  EXPECT_EQ(path, dir);
}

TEST(PathUtils, ProgramAndTempDirectories) {
  std::string programDir;
  const int length = GetProgramDirectory(programDir);
  EXPECT_EQ(static_cast<std::size_t>(length), programDir.size() + 1);
  EXPECT_NE(programDir.back(), '/');
  EXPECT_TRUE(FileExists(programDir));

  std::string temp;
  GetTempDirectory(temp);
  EXPECT_EQ(temp.back(), '/');
  EXPECT_TRUE(FileExists(temp));
  EXPECT_FALSE(FileExists(test::ScratchPath("no-such-file")));
  EXPECT_FALSE(FileExists(""));
}

TEST(NumberUtils, FormatThousandsGroupsWithCommas) {
  EXPECT_EQ(FormatThousands(0), "0");
  EXPECT_EQ(FormatThousands(640), "640");
  EXPECT_EQ(FormatThousands(999), "999");
  EXPECT_EQ(FormatThousands(1000), "1,000");
  EXPECT_EQ(FormatThousands(1024), "1,024");
  EXPECT_EQ(FormatThousands(1234567), "1,234,567");
  EXPECT_EQ(FormatThousands(4294967295u), "4,294,967,295");
}

TEST(NumberUtils, FitInsideKeepsTheAspectRatio) {
  auto fit = [](int w, int h, int mw, int mh) {
    FitInside(w, h, mw, mh);
    return std::pair{w, h};
  };
  EXPECT_EQ(fit(100, 50, 300, 200), std::pair(300, 150));
  EXPECT_EQ(fit(50, 100, 300, 200), std::pair(100, 200));
  EXPECT_EQ(fit(100, 100, 200, 200), std::pair(200, 200));
  EXPECT_EQ(fit(4000, 3000, 640, 480), std::pair(640, 480));
  // Every side keeps at least one pixel.
  EXPECT_EQ(fit(1, 10000, 100, 100), std::pair(1, 1));
  // A picture without area fills the box instead of dividing by zero.
  EXPECT_EQ(fit(0, 10, 30, 20), std::pair(30, 20));
}
