// Identifiers of the main window's controls; each control's object name is its number.
#pragma once

enum PosterControl : int {
  IDC_MAIN_FILE = 1000,      // main image file name, read-only
  IDC_BROWSE_MAIN = 1001,    // "..."
  IDC_TILE_LIST = 1002,
  IDC_PRINT_WIDTH = 1004,    // inches
  IDC_PRINT_HEIGHT = 1005,
  IDC_SIZE_SMALL = 1006,
  IDC_SIZE_MEDIUM = 1007,
  IDC_SIZE_LARGE = 1008,
  IDC_IMAGE_WIDTH = 1009,    // pixels, read-only
  IDC_IMAGE_HEIGHT = 1010,
  IDC_DELETE_TILE = 1011,
  IDC_EMPTY_TILES = 1012,
  IDC_OPEN_LIST = 1013,
  IDC_SAVE_LIST = 1014,
  IDC_ADD_TILES = 1015,
  IDC_PRINTER_SETUP = 1016,
  IDC_PREVIEW = 1017,
  IDC_PRINT = 1018,
  IDC_EXIT = 1019,
  IDC_BUILD = 1020,
  IDC_PAGES = 1021,          // "pages (across x down)", read-only
  IDC_OPTIONS = 1022,
  IDC_SIZE_CUSTOM = 1023,
  IDC_ABOUT = 1024,
  IDC_HELP = 1025,
  IDC_SAVE_POSTER = 1026,
  IDC_TILE_COUNT = 1029,     // "tiles (across x down)", read-only
  IDC_TILE_WIDTH = 1030,     // pixels, read-only
  IDC_TILE_HEIGHT = 1031,
};
