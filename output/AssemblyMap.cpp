#include "output/AssemblyMap.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "output/PrintDevice.h"
#include "output/PrintEngine.h"

namespace {

constexpr double kCmPerInch = 2.54;
constexpr int kMapDpi = 150;          // detail enough to recognise the picture by
constexpr double kTitleShare = 0.03;  // of the page's width
constexpr double kAverageLetterWidth = 0.55;
constexpr int kBandPx = 100;

// small (created here, width × height) as the averages of the poster pixels each of its pixels
// covers; false when it cannot be created.
bool Reduce(CPrintSource& poster, CDibImage& small, int width, int height) {
  if (!small.Create(width, height, TRUE)) return false;
  const int sourceWidth = poster.Width(), sourceHeight = poster.Height();
  std::vector<std::uint32_t> sums(static_cast<std::size_t>(width) * 3);
  std::vector<int> firstColumn(width + 1);
  for (int x = 0; x <= width; ++x)
    firstColumn[x] = static_cast<int>(static_cast<std::int64_t>(x) * sourceWidth / width);
  for (int y = 0; y < height; ++y) {
    const int y0 = static_cast<int>(static_cast<std::int64_t>(y) * sourceHeight / height);
    const int y1 = std::max(y0 + 1, static_cast<int>(static_cast<std::int64_t>(y + 1) * sourceHeight / height));
    std::fill(sums.begin(), sums.end(), 0);
    for (int sy = y0; sy < y1; ++sy) {
      const SourcePixels row = poster.Pixels(0, sy, sourceWidth, 1);
      if (row.image == nullptr) return false;
      const std::uint8_t* p = row.image->GetPixelAddress(row.x, row.y);
      std::uint32_t* sum = sums.data();
      for (int x = 0; x < width; ++x, sum += 3)
        for (int sx = firstColumn[x]; sx < std::max(firstColumn[x + 1], firstColumn[x] + 1); ++sx) {
          sum[0] += p[3 * sx];
          sum[1] += p[3 * sx + 1];
          sum[2] += p[3 * sx + 2];
        }
    }
    std::uint8_t* out = small.GetPixelAddress(0, y);
    for (int x = 0; x < width; ++x, out += 3) {
      const std::uint32_t count =
          static_cast<std::uint32_t>(std::max(firstColumn[x + 1] - firstColumn[x], 1) * (y1 - y0));
      for (int c = 0; c < 3; ++c) out[c] = static_cast<std::uint8_t>(sums[3 * x + c] / count);
    }
  }
  return true;
}

// Where the map lies on the page: its top-left corner and device pixels per poster printer pixel.
struct MapFrame {
  double left = 0, top = 0;  // device pixels, device rows
  double across = 0;         // device pixels per printer pixel, both directions before rows
  double rowsPerPx = 1;
  [[nodiscard]] DevicePoint At(double posterX, double posterY) const {
    return {left + posterX * across, top + posterY * across * rowsPerPx};
  }
};

// The small poster as one picture, or in bands on a device that takes bands only.
void DrawSmallPoster(CPrintDevice& device, const CDibImage& small, const MapFrame& map,
                     const PageLayout& layout) {
  const double pixelWidth = layout.x.poster * map.across / small.GetWidth();
  const double pixelHeight = layout.y.poster * map.across * map.rowsPerPx / small.GetHeight();
  if (device.TakesPictures()) {
    const DevicePoint corner = map.At(0, 0), end = map.At(layout.x.poster, layout.y.poster);
    const DeviceRect clip{static_cast<int>(corner.x), static_cast<int>(corner.y),
                          static_cast<int>(end.x - corner.x), static_cast<int>(end.y - corner.y)};
    device.BeginPicture(small.GetWidth(), small.GetHeight(), {corner, pixelWidth, pixelHeight, clip});
    device.PictureRows(small, 0, 0, small.GetHeight());
    device.EndPicture();
    return;
  }
  CDibImage band;
  if (!band.Create(kBandPx, kBandPx, TRUE)) return;
  for (int by = 0; by < small.GetHeight(); by += kBandPx)
    for (int bx = 0; bx < small.GetWidth(); bx += kBandPx) {
      const int w = std::min(kBandPx, small.GetWidth() - bx);
      const int h = std::min(kBandPx, small.GetHeight() - by);
      band.CopyRect(small, 0, 0, w, h, bx, by);
      const int x0 = static_cast<int>(map.left + bx * pixelWidth);
      const int y0 = static_cast<int>(map.top + by * pixelHeight);
      const int x1 = static_cast<int>(map.left + (bx + w) * pixelWidth);
      const int y1 = static_cast<int>(map.top + (by + h) * pixelHeight);
      device.StretchBand({x0, y0, x1 - x0, y1 - y0}, band, w, h);
    }
}

void DrawGrid(CPrintDevice& device, const MapFrame& map, const PageLayout& layout, double line) {
  for (int i = 0; i <= layout.x.count; ++i) {
    const int x = layout.x.Cut(i);
    device.DrawLine(map.At(x, 0), map.At(x, layout.y.poster), line);
  }
  for (int i = 0; i <= layout.y.count; ++i) {
    const int y = layout.y.Cut(i);
    device.DrawLine(map.At(0, y), map.At(layout.x.poster, y), line);
  }
}

void DrawLabels(CPrintDevice& device, const MapFrame& map, const PageLayout& layout,
                double largest) {
  for (int row = 0; row < layout.y.count; ++row)
    for (int column = 0; column < layout.x.count; ++column) {
      const int x0 = layout.x.Cut(column), x1 = layout.x.Cut(column + 1);
      const int y0 = layout.y.Cut(row), y1 = layout.y.Cut(row + 1);
      const std::string label = PageLabel(column, row);
      const double height =
          std::min({largest, (x1 - x0) * map.across * 0.4, (y1 - y0) * map.across * 0.4});
      const DevicePoint centre = map.At((x0 + x1) / 2.0, (y0 + y1) / 2.0);
      device.DrawText({centre.x - label.size() * height * kAverageLetterWidth / 2,
                       centre.y + height * map.rowsPerPx / 2},
                      label, height * map.rowsPerPx, 0);
    }
}

}  // namespace

std::string MapTitle(const PrintJob& job) {
  char text[160];
  std::snprintf(text, sizeof text, "Assembly map: %.2f x %.2f inches (%.1f x %.1f cm) on %d x %d pages",
                job.printSize.width, job.printSize.height, job.printSize.width * kCmPerInch,
                job.printSize.height * kCmPerInch, job.pages.across, job.pages.down);
  return text;
}

bool PrintAssemblyMap(CPrintDevice& device, CPrintSource& poster, const PageLayout& layout,
                      const PrintJob& job) {
  const PrintDeviceMetrics page = device.GetMetrics();
  MapFrame map;
  map.rowsPerPx = static_cast<double>(job.dpiY) / job.dpiX;
  const double title = page.pageWidthPx * kTitleShare;
  device.DrawText({0, title * map.rowsPerPx}, MapTitle(job), title * map.rowsPerPx, 0);
  map.top = 2.5 * title * map.rowsPerPx;
  const double roomDown = (page.pageHeightPx - map.top) / map.rowsPerPx;
  map.across = std::min(page.pageWidthPx / double(layout.x.poster), roomDown / layout.y.poster);
  map.left = (page.pageWidthPx - layout.x.poster * map.across) / 2;

  const int smallWidth = std::clamp(
      static_cast<int>(layout.x.poster * map.across * kMapDpi / job.dpiX), 1, poster.Width());
  const int smallHeight = std::max(1, static_cast<int>(static_cast<double>(smallWidth) *
                                                       poster.Height() / poster.Width()));
  CDibImage small;
  const bool pictured = Reduce(poster, small, smallWidth, smallHeight);
  if (pictured) DrawSmallPoster(device, small, map, layout);
  DrawGrid(device, map, layout, page.pageWidthPx / 800.0);
  DrawLabels(device, map, layout, title * 2);
  return pictured;
}
