// The tile list of the main window: adding, dropping, deleting, emptying, and tile list files.
#include <QMimeData>
#include <QTest>
#include <QUrl>
#include <filesystem>

#include "GuiHarness.h"
#include "TestRegistry.h"
#include "WindowSteps.h"
#include "app/PosterControls.h"
#include "resources/StringTable.h"
#include "support/TestSupport.h"

namespace {

using gui::Click;
using gui::Enabled;
using gui::ListedTiles;

QString NotAdded() { return QString::fromUtf8(res::LoadString(res::IDS_TILES_NOT_ADDED)); }

QString Q(const std::string& s) { return QString::fromStdString(s); }

// A folder of its own per test; pictures named in it.
std::string Folder(const std::string& name) {
  const std::string dir = test::ScratchPath(name);
  std::filesystem::create_directories(dir);
  return dir;
}

class TileListWindowTest : public QObject {
  Q_OBJECT
 private slots:
  void init() { gui::ClearSettings(); }

  void AddTakesPicturesInSortedOrderAndRefusesTheRestOnce() {
    gui::MessageRecorder messages;
    gui::FileDialogAnswers files;
    CPosterDlg dlg;
    gui::Show(dlg);
    Folder("add");
    const std::string b = gui::MakePicture("add/b.bmp", 8, 6);
    const std::string a = gui::MakePicture("add/A.bmp", 8, 6);
    const std::string c = gui::MakePicture("add/c.bmp", 8, 6);
    const std::string words = gui::MakeTextFile("add/words.bmp", "no picture in here");
    const std::string nine = gui::MakeTextFile("add/nine.bmp", "BM1234567");
    files.Choose(QStringList{Q(words), Q(b), Q(a), Q(nine), Q(c)});
    messages.requests.clear();
    Click(dlg, IDC_ADD_TILES);
    QCOMPARE(files.requests.back().title, QStringLiteral("Select Tile File Names"));
    QVERIFY(files.requests.back().multiSelect);
    QCOMPARE(messages.Texts(), QStringList{NotAdded()});
    QCOMPARE(ListedTiles(dlg, IDC_TILE_LIST), (QStringList{Q(a), Q(b), Q(c)}));
    // The first file taken is where the next Add starts.
    files.Cancel();
    Click(dlg, IDC_ADD_TILES);
    QCOMPARE(files.requests.back().initialName, QStringLiteral("b.bmp"));
    QCOMPARE(files.requests.back().filterIndex, 1);
    QCOMPARE(dlg.Tiles().GetCount(), 3);
  }

  void DeleteMovesTheSelectionAndEmptyClearsAll() {
    gui::MessageRecorder messages;
    CPosterDlg dlg;
    gui::Show(dlg);
    Folder("del");
    dlg.AddDroppedFiles({gui::MakePicture("del/1.bmp", 4, 4), gui::MakePicture("del/2.bmp", 4, 4),
                         gui::MakePicture("del/3.bmp", 4, 4)});
    auto* list = Control<QListWidget>(&dlg, IDC_TILE_LIST);
    QCOMPARE(list->currentRow(), 0);
    list->setCurrentRow(2);
    Click(dlg, IDC_DELETE_TILE);  // the last one: the new last is selected
    QCOMPARE(list->count(), 2);
    QCOMPARE(list->currentRow(), 1);
    list->setCurrentRow(0);
    Click(dlg, IDC_DELETE_TILE);  // the first: the one after it takes its place
    QCOMPARE(ListedTiles(dlg, IDC_TILE_LIST), QStringList{Q(test::ScratchPath("del/2.bmp"))});
    QCOMPARE(list->currentRow(), 0);
    QTest::keyClick(list, Qt::Key_Delete);  // the Delete key deletes as the button does
    QCOMPARE(list->count(), 0);
    QVERIFY(list->selectedItems().isEmpty());
    for (int id : {IDC_DELETE_TILE, IDC_EMPTY_TILES, IDC_SAVE_LIST})
      QVERIFY(!Enabled(dlg, id));

    dlg.AddDroppedFiles({test::ScratchPath("del/1.bmp"), test::ScratchPath("del/1.bmp")});
    QCOMPARE(dlg.Tiles().GetCount(), 2);  // duplicates are allowed
    Click(dlg, IDC_EMPTY_TILES);
    QCOMPARE(dlg.Tiles().GetCount(), 0);
    QVERIFY(Control<QLineEdit>(&dlg, IDC_TILE_COUNT)->text().isEmpty());
    QVERIFY(messages.Texts().size() == 1);  // the missing printer only
  }

  void ListFilesRoundTripWithCrLfAndSortedOrder() {
    gui::MessageRecorder messages;
    gui::FileDialogAnswers files;
    CPosterDlg dlg;
    gui::Show(dlg);
    Folder("trip");
    const std::string z = gui::MakePicture("trip/zebra.bmp", 6, 4);
    const std::string m = gui::MakePicture("trip/Mango.bmp", 6, 4);
    const std::string a = gui::MakePicture("trip/apple.bmp", 6, 4);
    dlg.AddDroppedFiles({z, m, a});
    const std::string list = test::ScratchPath("trip/tiles.txt");
    files.Choose(list);
    Click(dlg, IDC_SAVE_LIST);
    QCOMPARE(files.requests.back().openMode, false);
    QCOMPARE(files.requests.back().initialName, QStringLiteral("*.txt"));
    QCOMPARE(gui::ReadText(list), a + "\r\n" + m + "\r\n" + z + "\r\n");

    Click(dlg, IDC_EMPTY_TILES);
    files.Choose(list);
    Click(dlg, IDC_OPEN_LIST);
    QCOMPARE(files.requests.back().initialName, QStringLiteral("tiles.txt"));
    QCOMPARE(ListedTiles(dlg, IDC_TILE_LIST), (QStringList{Q(a), Q(m), Q(z)}));
    files.Choose(list);
    Click(dlg, IDC_OPEN_LIST);  // opening again adds to what is listed
    QCOMPARE(ListedTiles(dlg, IDC_TILE_LIST), (QStringList{Q(a), Q(a), Q(m), Q(m), Q(z), Q(z)}));
    QVERIFY(messages.Texts().size() == 1);
  }

  // Blank lines and blanks around names are skipped; a name longer than 1,023 characters is
  // read whole, not cut into several bogus names.
  void ListFileLinesAreTrimmedAndReadWhole() {
    gui::MessageRecorder messages;
    gui::FileDialogAnswers files;
    CPosterDlg dlg;
    gui::Show(dlg);
    std::string deep = "lines";
    for (int level = 0; level < 6; ++level) deep += "/" + std::string(200, static_cast<char>('a' + level));
    Folder(deep);
    const std::string far = gui::MakePicture(deep + "/far.bmp", 5, 5);
    QVERIFY(far.size() > 1200);
    const std::string near = gui::MakePicture("lines/near.bmp", 5, 5);
    const std::string list = gui::MakeTextFile(
        "lines/list.txt", "\n   " + near + "  \r\n\r\n\t" + far + "\n   \n" + near);
    files.Choose(list);
    Click(dlg, IDC_OPEN_LIST);
    QCOMPARE(ListedTiles(dlg, IDC_TILE_LIST), (QStringList{Q(far), Q(near), Q(near)}));
    QVERIFY(messages.Texts().size() == 1);
  }

  void ListFileFailuresSayWhichFile() {
    gui::MessageRecorder messages;
    gui::FileDialogAnswers files;
    CPosterDlg dlg;
    gui::Show(dlg);
    const std::string missing = test::ScratchPath("no-such-list.txt");
    files.Choose(missing);
    Click(dlg, IDC_OPEN_LIST);
    QCOMPARE(messages.Texts().last(), Q("Error opening file: '" + missing + "'"));
    const std::string tile = gui::MakePicture("fail.bmp", 4, 4);
    dlg.AddDroppedFiles({tile});
    // Saving the list over one of its own pictures would destroy it.
    const test::Bytes picture = test::ReadFile(tile);
    files.Choose(tile);
    Click(dlg, IDC_SAVE_LIST);
    QVERIFY(messages.Texts().last().contains(QStringLiteral("is also one of the inputs")));
    QVERIFY(test::ReadFile(tile) == picture);
    const std::string nowhere = test::ScratchPath("no-such-folder/list.txt");
    files.Choose(nowhere);
    Click(dlg, IDC_SAVE_LIST);
    QCOMPARE(messages.Texts().last(),
             Q("Error creating file: '" + nowhere + "' (disk may be full or write protected)"));
    // After a failure the dialogs start from the remembered name again.
    files.Cancel();
    Click(dlg, IDC_OPEN_LIST);
    QCOMPARE(files.requests.back().initialName, QStringLiteral("*.txt"));
  }

  void DroppedFilesAreAddedAndFoldersRefused() {
    gui::MessageRecorder messages;
    CPosterDlg dlg;
    gui::Show(dlg);
    const std::string folder = Folder("drop/photos.bmp");
    const std::string one = gui::MakePicture("drop/one.bmp", 7, 5);
    const std::string two = gui::MakePicture("drop/two.bmp", 7, 5);
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(Q(two)), QUrl::fromLocalFile(Q(folder)),
                  QUrl::fromLocalFile(Q(one))});
    // As a drag from a file manager arrives: it enters the window, then drops.
    QDragEnterEvent enter(QPoint(30, 30), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&dlg, &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(30, 30), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    messages.requests.clear();
    QApplication::sendEvent(&dlg, &drop);
    QCOMPARE(messages.Texts(), QStringList{NotAdded()});
    QCOMPARE(ListedTiles(dlg, IDC_TILE_LIST), (QStringList{Q(one), Q(two)}));
    QVERIFY(gui::Enabled(dlg, IDC_SAVE_LIST));
  }
};

const gui::Register<TileListWindowTest> registered("TileListWindowTest");

}  // namespace

#include "TileListWindowTest.moc"
