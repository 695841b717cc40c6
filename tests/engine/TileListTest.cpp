#include "engine/TileList.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "TileFiles.h"
#include "support/TestSupport.h"

namespace {

std::vector<std::string> Texts(const TileList& list) {
  std::vector<std::string> texts;
  for (int i = 0; i < list.GetCount(); ++i) texts.push_back(list.GetText(i));
  return texts;
}

// Adds the named scratch files and returns the list's texts as their bare names.
std::vector<std::string> SortedNames(const std::vector<std::string>& names) {
  TileList list;
  const std::string dir = test::ScratchPath("");
  for (const std::string& name : names) {
    test::MakeTileFile(name, 4, 3);
    EXPECT_TRUE(list.AddFile(dir + name)) << name;
  }
  std::vector<std::string> texts = Texts(list);
  for (std::string& text : texts) text.erase(0, dir.size());
  return texts;
}

TEST(TileListTest, EntriesAreSortedIgnoringLetterCase) {
  EXPECT_EQ(SortedNames({"b.jpg", "A.jpg", "c.jpg"}),
            (std::vector<std::string>{"A.jpg", "b.jpg", "c.jpg"}));
  // Letters are folded to lower case before comparing: "_" (0x5F) sorts before "b" (0x62),
  // though it sorts after "B" (0x42) in plain byte order. A prefix comes first.
  EXPECT_EQ(SortedNames({"B1.bmp", "_1.bmp", "b1.bmpx", "a1.bmp"}),
            (std::vector<std::string>{"_1.bmp", "a1.bmp", "B1.bmp", "b1.bmpx"}));
  // Bytes past ASCII are compared unsigned and are not folded.
  EXPECT_EQ(SortedNames({"\xC3\x89t\xC3\xA9.bmp", "z.bmp", "E.bmp"}),
            (std::vector<std::string>{"E.bmp", "z.bmp", "\xC3\x89t\xC3\xA9.bmp"}));
}

TEST(TileListTest, TextsEqualApartFromCaseKeepTheirAddingOrder) {
  EXPECT_EQ(SortedNames({"Mixed.bmp", "mixed.bmp", "MIXED.bmp"}),
            (std::vector<std::string>{"Mixed.bmp", "mixed.bmp", "MIXED.bmp"}));
  EXPECT_EQ(SortedNames({"mixed.bmp", "MIXED.bmp", "Mixed.bmp"}),
            (std::vector<std::string>{"mixed.bmp", "MIXED.bmp", "Mixed.bmp"}));
}

TEST(TileListTest, AddKeepsThePathAsGivenWithItsProbedSize) {
  const std::string path = test::MakeTileFile("sized.bmp", 7, 5);
  TileList list;
  ASSERT_TRUE(list.AddFile(path));
  ASSERT_EQ(list.GetCount(), 1);
  EXPECT_EQ(list.GetText(0), path);
  const auto size = list.GetSizeInfo(0);
  ASSERT_TRUE(size.has_value());
  EXPECT_EQ(size->width, 7);
  EXPECT_EQ(size->height, 5);
}

TEST(TileListTest, TheSameFileTwiceGivesTwoEntriesWithTheirOwnRecords) {
  const std::string path = test::MakeTileFile("twice.bmp", 6, 2);
  TileList list;
  ASSERT_TRUE(list.AddFile(path));
  ASSERT_TRUE(list.AddFile(path));
  ASSERT_EQ(list.GetCount(), 2);
  EXPECT_EQ(list.GetText(0), list.GetText(1));
  list.Remove(0);
  ASSERT_EQ(list.GetCount(), 1);
  ASSERT_TRUE(list.GetSizeInfo(0).has_value());
  EXPECT_EQ(list.GetSizeInfo(0)->width, 6);
}

TEST(TileListTest, FilesThatDoNotProbeAreRefused) {
  const std::string nineBytes = test::ScratchPath("nine.bmp");
  test::WriteFile(nineBytes, {'B', 'M', 0, 0, 0, 0, 0, 0, 0});
  const std::string unknown = test::ScratchPath("unknown.bmp");
  test::WriteFile(unknown, test::Bytes(64, 'Z'));
  const std::string badHeader = test::ScratchPath("badheader.bmp");
  test::Bytes bytes = test::ReadFile(test::MakeTileFile("tobreak.bmp", 4, 4));
  bytes[14] = 99;  // no bitmap header is 99 bytes long
  test::WriteFile(badHeader, bytes);

  TileList list;
  EXPECT_FALSE(list.AddFile(nineBytes));
  EXPECT_FALSE(list.AddFile(unknown));
  EXPECT_FALSE(list.AddFile(badHeader));
  EXPECT_FALSE(list.AddFile(test::ScratchPath("missing.bmp")));
  EXPECT_FALSE(list.AddFile(""));
  EXPECT_EQ(list.GetCount(), 0);
}

TEST(TileListTest, RemoveAndReleaseWorkOnRecordsAndEntries) {
  TileList list;
  ASSERT_TRUE(list.AddFile(test::MakeTileFile("r1.bmp", 2, 2)));
  ASSERT_TRUE(list.AddFile(test::MakeTileFile("r2.bmp", 3, 3)));
  ASSERT_TRUE(list.AddFile(test::MakeTileFile("r3.bmp", 4, 4)));
  list.Remove(1);
  ASSERT_EQ(list.GetCount(), 2);
  EXPECT_EQ(list.GetText(1), test::ScratchPath("r3.bmp"));
  EXPECT_EQ(list.GetSizeInfo(1)->width, 4);

  EXPECT_EQ(list.ReleaseAllSizeInfo(), 2);
  EXPECT_EQ(list.GetCount(), 2);
  EXPECT_FALSE(list.GetSizeInfo(0).has_value());
  EXPECT_FALSE(list.GetSizeInfo(1).has_value());

  list.RemoveAll();
  EXPECT_EQ(list.GetCount(), 0);
  EXPECT_EQ(list.ReleaseAllSizeInfo(), 0);
}

TEST(TileListTest, IndexesOutOfRangeReadEmptyAndChangeNothing) {
  TileList list;
  ASSERT_TRUE(list.AddFile(test::MakeTileFile("only.bmp", 2, 2)));
  EXPECT_EQ(list.GetText(-1), "");
  EXPECT_EQ(list.GetText(1), "");
  EXPECT_FALSE(list.GetSizeInfo(1).has_value());
  list.Remove(1);
  list.Remove(-1);
  EXPECT_EQ(list.GetCount(), 1);
}

TEST(TileListTest, ReprobeRefreshesSizesAndDropsFilesThatAreGone) {
  const std::string changing = test::MakeTileFile("p1.bmp", 5, 5);
  const std::string vanishing = test::MakeTileFile("p2.bmp", 6, 6);
  const std::string staying = test::MakeTileFile("p3.bmp", 7, 7);
  TileList list;
  ASSERT_TRUE(list.AddFile(changing));
  ASSERT_TRUE(list.AddFile(vanishing));
  ASSERT_TRUE(list.AddFile(staying));
  list.ReleaseAllSizeInfo();
  test::MakeTileFile("p1.bmp", 9, 4);
  std::remove(vanishing.c_str());

  EXPECT_EQ(list.Reprobe(), 2);
  EXPECT_EQ(list.GetText(0), changing);
  EXPECT_EQ(list.GetText(1), staying);
  ASSERT_TRUE(list.GetSizeInfo(0).has_value());  // made afresh after the release
  EXPECT_EQ(list.GetSizeInfo(0)->width, 9);
  EXPECT_EQ(list.GetSizeInfo(0)->height, 4);
  EXPECT_EQ(list.GetSizeInfo(1)->width, 7);
}

}  // namespace
