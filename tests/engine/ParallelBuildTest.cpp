// Builds on several threads: the same poster bytes whatever the thread count, progress reported
// in order from the calling thread, the first failing tile in list order, and Cancel.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <thread>

#include "BuildFixture.h"
#include "image/OrderedWork.h"
#include "image/Progress.h"
#include "resources/StringTable.h"
#include "support/TestSupport.h"

namespace {

// Records what the build reports, checks that only the thread that made it is called, and
// presses Cancel at a chosen detail text.
class RecordingProgress : public CProgress {
 public:
  struct Report {
    int stage;
    int percent;
  };
  std::vector<Report> percents;
  std::vector<std::string> details;
  int stage = -1;
  std::string cancelOnDetail;
  std::thread::id owner = std::this_thread::get_id();
  std::atomic<int> foreignCalls{0};

 protected:
  void ShowStage(const std::string&) override {
    Check();
    ++stage;
  }
  void ShowDetail(const std::string& text) override {
    Check();
    if (text.empty()) return;
    details.push_back(text);
    if (!cancelOnDetail.empty() && text == cancelOnDetail) SetCancel(TRUE);
  }
  void ShowPercent(int percent) override {
    Check();
    percents.push_back({stage, percent});
  }
  BOOL PumpMessages() override {
    Check();
    return FALSE;
  }

 private:
  void Check() {
    if (std::this_thread::get_id() != owner) ++foreignCalls;
  }
};

struct Settings {
  BorderStyle borders;
  TileOrderMode order;
  int emphasis;
  BOOL crop;
  BOOL rotate;
};

}  // namespace

TEST(ParallelBuild, SamePosterBytesAtOneTwoAndEightThreads) {
  const Settings cases[] = {
      {BorderStyle::SingleLine, TileOrderMode::Random, 4, TRUE, TRUE},
      {BorderStyle::SingleLine, TileOrderMode::Sequential, 1, FALSE, TRUE},
      {BorderStyle::ButtonFrame, TileOrderMode::Random, 6, TRUE, TRUE},
      {BorderStyle::ButtonFrame, TileOrderMode::Sequential, 7, TRUE, FALSE},
      {BorderStyle::NoBorders, TileOrderMode::Random, 2, FALSE, FALSE},
  };
  int caseNumber = 0;
  for (const Settings& s : cases) {
    test::PosterBuild b;
    b.AddMixedTiles("same" + std::to_string(caseNumber++) + "-", 7);
    PosterParams& p = b.inputs.setup.params;
    p.Borders = s.borders;
    p.TileOrder = s.order;
    p.Emphasis = s.emphasis;
    p.Crop = s.crop;
    p.Rotate = s.rotate;
    ASSERT_TRUE(b.Build(1).built);
    ASSERT_GE(b.poster.GetHeight() / b.Build(1).grid.tileHeight, 8) << "too few rows to share";
    CDibImage single;
    single.TakePixels(b.poster);
    for (int threads : {2, 8}) {
      ASSERT_TRUE(b.Build(threads).built);
      EXPECT_TRUE(test::SamePixels(single, b.poster))
          << "case " << caseNumber - 1 << " differs at " << threads << " threads";
    }
  }
}

TEST(ParallelBuild, ProgressComesInOrderFromTheCallingThreadOnly) {
  test::PosterBuild b;
  b.AddMixedTiles("order-", 12);
  RecordingProgress progress;
  const PosterBuildResult r = b.Build(8, &progress);
  ASSERT_TRUE(r.built);
  EXPECT_EQ(progress.foreignCalls.load(), 0);
  // Within each stage the percentages never go back.
  for (std::size_t i = 1; i < progress.percents.size(); ++i) {
    if (progress.percents[i].stage != progress.percents[i - 1].stage) continue;
    EXPECT_GE(progress.percents[i].percent, progress.percents[i - 1].percent) << i;
  }
  // The entries in list order, then every cell row by row.
  std::vector<std::string> expected;
  for (int i = 0; i < b.tiles.GetCount(); ++i) expected.push_back(b.tiles.GetText(i));
  char cell[32];
  for (int row = 0; row < r.grid.tilesDown; ++row)
    for (int col = 0; col < r.grid.tilesAcross; ++col) {
      std::snprintf(cell, sizeof cell, "%-5d x %-5d", row, col);
      expected.push_back(cell);
    }
  std::vector<std::string> seen;
  for (const std::string& d : progress.details)
    if (d.find("esampl") == std::string::npos) seen.push_back(d);
  EXPECT_EQ(seen, expected);
}

TEST(ParallelBuild, TheFirstUnreadableTileInListOrderIsReported) {
  test::PosterBuild b;
  b.AddMixedTiles("fail-", 10);
  // Two damaged files: the header still probes, the pixels claim 16 bits a pixel.
  std::vector<std::string> damaged;
  for (int i : {3, 8}) {
    damaged.push_back(b.tiles.GetText(i));
    test::Bytes bytes = test::ReadFile(damaged.back());
    bytes[28] = 16;
    test::WriteFile(damaged.back(), bytes);
  }
  for (int attempt = 0; attempt < 5; ++attempt) {
    RecordingProgress progress;
    const PosterBuildResult r = b.Build(8, &progress);
    EXPECT_FALSE(r.built);
    EXPECT_EQ(r.messageId, static_cast<unsigned>(res::IDS_TILE_OPEN_ERROR));
    EXPECT_EQ(r.messageArg, damaged[0]);
    EXPECT_EQ(progress.details.back(), damaged[0]);
  }
}

TEST(ParallelBuild, CancelStopsReadingAndLayingOnEveryThreadCount) {
  for (int threads : {1, 2, 8}) {
    test::PosterBuild b;
    b.AddMixedTiles("cancel" + std::to_string(threads) + "-", 9);
    RecordingProgress reading;
    reading.cancelOnDetail = b.tiles.GetText(4);
    EXPECT_FALSE(b.Build(threads, &reading).built);
    EXPECT_EQ(reading.details.back(), b.tiles.GetText(4));
    RecordingProgress laying;
    laying.cancelOnDetail = "2     x 1    ";
    const PosterBuildResult r = b.Build(threads, &laying);
    EXPECT_FALSE(r.built);
    EXPECT_EQ(r.messageId, 0u);
    EXPECT_EQ(laying.details.back(), "2     x 1    ");
  }
}

// A listener may read the rows it is told are final at once, while later rows are laid: they
// must already hold their last bytes, whatever the thread count and the borders.
TEST(ParallelBuild, RowsToldFinalAreFinalAndComeInOrderFromTheCallingThread) {
  for (const BorderStyle borders : {BorderStyle::SingleLine, BorderStyle::NoBorders}) {
    for (const int threads : {1, 2, 8}) {
      SCOPED_TRACE(std::to_string(threads) + " threads");
      test::PosterBuild b;
      b.AddMixedTiles("final" + std::to_string(threads) + "-", 7);
      b.inputs.setup.params.Borders = borders;
      std::vector<int> told;
      std::vector<std::uint8_t> copied;  // the rows as they were when told final, top first
      int foreignCalls = 0;
      const std::thread::id owner = std::this_thread::get_id();
      b.inputs.onRowsFinal = [&](const CDibImage& poster, int finalRows) {
        if (std::this_thread::get_id() != owner) ++foreignCalls;
        const int from = told.empty() ? 0 : told.back();
        for (int y = from; y < finalRows; ++y) {
          const std::uint8_t* row = poster.GetPixelAddress(0, y);
          copied.insert(copied.end(), row, row + poster.GetWidth() * 3);
        }
        told.push_back(finalRows);
      };
      const PosterBuildResult r = b.Build(threads);
      ASSERT_TRUE(r.built);
      EXPECT_EQ(foreignCalls, 0);
      std::vector<int> expected = {0};
      for (int row = 1; row <= r.grid.tilesDown; ++row) expected.push_back(row * r.grid.tileHeight);
      EXPECT_EQ(told, expected);
      ASSERT_EQ(told.back(), b.poster.GetHeight());
      std::vector<std::uint8_t> finished;
      for (int y = 0; y < b.poster.GetHeight(); ++y) {
        const std::uint8_t* row = b.poster.GetPixelAddress(0, y);
        finished.insert(finished.end(), row, row + b.poster.GetWidth() * 3);
      }
      EXPECT_TRUE(copied == finished);
    }
  }
}

TEST(OrderedWork, RunsEveryItemOnceAndStopsWhenTheCallerRefuses) {
  std::vector<std::atomic<int>> runs(200);
  {
    COrderedWork work(200, 4, [&](int i) { ++runs[static_cast<std::size_t>(i)]; });
    for (int i = 0; i < 200; ++i) ASSERT_TRUE(work.WaitFor(i, [] { return true; }));
  }
  for (const auto& r : runs) EXPECT_EQ(r.load(), 1);
  // An item that a helper thread holds until released: the caller's refusal ends the wait.
  std::atomic<bool> started{false}, release{false};
  COrderedWork slow(2, 2, [&](int i) {
    if (i != 0) return;
    started.store(true);
    while (!release.load()) std::this_thread::yield();
  });
  while (!started.load()) std::this_thread::yield();
  int asked = 0;
  EXPECT_FALSE(slow.WaitFor(0, [&] { return ++asked < 3; }));
  EXPECT_EQ(asked, 3);
  release.store(true);
}
