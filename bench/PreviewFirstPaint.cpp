// Opening the full-screen preview of a 12000 × 9000 poster: the time from the command to the
// first painted frame (the fitted image and the navigator's thumbnail are made on the way), and
// the time per pan at actual pixels (copying one screen of the poster and painting it).
// Runs without a display, on a 1920 × 1080 screen unless QT_QPA_PLATFORM names another.
#include <QApplication>
#include <QScreen>
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "BenchPoster.h"
#include "output/NavigatorWnd.h"
#include "output/PreviewWnd.h"

namespace {

double Milliseconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - since)
      .count();
}

// A screen of 1920 × 1080 pixels for the window system that draws nowhere.
void UseFullHdScreen() {
  const std::string config = bench::TempPath("screen.json");
  if (std::FILE* f = std::fopen(config.c_str(), "w")) {
    std::fputs(
        "{\"screens\": [{\"name\": \"bench\", \"x\": 0, \"y\": 0, \"width\": 1920, "
        "\"height\": 1080, \"logicalDpi\": 96, \"logicalBaseDpi\": 96, \"dpr\": 1}]}",
        f);
    std::fclose(f);
  }
  setenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + config).c_str(), 1);
}

}  // namespace

int main(int argc, char** argv) {
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) UseFullHdScreen();
  QApplication application(argc, argv);
  CDibImage poster;
  bench::MakePoster(poster);
  const double posterMb = bench::ResidentMb();
  const QSize screen = QGuiApplication::primaryScreen()->size();
  std::printf("poster       %d x %d pixels on a %d x %d screen\n", bench::kPosterWidth,
              bench::kPosterHeight, screen.width(), screen.height());

  QWidget mainWindow;
  CPreviewWnd preview(&mainWindow);
  bench::ResetPeak();
  auto start = std::chrono::steady_clock::now();
  if (!preview.ShowPreview(&poster)) return 1;
  preview.DrawView();
  std::printf("first paint  %.0f ms (fitted view)\n", Milliseconds(start));

  preview.ToggleZoom();
  constexpr int kPans = 100;
  start = std::chrono::steady_clock::now();
  for (int i = 0; i < kPans; ++i)
    preview.SetScroll((i * 997) % bench::kPosterWidth, (i * 613) % bench::kPosterHeight);
  std::printf("pan          %.1f ms per move at actual pixels\n", Milliseconds(start) / kPans);
  std::printf("memory       peak %.0f MB = poster + %.0f MB\n", bench::PeakMb(),
              bench::PeakMb() - posterMb);
  preview.close();
  return 0;
}
