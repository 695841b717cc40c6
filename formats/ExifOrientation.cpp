#include "formats/ExifOrientation.h"

#include <libexif/exif-data.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "image/Orientation.h"

namespace {

constexpr unsigned char kExifPrefix[] = {'E', 'x', 'i', 'f', 0, 0};
// The block of an APP1 segment fits 64 KB; PNG's eXIf chunk may be larger, but an orientation
// tag lies in the first directory, near the start.
constexpr std::size_t kMaxBlockBytes = 1 << 16;

struct ExifDataDeleter {
  void operator()(ExifData* data) const { exif_data_unref(data); }
};

}  // namespace

int ExifOrientation(const std::uint8_t* data, std::size_t size) {
  if (data == nullptr || size == 0) return kOrientationUpright;
  try {
    // The library finds the block by its prefix; PNG stores the bare block.
    std::vector<unsigned char> block;
    const bool prefixed = size >= sizeof kExifPrefix && std::memcmp(data, kExifPrefix, sizeof kExifPrefix) == 0;
    if (!prefixed) block.assign(kExifPrefix, kExifPrefix + sizeof kExifPrefix);
    block.insert(block.end(), data, data + std::min(size, kMaxBlockBytes));

    std::unique_ptr<ExifData, ExifDataDeleter> exif(exif_data_new());
    if (!exif) return kOrientationUpright;
    // Only a tag is read: the maker's notes and the checks that would rewrite the data are
    // not wanted.
    exif_data_unset_option(exif.get(), EXIF_DATA_OPTION_FOLLOW_SPECIFICATION);
    exif_data_load_data(exif.get(), block.data(), static_cast<unsigned>(block.size()));
    ExifEntry* entry = exif_content_get_entry(exif->ifd[EXIF_IFD_0], EXIF_TAG_ORIENTATION);
    if (entry == nullptr || entry->format != EXIF_FORMAT_SHORT || entry->components < 1 ||
        entry->data == nullptr || entry->size < 2)
      return kOrientationUpright;
    const int value = exif_get_short(entry->data, exif_data_get_byte_order(exif.get()));
    return IsKnownOrientation(value) ? value : kOrientationUpright;
  } catch (const std::bad_alloc&) {
    return kOrientationUpright;
  }
}
