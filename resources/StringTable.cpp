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
    {IDS_SAVE_FILTER,
     "JPEG (*.jpg)|*.jpg|PNG (*.png)|*.png|Windows Bitmap (*.bmp)|*.bmp||"},
    {IDS_BAD_EXTENSION,
     "The filename extension must be .JPG (to save in JPEG format), .PNG (to save in PNG format) "
     "or .BMP (to save in Windows Bitmap format)."},
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
    {IDS_SAVING_PNG, "Saving poster image to disk using PNG format . . ."},
    {IDS_STAGE_MATCH_TILES, "Matching tiles to the picture . . ."},
    {IDS_MAX_USES_TOO_FEW,
     "The poster has %s cells, more than %s photos used at most %s times each can fill. Use "
     "each photo at most %s times or more, or set no limit."},
    {IDS_NO_SUCH_FILE, "no such file"},
    {IDS_PERMISSION_DENIED, "permission denied"},
    {IDS_SYMLINK_LOOP, "too many levels of symbolic links"},
    {IDS_NOT_A_FOLDER, "not a folder"},
    {IDS_IS_A_FOLDER, "is a folder"},
    {IDS_NOT_REGULAR_FILE, "not a regular file (a named pipe, a device or a socket)"},
    {IDS_NO_SPACE, "no space left on device"},
    {IDS_QUOTA_EXCEEDED, "disk quota exceeded"},
    {IDS_READ_ONLY_FS, "read-only file system"},
    {IDS_FILE_TOO_LARGE, "file too large"},
    {IDS_NAME_TOO_LONG, "file name too long"},
    {IDS_FILE_TOO_SHORT, "too short to be an image"},
    {IDS_FOREIGN_FORMAT, "a %s image, a format that cannot be read here"},
    {IDS_UNKNOWN_FORMAT, "not an image of a format that can be read here"},
    {IDS_DAMAGED_IMAGE, "the image is damaged or of a kind that cannot be read here"},
    {IDS_DATA_ENDS_EARLY, "data ends early or is damaged; the missing part is left plain"},
    {IDS_OUTPUT_IS_INPUT,
     "The output file '%s' is also one of the inputs ('%s'); please choose another name."},
    {IDS_OUTPUT_NOT_FILE, "The output file cannot be written to '%s': %s."},
    {IDS_WRITE_ERROR_CAUSE, "The poster file could not be written: '%s': %s."},
    {IDS_OUTPUT_FOLDER, "The output file cannot be written to '%s': the folder '%s': %s."},
    {IDS_POSTER_PAST_MEMORY,
     "The poster would be %s x %s pixels, and building it needs %s MB of memory, more than this "
     "machine has (%s MB of memory and swap)."},
    {IDS_POSTER_PAST_JPEG,
     "The poster would be %s x %s pixels, more than the JPEG format holds (65,500 pixels across "
     "and down at most)."},
    {IDS_POSTER_PAST_BMP,
     "The poster would be %s x %s pixels, a file of %s MB, more than the Windows BMP format "
     "holds (4 GB at most)."},
    {IDS_FITTING_WIDTH, "A print width of %s inches or less fits."},
    {IDS_FITTING_FRACTION, "A poster resolution of 1/%s of the printer resolution fits."},
    {IDS_FITTING_AS_JPEG, "Saved as JPEG it fits."},
    {IDS_FITTING_AS_BMP, "Saved as BMP it fits."},
    {IDS_POSTER_PAST_PROCESS,
     "The poster would be %s x %s pixels, and building it needs %s MB of memory, more than this "
     "process may take (%s MB, %s)."},
    {IDS_IMAGE_TOO_LARGE,
     "too large: %s x %s pixels, more than can be read here (%s at most on each side)"},
    {IDS_SAVE_AS_OTHER, "Save it as '%s' instead?"},
    {IDS_MAIN_IMAGE_TITLE, "Select Poster Image File"},
    {IDS_IMAGE_FILTER,
     "Images (*.jpg *.jpeg *.png *.webp *.heic *.heif *.avif *.bmp *.gif)|"
     "*.jpg;*.jpeg;*.png;*.webp;*.heic;*.heif;*.avif;*.bmp;*.gif|JPEG (*.jpg)|*.jpg;*.jpeg|"
     "PNG (*.png)|*.png|WebP (*.webp)|*.webp|HEIF (*.heic *.heif *.avif)|*.heic;*.heif;*.avif|"
     "Windows Bitmap (*.bmp)|*.bmp|GIF (*.gif)|*.gif|All Files (*.*)|*.*||"},
    {IDS_ADD_TILES_TITLE, "Select Tile File Names"},
    {IDS_OPEN_LIST_TITLE, "Select file containing tile filenames"},
    {IDS_SAVE_LIST_TITLE, "Select file to store tile filenames"},
    {IDS_LIST_FILTER, "Text Files (*.txt)|*.txt|All Files (*.*)|*.*||"},
    {IDS_LIST_OPEN_ERROR, "Error opening file: '%s'"},
    {IDS_LIST_CREATE_ERROR, "Error creating file: '%s' (disk may be full or write protected)"},
    {IDS_LIST_WRITE_ERROR, "Error writing to file: '%s' (disk may be full)"},
    {IDS_EXIT_QUESTION, "Exit Quillet Poster?"},
    {IDS_LARGER_NUMBER, "Please enter a larger number"},
    {IDS_ABOUT_MENU, "&About Quillet Poster..."},
    {IDS_RANGE_UINT, "Please enter an integer between %u and %u."},
    {IDS_HELP_TITLE, "Quillet Poster Help"},
    {IDS_ENTER_NUMBER, "Please enter a number."},
    {IDS_PRINT_NOT_DELIVERED, "The print job could not be completed: '%s'"},
    {IDS_BUILD_BEFORE_PRINT, "Poster must be built before printing. Build poster now?"},
    {IDS_BUILD_BEFORE_PREVIEW, "Poster must be built before previewing. Build poster now?"},
    {IDS_BUILD_BEFORE_SAVE, "Poster must be built before saving. Build poster now?"},
    {IDS_BUILD_INTO_FILE,
     "Built straight into a file, a few rows of cells at a time, it fits. Build it into a file "
     "now?"},
    {IDS_POSTER_IN_FILE,
     "The poster was built straight into '%s' and is not held in memory. Open that file to see "
     "or print it."},
    {IDS_IMAGE_PAST_AREA,
     "too large: %s x %s pixels, more than can be read here (%s pixels at most)"},
    {IDS_IMAGE_NOT_LOADED, "the image could not be read (damaged, or too large for the memory)"},
    {IDS_NO_TILE_READ,
     "No tile image could be read: every tile file vanished or could not be read while the "
     "poster was built."},
    {IDS_NO_SUCH_FOLDER, "no such folder"},
};

// Lookups search the table by halves, so a text added out of order would vanish, and of two
// texts with one number only one could ever be shown.
static_assert(std::adjacent_find(std::begin(kStrings), std::end(kStrings),
                                 [](const Entry& a, const Entry& b) { return a.id >= b.id; }) ==
              std::end(kStrings));

}  // namespace

const char* LoadString(unsigned id) {
  const auto found = std::lower_bound(std::begin(kStrings), std::end(kStrings), id,
                                      [](const Entry& e, unsigned key) { return e.id < key; });
  return (found != std::end(kStrings) && found->id == id) ? found->text : nullptr;
}

std::string FormatString(unsigned id, std::initializer_list<std::string> args) {
  const char* format = LoadString(id);
  if (format == nullptr) return "error " + std::to_string(id);
  std::string text(format);
  std::size_t from = 0;
  for (const std::string& arg : args) {
    const std::size_t at = text.find("%s", from);
    if (at == std::string::npos) break;
    text.replace(at, 2, arg);
    from = at + arg.size();
  }
  return text;
}

}  // namespace res
