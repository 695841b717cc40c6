#include "formats/ImageFile.h"

#include <array>

#include "formats/BmpReader.h"
#include "formats/GifReader.h"
#include "formats/InputFile.h"
#include "formats/JpegReader.h"

namespace {

using ProbeFunction = BOOL (*)(CDibImage&, int&, int&);
using ReadFunction = void (*)(CDibImage&);

struct FormatEntry {
  unsigned char firstByte;
  const char* name;
  ProbeFunction probe;
  ReadFunction read;
};

// Only the first byte is tested here; each reader checks the rest of its signature itself.
constexpr std::array kFormats = {
    FormatEntry{0x42, "BMP", ProbeBmpFile, ReadBmpFile},  // the letter B
    FormatEntry{0x47, "GIF", ProbeGifFile, ReadGifFile},  // the letter G
    FormatEntry{0xFF, "JPEG", ProbeJpegFile, ReadJpegFile},
};

const FormatEntry* FindFormat(unsigned char firstByte) {
  for (const FormatEntry& entry : kFormats)
    if (entry.firstByte == firstByte) return &entry;
  return nullptr;
}

// Marks the image empty, opens the file and reads its first byte; the file is left positioned
// at its start. nullptr (file closed) when the file cannot be opened, is not a regular file, is
// shorter than 10 bytes, or starts with a byte of no known format.
const FormatEntry* OpenAndRecognise(CDibImage& image, const std::string& fileName) {
  image.SetFileName(fileName);
  image.ClearValid();
  image.FreeRowBuffer();
  image.m_currentRow = 0;
  image.m_dataDamaged = FALSE;
  int error = 0;
  image.AttachFile(OpenInputFile(fileName, error));
  if (image.GetOpenFile() == nullptr) return nullptr;
  unsigned char head[10];
  if (!image.ReadBytes(head, sizeof head) || !image.SeekTo(0)) {
    image.CloseFile();
    return nullptr;
  }
  const FormatEntry* format = FindFormat(head[0]);
  if (format == nullptr) image.CloseFile();
  return format;
}

}  // namespace

BOOL Probe(CDibImage& image, const std::string& fileName, int& width, int& height) {
  try {
    const FormatEntry* format = OpenAndRecognise(image, fileName);
    if (format == nullptr) return FALSE;
    const BOOL result = format->probe(image, width, height);
    image.CloseFile();
    return result;
  } catch (...) {
    image.CloseFile();
    return FALSE;
  }
}

BOOL Load(CDibImage& image, const std::string& fileName) {
  try {
    const FormatEntry* format = OpenAndRecognise(image, fileName);
    if (format != nullptr) format->read(image);
  } catch (...) {
    // A reader that fails after creating the pixels leaves a partly filled picture, which
    // counts as loaded; one that fails before leaves the image empty.
  }
  image.CloseFile();
  image.FreeRowBuffer();
  return image.IsValid();
}

BOOL LoadedWhole(const CDibImage& image) {
  return image.IsValid() && image.m_currentRow >= image.GetHeight() && !image.m_dataDamaged;
}

const char* FormatName(unsigned char firstByte) {
  const FormatEntry* format = FindFormat(firstByte);
  return format ? format->name : nullptr;
}
