// The poster program's string table: every text a user can see, by its id.
#pragma once

#include <cstdint>

namespace res {

enum StringId : unsigned {
  IDS_MAIN_IMAGE_ERROR = 101,
  IDS_TILES_NOT_ADDED = 102,
  IDS_TILE_OPEN_ERROR = 103,
  IDS_POSTER_TOO_SMALL = 104,
  IDS_STAGE_ALLOC_TILES = 105,
  IDS_STAGE_TILE_SIZES = 106,
  IDS_STAGE_CREATE_POSTER = 107,
  IDS_STAGE_RESAMPLE_MAIN = 108,
  IDS_STAGE_READ_TILES = 109,
  IDS_STAGE_LAY_TILES = 110,
  IDS_NO_MEMORY = 116,
  IDS_NO_PRINTER = 120,
  IDS_PRINTING_POSTER = 129,
  IDS_CAPTION_BUILD = 130,
  IDS_CAPTION_PRINT = 131,
  IDS_CAPTION_SAVE = 132,
  IDS_SAVE_TITLE = 133,
  IDS_SAVE_FILTER = 134,
  IDS_BAD_EXTENSION = 135,
  IDS_SAVING_BMP = 136,
  IDS_WRITING_HEADER = 137,
  IDS_KBYTES_WRITTEN = 138,
  IDS_SAVING_JPEG = 139,
  IDS_KBYTES_COMPRESSED = 140,
  IDS_STARTING_COMPRESSION = 141,
  IDS_FINISHING_COMPRESSION = 142,
  IDS_COMPRESSING = 143,
  IDS_PAGE_RANGE = 144,
  IDS_GENERATING_PAGE_OF = 146,
  IDS_GENERATING_PAGE = 147,
  IDS_APP_NAME = 148,
  IDS_CLICK_DRAG = 149,
  IDS_PREVIEW_ZOOM = 150,
  IDS_PREVIEW = 151,
  IDS_PREPARING_RESAMPLE = 160,
  IDS_RESAMPLING = 161,
  IDS_REGISTRY_KEY = 162,
  IDS_NO_HELP_FILE = 169,
  // Messages of conditions the first Windows release did not report.
  IDS_WRITE_ERROR = 170,
  IDS_BMP_TOO_LARGE = 171,
  IDS_JPEG_TOO_LARGE = 172,
  IDS_CANCELLED = 173,
  // Stages of build options the first Windows release did not have.
  IDS_STAGE_MATCH_TILES = 180,
};

// The text of a string id, or nullptr when the table has none (as a failed LoadString).
[[nodiscard]] const char* LoadString(unsigned id);

}  // namespace res
