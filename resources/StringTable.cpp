#include "resources/StringTable.h"

#include <algorithm>
#include <iterator>

namespace res {
namespace {

struct Entry {
  unsigned id;
  const char* text;
};

// Sorted by id.
constexpr Entry kStrings[] = {
    {IDS_MAIN_IMAGE_ERROR, "Error opening main poster image (file may be damaged)."},
    {IDS_TILES_NOT_ADDED,
     "Some of the selected files do not contain supported graphics data. These files were not "
     "added to the list."},
    {IDS_TILE_OPEN_ERROR, "Error opening image file: '%s'"},
    {IDS_POSTER_TOO_SMALL, "Poster print dimensions are too small, please select larger values"},
    {IDS_STAGE_ALLOC_TILES, "Allocating memory for tile images . . ."},
    {IDS_STAGE_TILE_SIZES, "Obtaining tile image sizes . . ."},
    {IDS_STAGE_CREATE_POSTER, "Creating poster image . . ."},
    {IDS_STAGE_RESAMPLE_MAIN, "Resampling main poster image . . ."},
    {IDS_STAGE_READ_TILES, "Reading tile image files . . ."},
    {IDS_STAGE_LAY_TILES, "Laying tiles . . ."},
    {IDS_NO_MEMORY,
     "There is not enough available memory to perform the selected operation. Please quite one "
     "or more applications and try again."},
    {IDS_NO_PRINTER,
     "An error occurred when trying to access a printing device. Please use Control Panel to "
     "install a printer.\nDuring this session Quillet Poster will operate for a 600 dpi printer "
     "loaded with letter size paper (8.5 x 11 inches).\nPrint and Printer Setup operations will "
     "be disabled."},
    {IDS_PRINTING_POSTER, "Printing poster . . ."},
    {IDS_CAPTION_BUILD, "Build Poster"},
    {IDS_CAPTION_PRINT, "Print Poster"},
    {IDS_CAPTION_SAVE, "Save Poster"},
    {IDS_SAVE_TITLE, "Select Poster Filename"},
    {IDS_SAVE_FILTER, "JPEG (*.jpg)|*.jpg|Windows Bitmap (*.bmp)|*.bmp||"},
    {IDS_BAD_EXTENSION,
     "The filename extension must either be .JPG (to save in JPEG format) or .BMP (to save in "
     "Windows Bitmap format)."},
    {IDS_SAVING_BMP, "Saving poster image to disk using Windows BMP format . . ."},
    {IDS_WRITING_HEADER, "Writing header"},
    {IDS_KBYTES_WRITTEN, "%s KBytes written"},
    {IDS_SAVING_JPEG, "Saving poster image to disk using JPEG format . . ."},
    {IDS_KBYTES_COMPRESSED, "%s KBytes compressed"},
    {IDS_STARTING_COMPRESSION, "Starting compression . . ."},
    {IDS_FINISHING_COMPRESSION, "Finishing compression . . ."},
    {IDS_COMPRESSING, "Compressing image data . . ."},
    {IDS_PAGE_RANGE, "Please select a page number between 1 and %d."},
    {IDS_GENERATING_PAGE_OF, "Generating page %d of %d"},
    {IDS_GENERATING_PAGE, "Generating page %d"},
    {IDS_APP_NAME, "Quillet Poster 1.0"},
    {IDS_CLICK_DRAG, "Click & Drag"},
    {IDS_PREVIEW_ZOOM, "Poster Preview (press the + key to zoom in / out, press ESC to close)"},
    {IDS_PREVIEW, "Poster Preview (press ESC to close)"},
    {IDS_PREPARING_RESAMPLE, "Preparing to resample image . . ."},
    {IDS_RESAMPLING, "Resampling image . . ."},
    {IDS_REGISTRY_KEY, "Velkamo"},
    {IDS_NO_HELP_FILE,
     "Help file MOZAIKON.HLP not found!\nQuillet Poster cannot execute without this file."},
    {IDS_WRITE_ERROR, "The poster file could not be written: '%s'"},
    {IDS_BMP_TOO_LARGE,
     "The poster is too large for the Windows BMP format (4 GB at most). Please save it as JPEG "
     "or choose a smaller poster."},
    {IDS_JPEG_TOO_LARGE,
     "The poster is too large for the JPEG format (65,500 pixels across and down at most). Please "
     "save it as BMP or choose a smaller poster."},
    {IDS_CANCELLED, "The operation was cancelled."},
    {IDS_STAGE_MATCH_TILES, "Matching tiles to the picture . . ."},
};

}  // namespace

const char* LoadString(unsigned id) {
  const auto found = std::lower_bound(std::begin(kStrings), std::end(kStrings), id,
                                      [](const Entry& e, unsigned key) { return e.id < key; });
  return (found != std::end(kStrings) && found->id == id) ? found->text : nullptr;
}

}  // namespace res
