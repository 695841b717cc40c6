#include "formats/ForeignFormat.h"

#include <cstring>
#include <initializer_list>

namespace {

bool StartsWith(const unsigned char* head, std::size_t size, std::size_t at, const char* bytes,
                std::size_t count) {
  return size >= at + count && std::memcmp(head + at, bytes, count) == 0;
}

// The major brand of an ISO media file ("ftyp" box first) tells the still-image kinds apart.
const char* IsoBrandFormat(const unsigned char* head, std::size_t size) {
  if (!StartsWith(head, size, 4, "ftyp", 4) || size < 12) return nullptr;
  for (const char* brand : {"avif", "avis"})
    if (std::memcmp(head + 8, brand, 4) == 0) return "AVIF";
  for (const char* brand : {"heic", "heix", "heim", "heis", "hevc", "hevx", "mif1", "msf1"})
    if (std::memcmp(head + 8, brand, 4) == 0) return "HEIC";
  return nullptr;
}

}  // namespace

const char* ForeignFormatName(const unsigned char* head, std::size_t size) {
  if (StartsWith(head, size, 0, "\x89PNG\r\n\x1a\n", 8)) return "PNG";
  if (StartsWith(head, size, 0, "RIFF", 4) && StartsWith(head, size, 8, "WEBP", 4)) return "WebP";
  if (StartsWith(head, size, 0, "II*\0", 4) || StartsWith(head, size, 0, "MM\0*", 4))
    return "TIFF";
  return IsoBrandFormat(head, size);
}
