#include "image/DibImage.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>
#include <utility>

#include "image/PageAllocator.h"
#include "image/SizeMath.h"

namespace {

void InitInfoHeader(BITMAPINFOHEADER& header, int width, int height, int bitCount, int colorCount) {
  header = BITMAPINFOHEADER{};
  header.biSize = sizeof(BITMAPINFOHEADER);
  header.biWidth = width;
  header.biHeight = height;
  header.biPlanes = 1;
  header.biBitCount = static_cast<std::int16_t>(bitCount);
  header.biCompression = BI_RGB;
  header.biClrUsed = static_cast<std::uint32_t>(colorCount);
  header.biClrImportant = static_cast<std::uint32_t>(colorCount);
}

// The palette of count colour-table entries; none for an empty or oversized table.
std::optional<std::vector<RGBQUAD>> MakePalette(const RGBQUAD* colorTable, std::uint32_t count) {
  if (count == 0 || count > kColorTableEntries) return std::nullopt;
  std::vector<RGBQUAD> palette(colorTable, colorTable + count);
  for (RGBQUAD& entry : palette) entry.rgbReserved = 0;
  return palette;
}

}  // namespace

CDibImage::~CDibImage() {
  m_valid = FALSE;
  Close();
}

BOOL CDibImage::Create(int width, int height, BOOL trueColor, const RGBQUAD* colorTable,
                       int colorCount) {
  // A 24-bit block of this very size is kept and cleared: a poster made again at its size then
  // costs one clearing pass instead of faulting in hundreds of megabytes of fresh pages.
  if (trueColor && Is24Bit() && width == GetWidth() && height == GetHeight()) {
    Clear();
    m_valid = TRUE;
    return TRUE;
  }
  ReleasePixels();
  m_valid = FALSE;
  const int bitCount = trueColor ? 24 : 8;
  if (width < 1 || height < 1 || colorCount < 0 || colorCount > kColorTableEntries) return FALSE;
  const std::int64_t rowBytes = DibRowBytes(width, bitCount);
  if (rowBytes > std::numeric_limits<std::int32_t>::max()) return FALSE;
  const auto blockBytes = size_math::MulAdd(kDibPixelOffset, rowBytes, height);
  if (!blockBytes || *blockBytes > std::numeric_limits<std::size_t>::max()) return FALSE;

  m_block = static_cast<std::uint8_t*>(page_allocator::Allocate(*blockBytes));
  if (m_block == nullptr) return FALSE;
  InitInfoHeader(*Header(), width, height, bitCount, colorCount);
  if (!trueColor && colorTable != nullptr)
    std::memcpy(GetColorTable(), colorTable, static_cast<std::size_t>(colorCount) * 4);
  RebuildPalette();
  m_valid = TRUE;
  return TRUE;
}

void CDibImage::ReleasePixels() {
  page_allocator::Free(m_block);
  m_block = nullptr;
  m_palette.reset();
}

void CDibImage::Close() {
  CloseFile();
  FreeRowBuffer();
  ReleasePixels();
}

void CDibImage::TakePixels(CDibImage& other) {
  if (&other == this) return;
  ReleasePixels();
  m_block = std::exchange(other.m_block, nullptr);
  other.m_palette.reset();
  RebuildPalette();
}

void CDibImage::RebuildPalette() {
  m_palette.reset();
  if (m_block != nullptr && !Is24Bit())
    m_palette = MakePalette(GetColorTable(), Header()->biClrUsed);
}

BOOL CDibImage::IsValid() const {
  return m_valid && m_block != nullptr && (Is24Bit() || m_palette.has_value());
}

void CDibImage::GetSize(int& width, int& height) const {
  width = GetWidth();
  height = GetHeight();
}

std::size_t CDibImage::GetRowBytes() const {
  return m_block ? static_cast<std::size_t>(DibRowBytes(GetWidth(), GetBitCount())) : 0;
}

RGBQUAD* CDibImage::GetColorTable() const {
  return m_block ? reinterpret_cast<RGBQUAD*>(m_block + sizeof(BITMAPINFOHEADER)) : nullptr;
}

std::uint8_t* CDibImage::GetBits() const { return m_block ? m_block + kDibPixelOffset : nullptr; }

std::uint8_t* CDibImage::GetPixelAddress(int x, int y) const {
  const std::size_t bytesPerPixel = Is24Bit() ? 3 : 1;
  return GetBits() + x * bytesPerPixel +
         GetRowBytes() * static_cast<std::size_t>(GetHeight() - 1 - y);
}

CProgress* CDibImage::SetProgress(CProgress* progress) {
  return std::exchange(m_pProgress, progress);
}

void CDibImage::Clear() {
  if (m_block) std::memset(GetBits(), 0, GetImageBytes());
}

void CDibImage::CopyRect(const CDibImage& source, int dx, int dy, int w, int h, int sx, int sy) {
  if (!Is24Bit() || !source.Is24Bit()) return;
  const int width = GetWidth(), height = GetHeight();
  const int sourceWidth = source.GetWidth(), sourceHeight = source.GetHeight();
  if (dx < 0 || dx >= width || dy < 0 || dy >= height) return;
  if (sx < 0 || sx >= sourceWidth || sy < 0 || sy >= sourceHeight) return;
  if (w == -1) w = width;
  if (h == -1) h = height;
  w = std::min({w, sourceWidth - sx, width - dx});
  h = std::min({h, sourceHeight - sy, height - dy});
  if (w <= 0 || h <= 0) return;

  const std::size_t rowBytes = GetRowBytes(), sourceRowBytes = source.GetRowBytes();
  const std::size_t copyBytes = static_cast<std::size_t>(w) * 3;
  std::uint8_t* dst = GetPixelAddress(dx, dy);
  const std::uint8_t* src = source.GetPixelAddress(sx, sy);
  for (int row = 0; row < h; ++row, dst -= rowBytes, src -= sourceRowBytes)
    std::memcpy(dst, src, copyBytes);
}

BOOL CDibImage::CreateLike(CDibImage& temp, int width, int height) const {
  const BOOL trueColor = Is24Bit();
  const int colorCount = trueColor ? 0 : static_cast<int>(Header()->biClrUsed);
  return temp.Create(width, height, trueColor, trueColor ? nullptr : GetColorTable(), colorCount);
}

BOOL CDibImage::CropToRect(int x, int y, int w, int h) {
  if (m_block == nullptr) return FALSE;
  const int width = GetWidth(), height = GetHeight();
  if (x < 0 || x >= width || y < 0 || y >= height) return FALSE;
  if (w == -1) w = width - x;
  if (h == -1) h = height - y;
  w = std::min(w, width - x);
  h = std::min(h, height - y);
  if (w <= 0 || h <= 0) return FALSE;

  CDibImage temp;
  if (!CreateLike(temp, w, h)) return FALSE;
  const std::size_t bytesPerPixel = Is24Bit() ? 3 : 1;
  const std::size_t copyBytes = bytesPerPixel * static_cast<std::size_t>(w);
  for (int r = 0; r < h; ++r)
    std::memcpy(temp.GetPixelAddress(0, r), GetPixelAddress(x, y + r), copyBytes);
  TakePixels(temp);
  return TRUE;
}

namespace {

// Writes the quarter turn of a width × height source into destination, whose rows are the
// source's columns from the right. The source is read in bands of rows that stay in the cache
// while every destination row receives its short run from the band.
template <std::size_t kBytesPerPixel>
void RotateRowsLeft(const CDibImage& source, CDibImage& destination) {
  constexpr int kBandRows = 32;
  const int width = source.GetWidth(), height = source.GetHeight();
  const std::size_t sourceRowBytes = source.GetRowBytes();
  for (int bandTop = 0; bandTop < height; bandTop += kBandRows) {
    const int bandRows = std::min(kBandRows, height - bandTop);
    const std::uint8_t* bandStart = source.GetPixelAddress(0, bandTop);
    for (int column = 0; column < width; ++column) {
      // New pixel (x, y) is old pixel (width - 1 - y, x).
      std::uint8_t* dst = destination.GetPixelAddress(bandTop, width - 1 - column);
      const std::uint8_t* src = bandStart + column * kBytesPerPixel;
      for (int r = 0; r < bandRows; ++r, dst += kBytesPerPixel, src -= sourceRowBytes)
        for (std::size_t b = 0; b < kBytesPerPixel; ++b) dst[b] = src[b];
    }
  }
}

}  // namespace

BOOL CDibImage::RotateLeft() {
  if (m_block == nullptr) return FALSE;
  CDibImage temp;
  if (!CreateLike(temp, GetHeight(), GetWidth())) return FALSE;
  if (Is24Bit())
    RotateRowsLeft<3>(*this, temp);
  else
    RotateRowsLeft<1>(*this, temp);
  TakePixels(temp);
  return TRUE;
}

void CDibImage::StretchFrom(int dx, int dy, int w, int h, const CDibImage& source) {
  if (m_block == nullptr || source.m_block == nullptr) return;
  if (GetBitCount() != source.GetBitCount()) return;
  const int width = GetWidth(), height = GetHeight();
  if (dx < 0 || dy < 0 || dx >= width || dy >= height) return;
  w = std::min(w, width - dx);
  h = std::min(h, height - dy);
  if (w <= 0 || h <= 0) return;

  const std::uint64_t sourceWidth = source.GetWidth(), sourceHeight = source.GetHeight();
  const std::size_t bytesPerPixel = Is24Bit() ? 3 : 1;
  std::vector<std::size_t> columnOffsets(static_cast<std::size_t>(w));
  for (int j = 0; j < w; ++j)
    columnOffsets[j] = static_cast<std::size_t>(j * sourceWidth / w) * bytesPerPixel;
  for (int i = 0; i < h; ++i) {
    const auto sourceRow = static_cast<int>(i * sourceHeight / h);
    const std::uint8_t* src = source.GetPixelAddress(0, sourceRow);
    std::uint8_t* dst = GetPixelAddress(dx, dy + i);
    for (int j = 0; j < w; ++j, dst += bytesPerPixel)
      std::memcpy(dst, src + columnOffsets[j], bytesPerPixel);
  }
}

namespace {

// Rows of count bytes, and the step from each row to the next (negative for rows stored bottom up).
struct ByteRows {
  std::uint8_t* out;
  std::ptrdiff_t outStep;
  const std::uint8_t* own;
  std::ptrdiff_t ownStep;
  const std::uint8_t* source;
  std::ptrdiff_t sourceStep;
  std::size_t count;
  int rows;
};

// Writes own blended towards source into out (which may be own or source), row by row. A weight
// sum that is a power of two up to 256 (the build's eighths) divides by shifting, which gives the
// same truncated quotient, and keeps every product and sum below 2^16, so the loop runs in 16-bit
// vector lanes, twice as many of them where the processor has the wider vectors.
__attribute__((target_clones("avx2", "default"))) void BlendRows(ByteRows r, unsigned sourceWeight,
                                                                 unsigned ownWeight) {
  const unsigned sum = sourceWeight + ownWeight;
  if ((sum & (sum - 1)) == 0 && sum <= 256) {
    const int shift = __builtin_ctz(sum);
    const auto ownW = static_cast<std::uint16_t>(ownWeight);
    const auto sourceW = static_cast<std::uint16_t>(sourceWeight);
    const auto blend = [&](std::size_t k) {
      r.out[k] = static_cast<std::uint8_t>(
          static_cast<std::uint16_t>(ownW * r.own[k] + sourceW * r.source[k]) >> shift);
    };
    // A single column, as the cells' line pixels are, spares each row the set-up of a vector
    // loop that would not run.
    if (r.count == 3) {
      for (int j = 0; j < r.rows;
           ++j, r.out += r.outStep, r.own += r.ownStep, r.source += r.sourceStep)
        blend(0), blend(1), blend(2);
      return;
    }
    for (int j = 0; j < r.rows;
         ++j, r.out += r.outStep, r.own += r.ownStep, r.source += r.sourceStep)
      for (std::size_t k = 0; k < r.count; ++k) blend(k);
    return;
  }
  for (int j = 0; j < r.rows; ++j, r.out += r.outStep, r.own += r.ownStep, r.source += r.sourceStep)
    for (std::size_t k = 0; k < r.count; ++k)
      r.out[k] =
          static_cast<std::uint8_t>((ownWeight * r.own[k] + sourceWeight * r.source[k]) / sum);
}

// Weights whose 32-bit products could overflow are no blend the program makes.
bool BlendableWeights(unsigned sourceWeight, unsigned ownWeight) {
  constexpr unsigned kMaxWeight = 1u << 22;
  return sourceWeight <= kMaxWeight && ownWeight <= kMaxWeight && sourceWeight + ownWeight != 0;
}

// Whether a w × h rectangle at (x, y) lies inside image.
bool HoldsRect(const CDibImage& image, int x, int y, int w, int h) {
  return x >= 0 && y >= 0 && w > 0 && h > 0 &&
         static_cast<std::int64_t>(x) + w <= image.GetWidth() &&
         static_cast<std::int64_t>(y) + h <= image.GetHeight();
}

}  // namespace

void CDibImage::BlendFrom(const CDibImage& source, int x, int y, int w, int h,
                          unsigned sourceWeight, unsigned ownWeight) {
  if (!Is24Bit() || !source.Is24Bit() || !HoldsRect(source, x, y, w, h)) return;
  if (w > GetWidth() || h > GetHeight() || !BlendableWeights(sourceWeight, ownWeight)) return;
  const auto rowStep = -static_cast<std::ptrdiff_t>(GetRowBytes());
  std::uint8_t* own = GetPixelAddress(0, 0);
  BlendRows(
      {own, rowStep, own, rowStep, source.GetPixelAddress(x, y),
       -static_cast<std::ptrdiff_t>(source.GetRowBytes()), static_cast<std::size_t>(w) * 3, h},
      sourceWeight, ownWeight);
}

void CDibImage::BlendOnto(CDibImage& target, int x, int y, const CDibImage& under, int underX,
                          int underY, unsigned underWeight, unsigned ownWeight) const {
  const int w = GetWidth(), h = GetHeight();
  if (!Is24Bit() || !target.Is24Bit() || !under.Is24Bit()) return;
  if (!HoldsRect(target, x, y, w, h) || !HoldsRect(under, underX, underY, w, h)) return;
  if (!BlendableWeights(underWeight, ownWeight)) return;
  BlendRows({target.GetPixelAddress(x, y), -static_cast<std::ptrdiff_t>(target.GetRowBytes()),
             GetPixelAddress(0, 0), -static_cast<std::ptrdiff_t>(GetRowBytes()),
             under.GetPixelAddress(underX, underY),
             -static_cast<std::ptrdiff_t>(under.GetRowBytes()), static_cast<std::size_t>(w) * 3, h},
            underWeight, ownWeight);
}

void CDibImage::SetFileName(const std::string& fileName) { m_fileName = fileName; }

BOOL CDibImage::OpenFile() {
  CloseFile();
  if (m_fileName.empty()) return FALSE;
  m_file = std::fopen(m_fileName.c_str(), "rb");
  return m_file != nullptr;
}

void CDibImage::AttachFile(std::FILE* file) {
  CloseFile();
  m_file = file;
}

BOOL CDibImage::ReadBytes(void* buffer, std::size_t n) {
  return m_file != nullptr && std::fread(buffer, 1, n, m_file) == n;
}

BOOL CDibImage::SeekTo(long offset, int origin) {
  return m_file != nullptr && std::fseek(m_file, offset, origin) == 0;
}

void CDibImage::CloseFile() {
  if (m_file != nullptr) std::fclose(m_file);
  m_file = nullptr;
}

BOOL CDibImage::AllocRowBuffer(std::size_t n) {
  FreeRowBuffer();
  m_rowBuffer.reset(new (std::nothrow) std::uint8_t[n]);
  return m_rowBuffer != nullptr;
}

void CDibImage::FreeRowBuffer() { m_rowBuffer.reset(); }
