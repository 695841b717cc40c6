// The controls of the main window, laid out as its dialog template lays them out.
#include "app/PosterControls.h"
#include "app/PosterDlg.h"
#include "platform/ControlTable.h"

namespace {

constexpr ControlSpec kTemplate[] = {
    {0, ControlKind::Group, 7, 8, 335, 84, "Main poster image"},
    {0, ControlKind::Label, 17, 25, 38, 8, "File &name:"},
    {IDC_MAIN_FILE, ControlKind::ReadOnlyEdit, 57, 23, 258, 14, ""},
    {IDC_BROWSE_MAIN, ControlKind::DefaultButton, 319, 23, 15, 14, "..."},
    {0, ControlKind::Label, 17, 42, 90, 8, "Image dimensions (pixels):"},
    {0, ControlKind::Label, 17, 57, 30, 8, "Width:"},
    {IDC_IMAGE_WIDTH, ControlKind::ReadOnlyEdit, 50, 54, 40, 14, ""},
    {0, ControlKind::Label, 17, 75, 30, 8, "Height:"},
    {IDC_IMAGE_HEIGHT, ControlKind::ReadOnlyEdit, 50, 72, 40, 14, ""},
    {0, ControlKind::Label, 109, 42, 90, 8, "Print dimensions (&inches):"},
    {0, ControlKind::Label, 109, 57, 30, 8, "Width:"},
    {IDC_PRINT_WIDTH, ControlKind::Edit, 142, 54, 40, 14, ""},
    {0, ControlKind::Label, 109, 75, 30, 8, "Height:"},
    {IDC_PRINT_HEIGHT, ControlKind::Edit, 142, 72, 40, 14, ""},
    {0, ControlKind::Label, 203, 42, 138, 8, "Number of output pages (across x down):"},
    {IDC_PAGES, ControlKind::ReadOnlyEdit, 203, 54, 102, 14, ""},
    {0, ControlKind::Group, 7, 94, 265, 218, "Tiles"},
    {IDC_TILE_LIST, ControlKind::List, 11, 106, 202, 136, ""},
    {IDC_ADD_TILES, ControlKind::Button, 218, 106, 50, 14, "&Add"},
    {IDC_DELETE_TILE, ControlKind::Button, 218, 126, 50, 14, "&Delete"},
    {IDC_EMPTY_TILES, ControlKind::Button, 218, 146, 50, 14, "&Empty"},
    {IDC_OPEN_LIST, ControlKind::Button, 218, 206, 50, 14, "&Open"},
    {IDC_SAVE_LIST, ControlKind::Button, 218, 226, 50, 14, "Sa&ve"},
    {0, ControlKind::Label, 13, 247, 38, 8, "Tile Size:"},
    {IDC_SIZE_SMALL, ControlKind::Radio, 52, 246, 35, 10, "&Small", kGroupStart},
    {IDC_SIZE_MEDIUM, ControlKind::Radio, 89, 246, 40, 10, "&Medium"},
    {IDC_SIZE_LARGE, ControlKind::Radio, 131, 246, 37, 10, "&Large"},
    {IDC_SIZE_CUSTOM, ControlKind::Radio, 170, 246, 40, 10, "Custo&m"},
    {0, ControlKind::Label, 13, 262, 90, 8, "Tile dimensions (pixels):"},
    {0, ControlKind::Label, 17, 277, 30, 8, "Width:"},
    {IDC_TILE_WIDTH, ControlKind::ReadOnlyEdit, 50, 274, 40, 14, ""},
    {0, ControlKind::Label, 17, 296, 30, 8, "Height:"},
    {IDC_TILE_HEIGHT, ControlKind::ReadOnlyEdit, 50, 293, 40, 14, ""},
    {0, ControlKind::Label, 112, 262, 120, 8, "Number of tiles (across x down)"},
    {IDC_TILE_COUNT, ControlKind::ReadOnlyEdit, 112, 273, 102, 14, ""},
    {IDC_BUILD, ControlKind::Button, 279, 98, 64, 14, "&Build Poster"},
    {IDC_PREVIEW, ControlKind::Button, 279, 118, 64, 14, "Previe&w Poster"},
    {IDC_SAVE_POSTER, ControlKind::Button, 279, 138, 64, 14, "Save Pos&ter"},
    {IDC_OPTIONS, ControlKind::Button, 279, 158, 64, 14, "O&ptions"},
    {IDC_PRINTER_SETUP, ControlKind::Button, 279, 178, 64, 14, "P&rinter Setup..."},
    {IDC_PRINT, ControlKind::Button, 279, 198, 64, 14, "&Print Poster..."},
    {IDC_HELP, ControlKind::Button, 278, 218, 64, 14, "&Help"},
    {IDC_ABOUT, ControlKind::Button, 278, 238, 64, 14, "Abou&t"},
    {IDC_EXIT, ControlKind::Button, 278, 258, 64, 14, "&Exit"},
};

constexpr int kWidthDu = 349, kHeightDu = 319;

}  // namespace

void CPosterDlg::BuildWindow() {
  setWindowTitle(QStringLiteral("Quillet Poster"));
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
  LayOutDialog(this, kTemplate, kWidthDu, kHeightDu);
  setAcceptDrops(true);
}
