// Printing a 12000 × 9000 poster to a PDF file, its pages' pictures JPEG-compressed at the
// medium quality (the default) and exact (--lossless), beside writing the same pixels as a JPEG
// file: time, output size and the memory the job needs above the poster. Targets: the default
// print at most twice the JPEG's time, its file at most a quarter of the raw pixels, and at most
// 64 MB above the poster.
#include <chrono>
#include <ctime>
#include <cstdio>
#include <filesystem>

#include "BenchPoster.h"
#include "formats/JpegWriter.h"
#include "image/Progress.h"
#include "output/PaperSize.h"
#include "output/PdfPrintDevice.h"
#include "output/PrintEngine.h"

namespace {

class CQuietProgress : public CProgress {
 protected:
  void ShowStage(const std::string&) override {}
  void ShowDetail(const std::string&) override {}
  void ShowPercent(int) override {}
};

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

double FileMb(const std::string& path) {
  return std::filesystem::file_size(path) / double(1 << 20);
}

}  // namespace

int main() {
  CDibImage poster;
  bench::MakePoster(poster);
  const double posterMb = bench::ResidentMb();
  std::printf("poster       %d x %d pixels, %.0f MB resident\n", bench::kPosterWidth,
              bench::kPosterHeight, posterMb);

  // 600 dpi, four printer pixels per poster pixel: 80 × 60 inches on letter paper.
  const std::string pdf = bench::TempPath("print.pdf");
  PrintJob job;
  job.mainImagePath = "poster.jpg";
  job.pages = {10, 6};
  const double rawMb = 3.0 * bench::kPosterWidth * bench::kPosterHeight / (1 << 20);
  double printSeconds = 0;
  for (const int quality : {JpegQualityFor(kJpegQualityMedium), kPdfLossless}) {
    double scale = 4.0;
    CPdfPrintDevice device(*CheckOutputTarget(pdf, {}).target, PaperSize{}, job.dpiX, job.dpiY, quality);
    CQuietProgress progress;
    bench::ResetPeak();
    const auto start = std::chrono::steady_clock::now();
    const std::clock_t cpuStart = std::clock();
    if (PrintPoster(poster, job, scale, device, progress) != PrintOutcome::kPrinted) return 1;
    const double seconds = Seconds(start);
    // The machine may be shared: the processor time of this one thread says more than the clock.
    const double cpuSeconds = double(std::clock() - cpuStart) / CLOCKS_PER_SEC;
    if (quality != kPdfLossless) printSeconds = seconds;
    const double peakMb = bench::PeakMb();
    std::printf("print PDF    %-8s %.2f s (processor %.2f s), %.0f MB file (%.2f of the raw "
                "pixels), peak %.0f MB = poster + %.0f MB\n",
                quality == kPdfLossless ? "lossless" : "JPEG", seconds, cpuSeconds, FileMb(pdf),
                FileMb(pdf) / rawMb, peakMb, peakMb - posterMb);
    std::filesystem::remove(pdf);
  }

  const std::string jpeg = bench::TempPath("print.jpg");
  bench::ResetPeak();
  const auto start = std::chrono::steady_clock::now();
  if (WriteJpegFile(poster, *CheckOutputTarget(jpeg, {}).target, kJpegQualityMedium, nullptr) != SaveResult::kSaved) return 1;
  const double jpegSeconds = Seconds(start);
  std::printf("write JPEG   %.2f s, %.0f MB file, peak %.0f MB\n", jpegSeconds, FileMb(jpeg),
              bench::PeakMb());
  std::filesystem::remove(jpeg);
  std::printf("ratio        default print / JPEG = %.2f (target at most 2)\n", printSeconds / jpegSeconds);
  return 0;
}
