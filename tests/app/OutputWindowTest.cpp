// The main window's output commands driven as a user does: preview, save and print a poster;
// the build refused when the poster cannot fit; the upright-photos option.
#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTest>
#include <filesystem>

#include "GuiHarness.h"
#include "TestRegistry.h"
#include "WindowSteps.h"
#include "app/OptionsDlg.h"
#include "app/PosterControls.h"
#include "app/PrintPageDlg.h"
#include "formats/ImageFile.h"
#include "formats/JpegWriter.h"
#include "output/PrinterSettings.h"
#include "resources/StringTable.h"
#include "support/TestSupport.h"
#include "support/ToolImages.h"

namespace {

using gui::Click;
using gui::Shown;

QString Text(unsigned id) { return QString::fromUtf8(res::LoadString(id)); }

// A main image and four tiles in the window, the print width typed.
void LoadScene(CPosterDlg& dlg, const std::string& folder, const std::string& mainImage,
               const char* printWidth) {
  std::vector<std::string> tiles;
  for (int i = 0; i < 4; ++i)
    tiles.push_back(gui::MakePicture(folder + "/tile" + std::to_string(i) + ".bmp", 12 + i, 9));
  dlg.LoadMainImage(mainImage);
  dlg.AddDroppedFiles(tiles);
  gui::TypeInto(dlg, IDC_PRINT_WIDTH, QString::fromLatin1(printWidth));
}

std::string MakeFolder(const std::string& name) {
  std::filesystem::create_directories(test::ScratchPath(name));
  return name;
}

// The page count pdfinfo reads from the file; -1 when it cannot.
int PdfPages(const std::string& path) {
  QProcess info;
  info.start(QStringLiteral("pdfinfo"), {QString::fromStdString(path)});
  if (!info.waitForFinished(30000) || info.exitCode() != 0) return -1;
  const QRegularExpression pages(QStringLiteral("Pages:\\s+(\\d+)"));
  const auto match = pages.match(QString::fromUtf8(info.readAllStandardOutput()));
  return match.hasMatch() ? match.captured(1).toInt() : -1;
}

// Width and height of a saved picture, as the program reads it back.
QSize PictureSize(const std::string& path) {
  CDibImage image;
  int width = 0, height = 0;
  if (!Probe(image, path, width, height)) return {};
  return {width, height};
}

// A JPEG stored turned a quarter (EXIF orientation 6): upright it is height × width.
std::string TurnedJpeg(const std::string& name, int width, int height) {
  CDibImage image;
  test::Fill(image, width, height, test::Pattern);
  const std::string plain = test::ScratchPath(name + ".plain.jpg");
  if (WriteJpegFile(image, test::Target(plain), kJpegQualityHigh, nullptr) != SaveResult::kSaved) return {};
  const std::string path = test::ScratchPath(name);
  test::WriteFile(path, test::WithExifSegment(test::ReadFile(plain), test::ExifBlock(6, false)));
  return path;
}

void PressOk(CPrintPageDlg* range) {
  Control<QPushButton>(range, CPrintPageDlg::IDOK)->click();
}

class OutputWindowTest : public QObject {
  Q_OBJECT
 private slots:
  void init() { gui::ClearSettings(); }
  void cleanup() { SetTestPrinter(QString()); }

  // The whole task: a poster built on demand, looked at, saved in two formats, refused a third,
  // printed whole onto two pages, then one page of it again.
  void PosterIsBuiltPreviewedSavedAndPrinted() {
    const std::string folder = MakeFolder("task");
    const std::string pdf = test::ScratchPath(folder + "/printed.pdf");
    SetTestPrinter(QString::fromStdString(pdf));
    gui::MessageRecorder messages;
    gui::FileDialogAnswers files;
    CPosterDlg dlg;
    gui::Show(dlg);
    QVERIFY(dlg.HasPrinter() && messages.requests.empty());
    LoadScene(dlg, folder, gui::MakePicture(folder + "/main.bmp", 160, 120), "12");
    QCOMPARE(Shown(dlg, IDC_PAGES), QStringLiteral("2 (2 x 1)"));  // letter paper, 12 x 9 in

    // Saving first asks to build; declining leaves the poster unbuilt and asks for no name.
    Click(dlg, IDC_SAVE_POSTER);
    QCOMPARE(messages.Texts().last(), Text(res::IDS_BUILD_BEFORE_SAVE));
    QVERIFY(!dlg.IsBuilt() && files.requests.empty());

    // Preview builds on OK, shows the poster and keeps the main window off until Esc.
    messages.Queue(MessageAnswer::Ok);
    Click(dlg, IDC_PREVIEW);
    QVERIFY(dlg.IsBuilt());
    // 12 in at a quarter of 300 dpi, widened to whole tiles.
    QVERIFY(dlg.PosterImage().GetWidth() >= 900 && dlg.PosterImage().GetWidth() < 920);
    QTRY_VERIFY(dlg.Preview().isVisible());
    QVERIFY(!dlg.isEnabled());
    QTest::keyClick(&dlg.Preview(), Qt::Key_Escape);
    QTRY_VERIFY(!dlg.Preview().isVisible());
    QVERIFY(dlg.isEnabled());

    const QSize posterSize(dlg.PosterImage().GetWidth(), dlg.PosterImage().GetHeight());
    for (const char* name : {"/poster.jpg", "/poster.png"}) {
      const std::string path = test::ScratchPath(folder + name);
      files.Choose(path);
      Click(dlg, IDC_SAVE_POSTER);
      QCOMPARE(PictureSize(path), posterSize);
    }
    QCOMPARE(files.requests.back().title, Text(res::IDS_SAVE_TITLE));
    QCOMPARE(files.requests.back().initialName, QStringLiteral("poster.jpg"));
    const std::string gif = test::ScratchPath(folder + "/poster.gif");
    files.Choose(gif);
    Click(dlg, IDC_SAVE_POSTER);
    QCOMPARE(messages.Texts().last(), Text(res::IDS_BAD_EXTENSION));
    QVERIFY(!std::filesystem::exists(gif));

    // All pages: the range dialog offers them and the PDF gets both.
    gui::WhenModal<CPrintPageDlg>([](CPrintPageDlg* range) { PressOk(range); });
    gui::ToThePrinter();
    Click(dlg, IDC_PRINT);
    QCOMPARE(PdfPages(pdf), 2);
    // Page 2 alone.
    std::filesystem::remove(pdf);
    gui::WhenModal<CPrintPageDlg>([](CPrintPageDlg* range) {
      Control<QRadioButton>(range, CPrintPageDlg::kIdOnlyPage)->click();
      Control<QLineEdit>(range, CPrintPageDlg::kIdPageEdit)->setText(QStringLiteral("2"));
      PressOk(range);
    });
    gui::ToThePrinter();
    Click(dlg, IDC_PRINT);
    QCOMPARE(PdfPages(pdf), 1);
    QVERIFY(dlg.isEnabled() && dlg.Progress() == nullptr);
    QCOMPARE(messages.requests.size(), std::size_t{3});  // the two questions and the refusal

    // Neither the saved poster nor a printed file may replace a picture the poster is made of.
    const std::string main = test::ScratchPath(folder + "/main.bmp");
    const test::Bytes picture = test::ReadFile(main);
    files.Choose(test::ScratchPath(folder + "/../" + folder + "/main.bmp"));
    Click(dlg, IDC_SAVE_POSTER);
    QVERIFY(messages.Texts().last().contains(QStringLiteral("is also one of the inputs")));
    SetTestPrinter(QString::fromStdString(main));
    gui::ToThePrinter();
    Click(dlg, IDC_PRINT);  // refused before the range dialog
    QCOMPARE(messages.requests.size(), std::size_t{5});
    QVERIFY(messages.Texts().last().contains(QStringLiteral("is also one of the inputs")));
    QVERIFY(test::ReadFile(main) == picture);
  }

  // Without tiles the main image itself is printed, on one page without the range dialog; a
  // file that cannot be written is named in the message.
  void MainImageAlonePrintsAndAFailedJobIsReported() {
    const std::string folder = MakeFolder("alone");
    const std::string pdf = test::ScratchPath(folder + "/main.pdf");
    SetTestPrinter(QString::fromStdString(pdf));
    gui::MessageRecorder messages;
    CPosterDlg dlg;
    gui::Show(dlg);
    dlg.LoadMainImage(gui::MakePicture(folder + "/main.bmp", 160, 120));
    gui::ToThePrinter();
    Click(dlg, IDC_PRINT);
    QCOMPARE(PdfPages(pdf), 1);
    QVERIFY(messages.requests.empty());

    const std::string nowhere = test::ScratchPath(folder + "/no-such-folder/main.pdf");
    SetTestPrinter(QString::fromStdString(nowhere));
    CPosterDlg second;
    gui::Show(second);
    second.LoadMainImage(gui::MakePicture(folder + "/main.bmp", 160, 120));
    gui::ToThePrinter();
    Click(second, IDC_PRINT);
    QCOMPARE(messages.requests.size(), std::size_t{1});
    QVERIFY2(messages.Texts().front().contains(QString::fromStdString(nowhere)),
             qPrintable(messages.Texts().front()));
    QVERIFY(second.isEnabled() && !std::filesystem::exists(nowhere));
  }

  // A poster past the machine's memory is refused with the limit's message, never started.
  void PosterTooLargeForTheMachineIsNotBuilt() {
    const std::string folder = MakeFolder("huge");
    gui::MessageRecorder messages;
    CPosterDlg dlg;
    gui::Show(dlg);
    LoadScene(dlg, folder, gui::MakePicture(folder + "/main.bmp", 160, 120), "9000");
    messages.requests.clear();
    Click(dlg, IDC_BUILD);
    QVERIFY(!dlg.IsBuilt() && !dlg.PosterImage().IsValid());
    QCOMPARE(messages.requests.size(), std::size_t{1});
    QVERIFY2(messages.Texts().front().contains(QStringLiteral("memory")),
             qPrintable(messages.Texts().front()));
    // A size that fits builds.
    gui::TypeInto(dlg, IDC_PRINT_WIDTH, QStringLiteral("2"));
    Click(dlg, IDC_BUILD);
    QVERIFY(dlg.IsBuilt());
  }

  // Switching the upright-photos option reloads the main image the other way round and makes
  // the built poster stale.
  void UprightOptionReloadsTheMainImage() {
    const std::string folder = MakeFolder("upright");
    gui::MessageRecorder messages;
    CPosterDlg dlg;
    gui::Show(dlg);
    const std::string turned = TurnedJpeg(folder + "/turned.jpg", 64, 48);
    LoadScene(dlg, folder, turned, "2");
    QCOMPARE(Shown(dlg, IDC_IMAGE_WIDTH), QStringLiteral("48"));
    Click(dlg, IDC_BUILD);
    QVERIFY(dlg.IsBuilt());
    gui::WhenModal<COptionsDlg>([](COptionsDlg* options) {
      auto* upright = options->findChild<QCheckBox*>(QStringLiteral("1048"));
      QVERIFY(upright != nullptr && upright->isChecked());
      upright->click();
      options->accept();
    });
    Click(dlg, IDC_OPTIONS);
    QVERIFY(!dlg.IsBuilt());
    QCOMPARE(Shown(dlg, IDC_IMAGE_WIDTH), QStringLiteral("64"));
    QCOMPARE(dlg.Params().Orientation, 0);
    // The print width typed stays; the height follows the image as it now reads.
    QCOMPARE(Shown(dlg, IDC_PRINT_WIDTH), QStringLiteral("2"));
    QCOMPARE(Shown(dlg, IDC_PRINT_HEIGHT), QStringLiteral("1.5"));
  }

  // A poster wider than JPEG holds is built all the same: the format counts only when saving,
  // where the user is offered BMP, which holds it.
  void PosterPastTheJpegLimitIsBuiltAndOfferedAsBmp() {
    const std::string folder = MakeFolder("wide");
    gui::MessageRecorder messages;
    gui::FileDialogAnswers files;
    CPosterDlg dlg;
    gui::Show(dlg);
    // 440 inches at 150 pixels an inch: 66,044 pixels across in small tiles, one row down.
    LoadScene(dlg, folder, gui::MakePicture(folder + "/main.bmp", 4400, 20), "440");
    Click(dlg, IDC_SIZE_SMALL);
    messages.requests.clear();
    Click(dlg, IDC_BUILD);
    QVERIFY2(dlg.IsBuilt(), qPrintable(messages.Texts().join('|')));
    const QSize poster(dlg.PosterImage().GetWidth(), dlg.PosterImage().GetHeight());
    QVERIFY(poster.width() > 65500);
    const std::string jpeg = test::ScratchPath(folder + "/poster.jpg");
    files.Choose(jpeg);
    messages.Queue(MessageAnswer::No);
    Click(dlg, IDC_SAVE_POSTER);
    QVERIFY2(messages.Texts().last().contains(QStringLiteral("65,500")) &&
                 messages.Texts().last().contains(QStringLiteral("poster.bmp")),
             qPrintable(messages.Texts().last()));
    files.Choose(jpeg);
    messages.Queue(MessageAnswer::Yes);
    Click(dlg, IDC_SAVE_POSTER);
    QVERIFY(!std::filesystem::exists(jpeg));
    QCOMPARE(PictureSize(test::ScratchPath(folder + "/poster.bmp")), poster);
    // Save starts in the pictures (or home) folder, and once a poster is saved, beside it.
    QVERIFY(files.requests.front().initialDirectory.startsWith(QDir::homePath()));
    files.Cancel();
    Click(dlg, IDC_SAVE_POSTER);
    QCOMPARE(QDir::cleanPath(files.requests.back().initialDirectory),
             QString::fromStdString(test::ScratchPath(folder)));
  }
};

const gui::Register<OutputWindowTest> registered("OutputWindowTest");

}  // namespace

#include "OutputWindowTest.moc"
