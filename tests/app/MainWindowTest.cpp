// The main window's main image, print size and enabling rules, driven by control identifier.
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTextBrowser>
#include <filesystem>

#include "GuiHarness.h"
#include "TestRegistry.h"
#include "WindowSteps.h"
#include "app/PosterControls.h"
#include "app/PrintDestinationDlg.h"
#include "app/PosterDlg.h"
#include "engine/PrintSize.h"
#include "output/PrinterSettings.h"
#include "platform/ControlTable.h"
#include "platform/HelpWindow.h"
#include "resources/StringTable.h"
#include "support/TestSupport.h"

namespace {

using gui::Enabled;
using gui::Show;
using gui::Shown;
using gui::TypeInto;

void ClickButton(CPosterDlg& dlg, int id) { gui::Click(dlg, id); }

class MainWindowTest : public QObject {
  Q_OBJECT
 private slots:
  void init() {
    SetTestPrinter(QString());
    gui::ClearSettings();
  }

  void ControlsSitAtTheirDialogUnitPlaces() {
    gui::MessageRecorder messages;
    CPosterDlg dlg;
    const DialogBaseUnits units = DialogUnitsOf(&dlg);
    QCOMPARE(Control(&dlg, IDC_MAIN_FILE)->geometry(),
             MapDialogRect(units, QRect(57, 23, 258, 14)));
    QCOMPARE(Control(&dlg, IDC_EXIT)->geometry(), MapDialogRect(units, QRect(278, 258, 64, 14)));
    QCOMPARE(Control(&dlg, IDC_TILE_LIST)->geometry(),
             MapDialogRect(units, QRect(11, 106, 202, 136)));
    QCOMPARE(dlg.size(), MapDialogRect(units, QRect(0, 0, 349, 319)).size());
    // A larger font gives a larger window with the same proportions.
    QFont bigger = dlg.font();
    bigger.setPixelSize(2 * QFontInfo(dlg.font()).pixelSize());
    const QRect wide = MapDialogRect(BaseUnitsOf(bigger), QRect(57, 23, 258, 14));
    const QRect plain = MapDialogRect(BaseUnitsOf(dlg.font()), QRect(57, 23, 258, 14));
    QVERIFY(wide.width() > 19 * plain.width() / 10);
    QCOMPARE(messages.Texts(), QStringList{res::LoadString(res::IDS_NO_PRINTER)});
  }

  void CommandsAreEnabledOnlyWithTheirInputs() {
    gui::MessageRecorder messages;
    gui::FileDialogAnswers files;
    SetTestPrinter(QString::fromStdString(test::ScratchPath("enable.pdf")));
    CPosterDlg dlg;
    Show(dlg);
    QVERIFY2(messages.requests.empty(), qPrintable(messages.Texts().join('|')));  // a printer
    for (int id : {IDC_PREVIEW, IDC_PRINT, IDC_BUILD, IDC_SAVE_POSTER, IDC_PRINT_WIDTH,
                   IDC_PRINT_HEIGHT, IDC_DELETE_TILE, IDC_EMPTY_TILES, IDC_SAVE_LIST})
      QVERIFY2(!Enabled(dlg, id), qPrintable(QString::number(id)));
    for (int id : {IDC_ADD_TILES, IDC_OPEN_LIST, IDC_OPTIONS, IDC_PRINTER_SETUP, IDC_HELP,
                   IDC_ABOUT, IDC_EXIT})
      QVERIFY2(Enabled(dlg, id), qPrintable(QString::number(id)));

    files.Choose(gui::MakePicture("enable-main.bmp", 64, 48));
    ClickButton(dlg, IDC_BROWSE_MAIN);
    for (int id : {IDC_PREVIEW, IDC_PRINT, IDC_PRINT_WIDTH, IDC_PRINT_HEIGHT})
      QVERIFY(Enabled(dlg, id));
    QVERIFY(!Enabled(dlg, IDC_BUILD) && !Enabled(dlg, IDC_SAVE_POSTER));

    files.Choose(QStringList{QString::fromStdString(gui::MakePicture("enable-b.bmp", 8, 8)),
                             QString::fromStdString(gui::MakePicture("enable-a.bmp", 8, 8))});
    ClickButton(dlg, IDC_ADD_TILES);
    for (int id : {IDC_BUILD, IDC_SAVE_POSTER, IDC_DELETE_TILE, IDC_EMPTY_TILES, IDC_SAVE_LIST})
      QVERIFY(Enabled(dlg, id));
    QCOMPARE(Control<QListWidget>(&dlg, IDC_TILE_LIST)->currentRow(), 0);
    QVERIFY(messages.requests.empty());
  }

  // Without any printer the program says so at start, keeps Printer Setup off and prints to a
  // PDF file, the only destination it then offers.
  void NoPrinterKeepsSetupOffAndPrintsToAFile() {
    gui::MessageRecorder messages;
    gui::FileDialogAnswers files;
    CPosterDlg dlg;
    Show(dlg);
    QCOMPARE(messages.Texts(), QStringList{res::LoadString(res::IDS_NO_PRINTER)});
    QCOMPARE(messages.requests[0].caption, QApplication::applicationDisplayName());
    files.Choose(gui::MakePicture("noprinter.bmp", 64, 48));
    ClickButton(dlg, IDC_BROWSE_MAIN);
    QVERIFY(Enabled(dlg, IDC_PREVIEW));
    QVERIFY(Enabled(dlg, IDC_PRINT) && !Enabled(dlg, IDC_PRINTER_SETUP));
    QCOMPARE(Shown(dlg, IDC_PAGES), QStringLiteral("1 (1 x 1)"));

    const std::string pdf = test::ScratchPath("noprinter.pdf");
    std::filesystem::remove(pdf);
    files.Choose(pdf);
    bool printerOffered = true;
    gui::WhenModal<CPrintDestinationDlg>([&printerOffered](CPrintDestinationDlg* destination) {
      printerOffered = Control(destination, CPrintDestinationDlg::kIdQueue)->isEnabled();
      Control<QPushButton>(destination, CPrintDestinationDlg::IDOK)->click();
    });
    ClickButton(dlg, IDC_PRINT);
    QVERIFY(!printerOffered);
    QCOMPARE(gui::ReadText(pdf).substr(0, 5), std::string("%PDF-"));
    QCOMPARE(messages.requests.size(), std::size_t{1});
  }

  void MainImageShowsItsSizeAndStartsAtOnePixelPerDot() {
    gui::MessageRecorder messages;
    gui::FileDialogAnswers files;
    CPosterDlg dlg;
    Show(dlg);
    const std::string path = gui::MakePicture("wide.bmp", 1024, 768);
    files.Choose(path);
    ClickButton(dlg, IDC_BROWSE_MAIN);
    QCOMPARE(files.requests.back().title, QStringLiteral("Select Poster Image File"));
    QCOMPARE(files.requests.back().initialName, QStringLiteral("*.jpg"));
    QCOMPARE(Shown(dlg, IDC_MAIN_FILE), QString::fromStdString(path));
    QCOMPARE(Shown(dlg, IDC_IMAGE_WIDTH), QStringLiteral("1,024"));
    QCOMPARE(Shown(dlg, IDC_IMAGE_HEIGHT), QStringLiteral("768"));
    // 1024 / 600 and 768 / 600 inches, cut to hundredths.
    QCOMPARE(dlg.GetPrintSize().width, TruncateToHundredths(1024 / 600.0));
    QCOMPARE(Shown(dlg, IDC_PRINT_HEIGHT).toDouble(), 1.28);

    // The next dialog starts from that file, showing all pictures (not only BMP files), with BMP
    // completing a typed name.
    files.Choose(gui::MakeTextFile("not-a-picture.bmp", "plain words, no picture"));
    ClickButton(dlg, IDC_BROWSE_MAIN);
    QCOMPARE(files.requests.back().filterIndex, 1);
    QCOMPARE(files.requests.back().defaultExtension, QStringLiteral("bmp"));
    QCOMPARE(files.requests.back().initialName, QStringLiteral("wide.bmp"));
    QCOMPARE(messages.Texts().last(), QString::fromUtf8(res::LoadString(res::IDS_MAIN_IMAGE_ERROR)));
    QVERIFY(Shown(dlg, IDC_MAIN_FILE).isEmpty());
    QVERIFY(Shown(dlg, IDC_IMAGE_WIDTH).isEmpty());
    QVERIFY(!Enabled(dlg, IDC_PREVIEW) && !Enabled(dlg, IDC_PRINT_WIDTH));
  }

  void PrintSizeSidesFollowEachOther() {
    gui::MessageRecorder messages;
    gui::FileDialogAnswers files;
    CPosterDlg dlg;
    Show(dlg);
    dlg.LoadMainImage(gui::MakePicture("vga.bmp", 640, 480));
    TypeInto(dlg, IDC_PRINT_WIDTH, QStringLiteral("10"));
    QCOMPARE(Shown(dlg, IDC_PRINT_HEIGHT), QStringLiteral("7.50"));
    QCOMPARE(Shown(dlg, IDC_PAGES), QStringLiteral("2 (2 x 1)"));
    TypeInto(dlg, IDC_PRINT_HEIGHT, QStringLiteral("3"));
    QCOMPARE(Shown(dlg, IDC_PRINT_WIDTH), QStringLiteral("4.00"));
    QCOMPARE(dlg.GetPrintSize().width, 4.0);
    QCOMPARE(dlg.GetPrintSize().height, 3.0);
    QCOMPARE(Shown(dlg, IDC_PAGES), QStringLiteral("1 (1 x 1)"));
    QVERIFY(messages.Texts().size() == 1);  // only the missing printer
  }

  // A typed width is kept exactly as typed, 1.14 does not become 1.13; the height derived from
  // it is cut to hundredths.
  void TypedWidthIsTakenAsTyped() {
    gui::MessageRecorder messages;
    CPosterDlg dlg;
    Show(dlg);
    dlg.LoadMainImage(gui::MakePicture("typed.bmp", 640, 480));
    for (const char* typed : {"1.14", "2.3", "4.35"}) {
      TypeInto(dlg, IDC_PRINT_WIDTH, QString::fromLatin1(typed));
      QCOMPARE(dlg.GetPrintSize().width, std::atof(typed));
      QCOMPARE(Shown(dlg, IDC_PRINT_HEIGHT),
               QString::fromStdString(FormatInches(HeightForWidth(std::atof(typed), 640, 480))));
    }
    QCOMPARE(Shown(dlg, IDC_PRINT_HEIGHT), QStringLiteral("3.26"));
    // Five characters limit typing only: a derived 123.45 shows whole and is read back whole.
    dlg.LoadMainImage(gui::MakePicture("strip.bmp", 2469, 20));
    TypeInto(dlg, IDC_PRINT_HEIGHT, QStringLiteral("1"));
    QCOMPARE(Shown(dlg, IDC_PRINT_WIDTH), QStringLiteral("123.45"));
    ClickButton(dlg, IDC_SIZE_LARGE);  // reads the edits back
    QCOMPARE(dlg.GetPrintSize().width, 123.45);
    TypeInto(dlg, IDC_PRINT_WIDTH, QStringLiteral("1234567"));
    QCOMPARE(Shown(dlg, IDC_PRINT_WIDTH), QStringLiteral("12345"));
  }

  // The window and the command line make the same grid from the same typed width.
  void WindowAndCommandLineAgreeOnTypedWidths() {
    gui::MessageRecorder messages;
    CPosterDlg dlg;
    Show(dlg);
    const std::string main = gui::MakePicture("agree-main.bmp", 640, 480);
    const std::string tile = gui::MakePicture("agree-tile.bmp", 30, 20);
    dlg.LoadMainImage(main);
    dlg.AddDroppedFiles({tile});
    const QRegularExpression tilesLine(QStringLiteral("(\\d+) across x (\\d+) down, (\\d+) x (\\d+) pixels"));
    for (const char* typed : {"1.14", "2.3", "4.35"}) {
      TypeInto(dlg, IDC_PRINT_WIDTH, QString::fromLatin1(typed));
      const test::CommandResult cli = test::RunCli(
          {"build", main, tile, "--print-width", typed, "-o", test::ScratchPath("agree.bmp")});
      QCOMPARE(cli.exitCode, 0);
      const QString out = QString::fromStdString(cli.out);
      QVERIFY2(out.contains(QStringLiteral("print %1 x %2 inches")
                                .arg(QString::fromStdString(FormatInches(std::atof(typed))),
                                     Shown(dlg, IDC_PRINT_HEIGHT))),
               qPrintable(out));
      const auto match = tilesLine.match(out);
      QVERIFY(match.hasMatch());
      QCOMPARE(Shown(dlg, IDC_TILE_COUNT),
               QStringLiteral("%1 (%2 x %3)")
                   .arg(match.captured(1).toInt() * match.captured(2).toInt())
                   .arg(match.captured(1), match.captured(2)));
      QCOMPARE(Shown(dlg, IDC_TILE_WIDTH), match.captured(3));
      QCOMPARE(Shown(dlg, IDC_TILE_HEIGHT), match.captured(4));
    }
  }

  // The help contents open with the window; Help brings them back after they were closed, and
  // leaving the program closes them.
  void HelpOpensTheHelpDocument() {
    gui::MessageRecorder messages;
    CPosterDlg dlg;
    Show(dlg);
    QTextBrowser* help = HelpWindow();
    QCOMPARE(help->windowTitle(), QStringLiteral("Quillet Poster Help"));
    QVERIFY(help->toPlainText().contains(QStringLiteral("Choosing the print size")));
    help->close();
    QTRY_VERIFY(HelpWindow() == nullptr);
    ClickButton(dlg, IDC_HELP);
    QVERIFY(HelpWindow() != nullptr && HelpWindow()->isVisible());
    dlg.close();
    QTRY_VERIFY(HelpWindow() == nullptr);
    QCOMPARE(messages.Texts().last(), QStringLiteral("Exit Quillet Poster?"));
  }

  void LeavingAZeroSizeAsksForALargerNumber() {
    gui::MessageRecorder messages;
    CPosterDlg dlg;
    Show(dlg);
    dlg.LoadMainImage(gui::MakePicture("zero.bmp", 640, 480));
    TypeInto(dlg, IDC_PRINT_WIDTH, QStringLiteral("0"));
    QCOMPARE(Shown(dlg, IDC_PRINT_HEIGHT), QStringLiteral("0.00"));
    Control(&dlg, IDC_PRINT_HEIGHT)->setFocus(Qt::TabFocusReason);
    QCoreApplication::processEvents();
    QCOMPARE(messages.Texts().last(), QStringLiteral("Please enter a larger number"));
    QCOMPARE(QApplication::focusWidget(), Control(&dlg, IDC_PRINT_WIDTH));
    // A good width then lets the focus go.
    TypeInto(dlg, IDC_PRINT_WIDTH, QStringLiteral("5"));
    const qsizetype shown = messages.requests.size();
    Control(&dlg, IDC_PRINT_HEIGHT)->setFocus(Qt::TabFocusReason);
    QCoreApplication::processEvents();
    QCOMPARE(messages.requests.size(), shown);
    QCOMPARE(QApplication::focusWidget(), Control(&dlg, IDC_PRINT_HEIGHT));
  }
};

const gui::Register<MainWindowTest> registered("MainWindowTest");

}  // namespace

#include "MainWindowTest.moc"
