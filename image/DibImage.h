// CDibImage: the one raster image type of the poster program.
//
// The pixels live in one block laid out as a device-independent bitmap: a 40-byte header, a
// 256-entry colour table (present at every depth), then the rows, bottom row first, each padded
// to 4 bytes. Every image the program makes is 24-bit (blue, green, red); 8-bit images with a
// colour table are supported by cropping and rotation. All operations address pixels with x from
// the left and y from the top.
//
// The object also carries the open file and row buffer that the file readers work through, the
// name of the file last probed or loaded, and an optional progress sink (not owned) that long
// operations on the image report to.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "image/DibFormat.h"
#include "image/Types.h"

class CProgress;

class CDibImage {
 public:
  CDibImage() = default;
  ~CDibImage();
  CDibImage(const CDibImage&) = delete;
  CDibImage& operator=(const CDibImage&) = delete;

  // --- Pixel block ---
  // Replaces the pixels by a new black image; FALSE (and no pixels) when the size is not
  // positive, does not fit the bitmap format, or the memory cannot be had. colorTable, when
  // given for an 8-bit image, supplies colorCount entries (at most 256). A 24-bit image of the
  // same size keeps its block, cleared.
  [[nodiscard]] BOOL Create(int width, int height, BOOL trueColor = TRUE,
                            const RGBQUAD* colorTable = nullptr, int colorCount = 0);
  void ReleasePixels();
  void Close();
  // Adopts other's pixel block; other is left without pixels.
  void TakePixels(CDibImage& other);

  // --- Queries ---
  [[nodiscard]] BOOL IsValid() const;
  void GetSize(int& width, int& height) const;
  [[nodiscard]] int GetWidth() const { return m_block ? Header()->biWidth : 0; }
  [[nodiscard]] int GetHeight() const { return m_block ? Header()->biHeight : 0; }
  [[nodiscard]] BOOL Is24Bit() const { return m_block && Header()->biBitCount == 24; }
  [[nodiscard]] int GetBitCount() const { return m_block ? Header()->biBitCount : 0; }
  [[nodiscard]] std::size_t GetRowBytes() const;
  [[nodiscard]] std::size_t GetImageBytes() const { return GetRowBytes() * GetHeight(); }
  [[nodiscard]] BITMAPINFOHEADER* GetInfoHeader() const { return Header(); }
  [[nodiscard]] RGBQUAD* GetColorTable() const;
  [[nodiscard]] std::uint8_t* GetBits() const;
  // Address of pixel (x, y), y counted from the top. No range check: callers pass coordinates
  // inside the image.
  [[nodiscard]] std::uint8_t* GetPixelAddress(int x, int y) const;
  [[nodiscard]] COLORREF GetHighlightColor() const { return kHighlightColor; }
  [[nodiscard]] COLORREF GetShadowColor() const { return kShadowColor; }
  // The poster's print resolution, which the JPEG and PNG writers record (the BMP header stays
  // as it is); 0, the start, for an image with no print size.
  void SetPixelsPerInch(double pixelsPerInch) { m_pixelsPerInch = pixelsPerInch; }
  [[nodiscard]] double GetPixelsPerInch() const { return m_pixelsPerInch; }
  // Attaches a progress sink (nullptr detaches); returns the previous one.
  CProgress* SetProgress(CProgress* progress);
  [[nodiscard]] CProgress* GetProgress() const { return m_pProgress; }

  // --- Pixel operations; out-of-range rectangles make them do nothing ---
  void Clear();
  void CopyRect(const CDibImage& source, int dx, int dy, int w, int h, int sx, int sy);
  [[nodiscard]] BOOL CropToRect(int x, int y, int w, int h);
  [[nodiscard]] BOOL RotateLeft();
  void StretchFrom(int dx, int dy, int w, int h, const CDibImage& source);
  void BlendFrom(const CDibImage& source, int x, int y, int w, int h, unsigned sourceWeight,
                 unsigned ownWeight);
  // Writes into target at (x, y) this whole image blended towards the pixels of under at
  // (underX, underY), which may be target's own there: the bytes of copying this image, blending
  // the copy with BlendFrom and copying it back, without the two copies.
  void BlendOnto(CDibImage& target, int x, int y, const CDibImage& under, int underX, int underY,
                 unsigned underWeight, unsigned ownWeight) const;

  // --- File access for the readers ---
  void SetFileName(const std::string& fileName);
  [[nodiscard]] const std::string& GetFileName() const { return m_fileName; }
  // Opens the file set by SetFileName for reading, closing any file open before.
  [[nodiscard]] BOOL OpenFile();
  // Takes over file, already open for reading, as the open file (closing any file open before).
  void AttachFile(std::FILE* file);
  [[nodiscard]] BOOL ReadBytes(void* buffer, std::size_t n);
  [[nodiscard]] BOOL SeekTo(long offset, int origin = SEEK_SET);
  void CloseFile();
  [[nodiscard]] std::FILE* GetOpenFile() const { return m_file; }
  [[nodiscard]] BOOL AllocRowBuffer(std::size_t n);
  void FreeRowBuffer();
  [[nodiscard]] std::uint8_t* GetRowBuffer() const { return m_rowBuffer.get(); }

  // Marks the image empty before a probe or load: the old pixels stay allocated but unusable.
  void ClearValid() { m_valid = FALSE; }
  // The row being read by any reader.
  int m_currentRow = 0;
  // Set by a reader that met damaged data after creating the pixels and filled in what it could.
  BOOL m_dataDamaged = FALSE;

 private:
  static constexpr COLORREF kHighlightColor = 0xFFFFFF;
  static constexpr COLORREF kShadowColor = 0x000000;

  [[nodiscard]] BITMAPINFOHEADER* Header() const {
    return reinterpret_cast<BITMAPINFOHEADER*>(m_block);
  }
  void RebuildPalette();
  [[nodiscard]] BOOL CreateLike(CDibImage& temp, int width, int height) const;

  std::uint8_t* m_block = nullptr;  // owned, from the page allocator
  // The palette of an 8-bit image, built from its colour table; none for 24-bit images.
  std::optional<std::vector<RGBQUAD>> m_palette;
  BOOL m_valid = FALSE;
  std::string m_fileName;
  std::FILE* m_file = nullptr;  // owned
  std::unique_ptr<std::uint8_t[]> m_rowBuffer;
  CProgress* m_pProgress = nullptr;  // not owned
  double m_pixelsPerInch = 0;
};
