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
#include "output/PageLayout.h"
#include "output/PdfPrintDevice.h"
#include "output/PosterSpool.h"
#include "output/PrintEngine.h"
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

namespace {

// A printer that takes bands and writes down each one's place and pixels.
class BandWriting : public CPrintDevice {
 public:
  PrintDeviceMetrics GetMetrics() const override { return {105, 105, 96, 96}; }
  bool StartDoc(const std::string&) override { return true; }
  bool StartPage() override { return (record += "page\n", true); }
  bool EndPage() override { return true; }
  bool EndDoc() override { return true; }
  void AbortDoc() override { record += "aborted\n"; }
  void StretchBand(const DeviceRect& at, const CDibImage& band, int width, int height) override {
    record += std::to_string(at.x) + "," + std::to_string(at.y) + " ";
    for (int y = 0; y < height; ++y)
      record.append(reinterpret_cast<const char*>(band.GetPixelAddress(0, y)), width * 3);
  }
  void DrawLine(DevicePoint, DevicePoint, double) override { record += "line\n"; }
  void DrawText(DevicePoint, const std::string& text, double, int) override { record += text; }
  std::string record;
};

}  // namespace

// A poster too large to hold is laid into a scratch file and printed from there: its pages,
// with every print aid, are those of the poster held whole, in a PDF file byte for byte and on
// a printer band for band; the scratch file leaves nothing behind.
TEST(StreamedBuild, APosterLaidIntoAScratchFilePrintsAsThePosterHeldWhole) {
  test::PosterBuild b;
  b.AddMixedTiles("spool-", 6);
  b.inputs.setup.printSize.height = 1.42;
  const PosterBuildResult built = b.Build(2);
  ASSERT_TRUE(built.built);
  CDibImage whole;
  ASSERT_TRUE(whole.Create(b.poster.GetWidth(), b.poster.GetHeight()));
  whole.CopyRect(b.poster, 0, 0, -1, -1, 0, 0);
  const std::string dir = test::ScratchPath("spool");
  std::filesystem::create_directories(dir);
  auto spool = CPosterSpool::Create(dir);
  ASSERT_TRUE(spool);
  b.inputs.rowSink = spool.get();
  ASSERT_TRUE(b.Build(2).streamed);
  ASSERT_EQ(spool->Finish(nullptr), SaveResult::kSaved);
  EXPECT_EQ(test::FileCount(dir), 0u);

  PrintJob job;
  job.mainImagePath = "main.bmp";
  job.dpiX = job.dpiY = 96;
  job.printSize = b.inputs.setup.printSize;
  job.extras = {0.1, true, true, true};
  job.cellWidth = built.grid.tileWidth;
  job.cellHeight = built.grid.tileHeight;
  const PaperSize paper{1.6, 1.6};
  const auto printed = [&](CPrintSource* spooled, const std::string& name) {
    CPdfPrintDevice pdf(test::Target(dir + "/" + name), paper, 96, 96, kPdfLossless);
    job.pages = ComputePageCountWithExtras(job.printSize, MetricsOf(pdf.GetMetrics()), job.extras);
    double scale = 1;
    test::SilentProgress quiet;
    const PrintOutcome outcome = spooled ? PrintPoster(*spooled, job, scale, pdf, quiet)
                                         : PrintPoster(whole, job, scale, pdf, quiet);
    EXPECT_EQ(outcome, PrintOutcome::kPrinted);
    BandWriting bands;
    const PrintOutcome banded = spooled ? PrintPoster(*spooled, job, scale, bands, quiet)
                                        : PrintPoster(whole, job, scale, bands, quiet);
    EXPECT_EQ(banded, PrintOutcome::kPrinted);
    return std::make_pair(test::ReadFile(dir + "/" + name), bands.record);
  };
  const auto fromWhole = printed(nullptr, "whole.pdf");
  const auto fromSpool = printed(spool.get(), "spooled.pdf");
  ASSERT_GE(job.pages.across * job.pages.down, 6);
  EXPECT_TRUE(fromSpool.first == fromWhole.first);
  EXPECT_TRUE(fromSpool.second == fromWhole.second) << fromWhole.second.size();
  EXPECT_FALSE(spool->Failed());
}
