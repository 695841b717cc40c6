#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "BuildFixture.h"
#include "formats/BmpWriter.h"
#include "formats/JpegRowWriter.h"
#include "formats/JpegWriter.h"
#include "formats/PngWriter.h"
#include "image/Progress.h"
#include "support/TestSupport.h"

namespace {

struct Format {
  const char* extension;
  std::function<std::unique_ptr<CPosterRowSink>(const std::string&)> streamed;
  std::function<SaveResult(const CDibImage&, const std::string&)> whole;
};

const Format kFormats[] = {
    {".bmp", [](const std::string& f) { return std::make_unique<CBmpRowWriter>(test::Target(f)); },
     [](const CDibImage& i, const std::string& f) { return WriteBmpFile(i, test::Target(f), nullptr); }},
    {".png", [](const std::string& f) { return std::make_unique<CPngRowWriter>(test::Target(f)); },
     [](const CDibImage& i, const std::string& f) { return WritePngFile(i, test::Target(f), nullptr); }},
    {".jpg",
     [](const std::string& f) { return std::make_unique<CJpegRowWriter>(test::Target(f), kJpegQualityHigh); },
     [](const CDibImage& i, const std::string& f) {
       return WriteJpegFile(i, test::Target(f), kJpegQualityHigh, nullptr);
     }},
};

// Cancels at the first report of a cell in the given cell row.
class CancelAtRow : public CProgress {
 public:
  explicit CancelAtRow(int row) : m_detail(std::to_string(row)) { m_detail.resize(5, ' '); }

 protected:
  void ShowStage(const std::string&) override {}
  void ShowDetail(const std::string& text) override {
    if (text.rfind(m_detail + " x", 0) == 0) SetCancel(TRUE);
  }
  void ShowPercent(int) override {}

 private:
  std::string m_detail;
};

// A sink whose disk fills up after a few rows.
class FillingSink : public CBmpRowWriter {
 public:
  using CBmpRowWriter::CBmpRowWriter;
  bool Write(const CDibImage& rows, int first, int count) override {
    m_rows += count;
    if (m_rows > 20) {
      errno = ENOSPC;
      return Fail(SaveResult::kWriteError);
    }
    return CBmpRowWriter::Write(rows, first, count);
  }

 private:
  int m_rows = 0;
};

}  // namespace

// A poster laid straight into its file, a ring of a few cell rows at a time, is byte for byte the
// poster built whole and saved, for every writer, thread count and border; the build holds no
// poster image.
TEST(StreamedBuild, TheFileIsTheWholePosterSaved) {
  for (const BorderStyle borders : {BorderStyle::SingleLine, BorderStyle::NoBorders}) {
    for (const int threads : {1, 2}) {
      test::PosterBuild b;
      b.AddMixedTiles("stream" + std::to_string(threads) + "-", 6);
      b.inputs.setup.params.Borders = borders;
      b.inputs.setup.printSize.height = 1.42;
      const PosterBuildResult whole = b.Build(threads);
      ASSERT_TRUE(whole.built);
      // The ring holds threads + 2 cell rows: the last band is a partial one.
      ASSERT_NE(whole.grid.tilesDown % (threads + 2), 0) << whole.grid.tilesDown;
      for (const Format& format : kFormats)
        ASSERT_EQ(format.whole(b.poster, test::ScratchPath(std::string("whole") + format.extension)),
                  SaveResult::kSaved);
      for (const Format& format : kFormats) {
        SCOPED_TRACE(std::string(format.extension) + ", " + std::to_string(threads) + " threads");
        const std::string saved = test::ScratchPath(std::string("whole") + format.extension);
        const std::string target = test::ScratchPath(std::string("streamed") + format.extension);
        const auto writer = format.streamed(target);
        b.inputs.rowSink = writer.get();
        const PosterBuildResult streamed = b.Build(threads);
        b.inputs.rowSink = nullptr;
        ASSERT_TRUE(streamed.built);
        EXPECT_TRUE(streamed.streamed);
        EXPECT_FALSE(b.poster.IsValid());
        ASSERT_EQ(writer->Finish(nullptr), SaveResult::kSaved);
        EXPECT_EQ(test::ReadFile(target), test::ReadFile(saved));
      }
    }
  }
}

// A cancel, or a write that fails, stops the laying at once and leaves no file; the matched
// order, which measures the whole main image first, is built whole.
TEST(StreamedBuild, StopsLeaveNoFileAndMatchedPostersAreBuiltWhole) {
  for (const int threads : {1, 2, 8}) {
    SCOPED_TRACE(std::to_string(threads) + " threads");
    test::PosterBuild b;
    b.AddMixedTiles("stop" + std::to_string(threads) + "-", 6);
    const std::string dir = test::ScratchPath("stop" + std::to_string(threads));
    std::filesystem::create_directories(dir);
    {
      CBmpRowWriter writer(test::Target(dir + "/cancelled.bmp"));
      b.inputs.rowSink = &writer;
      CancelAtRow cancel(3);
      const PosterBuildResult r = b.Build(threads, &cancel);
      EXPECT_FALSE(r.built);
      EXPECT_TRUE(r.streamed);
      EXPECT_EQ(writer.Failure(), SaveResult::kSaved);
    }
    {
      FillingSink writer(test::Target(dir + "/full.bmp"));
      b.inputs.rowSink = &writer;
      const PosterBuildResult r = b.Build(threads);
      EXPECT_FALSE(r.built);
      EXPECT_EQ(r.messageId, 0u);
      errno = 0;
      EXPECT_EQ(writer.Finish(nullptr), SaveResult::kWriteError);
      EXPECT_EQ(errno, ENOSPC);
    }
    EXPECT_EQ(test::FileCount(dir), 0u);
    CBmpRowWriter unused(test::Target(dir + "/matched.bmp"));
    b.inputs.rowSink = &unused;
    b.inputs.setup.params.TileOrder = TileOrderMode::Matched;
    const PosterBuildResult matched = b.Build(threads);
    ASSERT_TRUE(matched.built);
    EXPECT_FALSE(matched.streamed);
    EXPECT_TRUE(b.poster.IsValid());
  }
}
