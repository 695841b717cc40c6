#include "formats/ImageFile.h"

#include <array>
#include <cstdio>
#include <utility>

#include "formats/BmpReader.h"
#include "formats/GifReader.h"
#include "formats/ImageLimits.h"
#include "formats/InputFile.h"
#include "formats/HeifReader.h"
#include "formats/JpegReader.h"
#include "formats/PngReader.h"
#include "formats/WebpReader.h"
#include "image/Orientation.h"

namespace {

using ProbeFunction = BOOL (*)(CDibImage&, int&, int&, ReadContext&);
using ReadFunction = void (*)(CDibImage&, ReadContext&);
// Rows whose first byte is shared tell their files apart by the head of the file.
using MatchFunction = bool (*)(const unsigned char* head, std::size_t size);

struct FormatEntry {
  unsigned char firstByte;
  const char* name;
  ProbeFunction probe;
  ReadFunction read;
  MatchFunction match;  // nullptr: the first byte decides
};

// The readers of formats that store no orientation.
template <BOOL (*Probe)(CDibImage&, int&, int&)>
BOOL ProbeStored(CDibImage& image, int& width, int& height, ReadContext&) {
  return Probe(image, width, height);
}
template <void (*Read)(CDibImage&)>
void ReadStored(CDibImage& image, ReadContext&) {
  Read(image);
}

// The files of the ISO media family begin with the size of their file-type box, whose first
// byte is 0 for every real file; the brand in the box tells HEIC from AVIF.
bool IsHeic(const unsigned char* head, std::size_t size) {
  return HeifBrandOf(head, size) == HeifBrand::kHeic;
}
bool IsAvif(const unsigned char* head, std::size_t size) {
  return HeifBrandOf(head, size) == HeifBrand::kAvif;
}

// The first byte chooses the reader; each reader checks the rest of its signature itself.
constexpr std::array kFormats = {
    FormatEntry{0x42, "BMP", ProbeStored<ProbeBmpFile>, ReadStored<ReadBmpFile>, nullptr},  // B
    FormatEntry{0x47, "GIF", ProbeStored<ProbeGifFile>, ReadStored<ReadGifFile>, nullptr},  // G
    FormatEntry{0xFF, "JPEG", ProbeJpegFile, ReadJpegFile, nullptr},
    FormatEntry{0x89, "PNG", ProbePngFile, ReadPngFile, nullptr},  // 0x89 "PNG"
    FormatEntry{0x52, "WEBP", ProbeWebpFile, ReadWebpFile, nullptr},  // "RIFF"
    FormatEntry{0x00, "HEIC", ProbeHeifFile, ReadHeifFile, IsHeic},
    FormatEntry{0x00, "AVIF", ProbeHeifFile, ReadHeifFile, IsAvif},
};

const FormatEntry* FindFormat(const unsigned char* head, std::size_t size) {
  if (size == 0) return nullptr;
  for (const FormatEntry& entry : kFormats)
    if (entry.firstByte == head[0] && (entry.match == nullptr || entry.match(head, size)))
      return &entry;
  return nullptr;
}

// Marks the image empty, opens the file and reads its head; the file is left positioned at its
// start. nullptr (file closed) when the file cannot be opened, is not a regular file, is shorter
// than 10 bytes, or starts with bytes of no known format.
const FormatEntry* OpenAndRecognise(CDibImage& image, const std::string& fileName) {
  image.SetFileName(fileName);
  image.ClearValid();
  image.FreeRowBuffer();
  image.m_currentRow = 0;
  image.m_dataDamaged = FALSE;
  int error = 0;
  image.AttachFile(OpenInputFile(fileName, error));
  if (image.GetOpenFile() == nullptr) return nullptr;
  unsigned char head[kFormatHeadBytes];
  const std::size_t size = std::fread(head, 1, sizeof head, image.GetOpenFile());
  if (size < 10 || !image.SeekTo(0)) {
    image.CloseFile();
    return nullptr;
  }
  const FormatEntry* format = FindFormat(head, size);
  if (format == nullptr) image.CloseFile();
  return format;
}

// Reads the pixels and turns them upright as the reader's context says. A picture that cannot
// be turned for want of memory is not loaded: its size would contradict the probe.
void ReadUpright(const FormatEntry& format, CDibImage& image, ReadContext& context) {
  format.read(image, context);
  if (image.IsValid() && context.orientation != kOrientationUpright &&
      !TurnUpright(image, context.orientation))
    image.ClearValid();
}

// Opens, recognises and reads; the context says where the rows went.
void ReadFile(CDibImage& image, const std::string& fileName, ReadContext& context) {
  try {
    const FormatEntry* format = OpenAndRecognise(image, fileName);
    if (format != nullptr) ReadUpright(*format, image, context);
  } catch (...) {
    // A reader that fails after creating the pixels leaves a partly filled picture, which
    // counts as loaded; one that fails before leaves the image empty.
  }
  image.CloseFile();
  image.FreeRowBuffer();
}

}  // namespace

BOOL ProbeDeclaredSize(CDibImage& image, const std::string& fileName, int& width, int& height,
                       const LoadOptions& options) {
  try {
    const FormatEntry* format = OpenAndRecognise(image, fileName);
    if (format == nullptr) return FALSE;
    ReadContext context{options};
    const BOOL result = format->probe(image, width, height, context);
    image.CloseFile();
    if (result && OrientationSwapsSides(context.orientation)) std::swap(width, height);
    return result;
  } catch (...) {
    image.CloseFile();
    return FALSE;
  }
}

BOOL Probe(CDibImage& image, const std::string& fileName, int& width, int& height,
           const LoadOptions& options) {
  int declaredWidth = 0, declaredHeight = 0;
  if (!ProbeDeclaredSize(image, fileName, declaredWidth, declaredHeight, options) ||
      !IsWithinAreaLimit(declaredWidth, declaredHeight))
    return FALSE;
  width = declaredWidth;
  height = declaredHeight;
  return TRUE;
}

BOOL Load(CDibImage& image, const std::string& fileName, const LoadOptions& options) {
  ReadContext context{options};
  ReadFile(image, fileName, context);
  return image.IsValid();
}

LoadOutcome LoadOrStream(CDibImage& image, const std::string& fileName, const LoadOptions& options,
                         CRowReceiver& receiver) {
  ReadContext context{options};
  context.receiver = &receiver;
  ReadFile(image, fileName, context);
  // Rows handed over count as read even when the decoding stopped after them, as a partly
  // filled image counts as loaded.
  if (context.streamedHeight > 0)
    return {Delivery::kRows,
            image.m_currentRow >= context.streamedHeight && !image.m_dataDamaged};
  if (!image.IsValid()) return {};
  return {Delivery::kImage, LoadedWhole(image) != FALSE};
}

BOOL LoadedWhole(const CDibImage& image) {
  return image.IsValid() && image.m_currentRow >= image.GetHeight() && !image.m_dataDamaged;
}

const char* FormatName(unsigned char firstByte) { return FormatName(&firstByte, 1); }

const char* FormatName(const unsigned char* head, std::size_t size) {
  const FormatEntry* format = FindFormat(head, size);
  return format ? format->name : nullptr;
}
