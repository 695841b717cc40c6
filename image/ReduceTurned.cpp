#include "image/ReduceTurned.h"

#include <cstdint>
#include <memory>
#include <new>
#include <vector>

#include "image/ResampleMaps.h"

namespace {

// The box map of one direction and how many source positions each box gathers.
struct Boxes {
  std::vector<int> entry;  // per source position: its box, or the box count when left out
  std::vector<std::uint64_t> size;

  Boxes(int sourceCount, int boxCount) : entry(sourceCount + 1), size(boxCount, 0) {
    resample::FillBoxMap(entry.data(), sourceCount, boxCount);
    for (int k = 0; k < sourceCount; ++k)
      if (entry[k] < boxCount) ++size[entry[k]];
  }
};

bool Inside(const TurnedRect& r, int turnedWidth, int turnedHeight) {
  return r.x >= 0 && r.y >= 0 && r.width > 0 && r.height > 0 &&
         static_cast<std::int64_t>(r.x) + r.width <= turnedWidth &&
         static_cast<std::int64_t>(r.y) + r.height <= turnedHeight;
}

}  // namespace

BOOL ReduceTurnedRect(CDibImage& image, const TurnedRect& rect, int newWidth, int newHeight) {
  // Turned pixel (X, Y) is unturned pixel (width - 1 - Y, X): turned columns are unturned rows,
  // turned rows are unturned columns read from the right.
  const int width = image.GetWidth(), height = image.GetHeight();
  if (!image.Is24Bit() || !Inside(rect, height, width)) return FALSE;
  if (newWidth < 1 || newHeight < 1 || newWidth >= rect.width || newHeight >= rect.height)
    return FALSE;
  try {
    const Boxes columns(rect.width, newWidth), rows(rect.height, newHeight);
    const std::size_t pixels = static_cast<std::size_t>(newWidth) * newHeight;
    std::vector<std::uint64_t> sums(3 * pixels, 0);

    // Unturned row X holds turned column X; its pixels from the right are the turned rows.
    for (int column = 0; column < rect.width; ++column) {
      const int boxColumn = columns.entry[column];
      if (boxColumn == newWidth) continue;
      const std::uint8_t* pixel = image.GetPixelAddress(width - 1 - rect.y, rect.x + column);
      for (int row = 0; row < rect.height; ++row, pixel -= 3) {
        const int boxRow = rows.entry[row];
        if (boxRow == newHeight) break;  // entries only grow: the rest is left out too
        std::uint64_t* sum = &sums[3 * (static_cast<std::size_t>(boxRow) * newWidth + boxColumn)];
        sum[0] += pixel[0];
        sum[1] += pixel[1];
        sum[2] += pixel[2];
      }
    }

    CDibImage reduced;
    if (!reduced.Create(newWidth, newHeight, TRUE)) return FALSE;
    for (int r = 0; r < newHeight; ++r) {
      std::uint8_t* out = reduced.GetPixelAddress(0, r);
      const std::uint64_t* sum = &sums[3 * static_cast<std::size_t>(r) * newWidth];
      for (int c = 0; c < newWidth; ++c, out += 3, sum += 3) {
        // One division by rows × columns truncates as dividing by each in turn.
        const std::uint64_t count = rows.size[r] * columns.size[c];
        out[0] = static_cast<std::uint8_t>(sum[0] / count);
        out[1] = static_cast<std::uint8_t>(sum[1] / count);
        out[2] = static_cast<std::uint8_t>(sum[2] / count);
      }
    }
    image.TakePixels(reduced);
    return TRUE;
  } catch (const std::bad_alloc&) {
    return FALSE;
  }
}
