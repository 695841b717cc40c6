// The poster program's string table: every text a user can see, by its id.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>

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
  IDS_SAVING_PNG = 176,
  // Stages of build options added since the first release.
  IDS_STAGE_MATCH_TILES = 180,
  // Build options that cannot be kept.
  IDS_MAX_USES_TOO_FEW = 185,
  // Why a file could not be read or written, in the user's words.
  IDS_NO_SUCH_FILE = 200,
  IDS_PERMISSION_DENIED = 201,
  IDS_SYMLINK_LOOP = 202,
  IDS_NOT_A_FOLDER = 203,
  IDS_IS_A_FOLDER = 204,
  IDS_NOT_REGULAR_FILE = 205,
  IDS_NO_SPACE = 206,
  IDS_QUOTA_EXCEEDED = 207,
  IDS_READ_ONLY_FS = 208,
  IDS_FILE_TOO_LARGE = 209,
  IDS_NAME_TOO_LONG = 210,
  IDS_FILE_TOO_SHORT = 211,
  IDS_FOREIGN_FORMAT = 212,
  IDS_UNKNOWN_FORMAT = 213,
  IDS_DAMAGED_IMAGE = 214,
  IDS_DATA_ENDS_EARLY = 215,
  IDS_OUTPUT_IS_INPUT = 216,
  IDS_OUTPUT_NOT_FILE = 217,
  IDS_WRITE_ERROR_CAUSE = 218,
  IDS_OUTPUT_FOLDER = 219,
  IDS_IMAGE_TOO_LARGE = 228,
  // Posters past a limit, and the settings that would fit.
  IDS_POSTER_PAST_MEMORY = 220,
  IDS_POSTER_PAST_JPEG = 221,
  IDS_POSTER_PAST_BMP = 222,
  IDS_POSTER_PAST_PROCESS = 227,
  IDS_FITTING_WIDTH = 223,
  IDS_FITTING_FRACTION = 224,
  IDS_FITTING_AS_JPEG = 225,
  IDS_FITTING_AS_BMP = 226,
  IDS_SAVE_AS_OTHER = 229,
  // Titles, filters and questions of the window program.
  IDS_MAIN_IMAGE_TITLE = 230,
  IDS_IMAGE_FILTER = 231,
  IDS_ADD_TILES_TITLE = 232,
  IDS_OPEN_LIST_TITLE = 233,
  IDS_SAVE_LIST_TITLE = 234,
  IDS_LIST_FILTER = 235,
  IDS_LIST_OPEN_ERROR = 236,
  IDS_LIST_CREATE_ERROR = 237,
  IDS_LIST_WRITE_ERROR = 238,
  IDS_EXIT_QUESTION = 239,
  IDS_LARGER_NUMBER = 240,
  IDS_ABOUT_MENU = 241,
  IDS_RANGE_UINT = 242,
  IDS_HELP_TITLE = 243,
  IDS_ENTER_NUMBER = 244,
  // Printing and saving beyond the first release.
  IDS_PRINT_NOT_DELIVERED = 260,
  IDS_BUILD_BEFORE_PRINT = 261,
  IDS_BUILD_BEFORE_PREVIEW = 262,
  IDS_BUILD_BEFORE_SAVE = 263,
  // Posters too large for memory, built straight into their file.
  IDS_BUILD_INTO_FILE = 264,
  IDS_POSTER_IN_FILE = 265,
  // Refusals of hostile inputs.
  IDS_IMAGE_PAST_AREA = 300,
  IDS_IMAGE_NOT_LOADED = 301,
  IDS_NO_TILE_READ = 302,
  IDS_NO_SUCH_FOLDER = 303,
};

// The text of a string id, or nullptr when the table has none (as a failed LoadString).
[[nodiscard]] const char* LoadString(unsigned id);

// The text of a string id with each "%s" replaced by the next of args, in order; "error N" for
// an id the table does not have.
[[nodiscard]] std::string FormatString(unsigned id, std::initializer_list<std::string> args);

}  // namespace res
