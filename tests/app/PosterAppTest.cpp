// The program's start and end: the help file check, the running lock, the exit question, and
// the settings read at the main window's construction and written at its destruction.
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QSettings>
#include <QTest>
#include <filesystem>

#include "GuiHarness.h"
#include "TestRegistry.h"
#include "WindowSteps.h"
#include "app/PosterApp.h"
#include "app/PosterControls.h"
#include "resources/StringTable.h"
#include "support/TestSupport.h"

namespace {

QSettings Store() { return QSettings(QStringLiteral("Velkamo"), QStringLiteral("Quillet Poster 1.0")); }

bool RunningLockFree() {
  const QByteArray path = QFile::encodeName(CRunningLock::PathFor(CPosterApp::LockName()));
  const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return true;
  const bool free = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
  ::close(fd);
  return free;
}

// A folder holding a copy of the help document, as the install places it.
QString ProgramFolder(const std::string& name, bool withHelp) {
  const std::string dir = test::ScratchPath(name);
  std::filesystem::create_directories(dir);
  if (withHelp)
    std::filesystem::copy_file(HELP_FILE, dir + "/Mozaikon.hlp",
                               std::filesystem::copy_options::overwrite_existing);
  return QString::fromStdString(dir);
}

class PosterAppTest : public QObject {
  Q_OBJECT
 private slots:
  void init() { gui::ClearSettings(); }

  void FirstRunShowsTheDefaults() {
    gui::MessageRecorder messages;
    CPosterDlg dlg;
    const PosterParams& p = dlg.Params();
    QCOMPARE(p.TileOrder, TileOrderMode::Random);
    QCOMPARE(p.TileSize, TileSizePreset::Medium);
    QCOMPARE(p.DPIFraction, DPIFractionCode::Quarter);
    QCOMPARE(p.JPEGQuality, JPEGQualityLevel::Medium);
    QCOMPARE(p.Borders, BorderStyle::SingleLine);
    QCOMPARE(p.Emphasis, 4);
    QCOMPARE(p.Custom, 100u);
    QVERIFY(p.Crop && p.Rotate);
  }

  void StoredValuesAreCorrectedAndTheLastMainImageKept() {
    {
      QSettings store = Store();
      store.setValue("Options/Emphasis", 9);
      store.setValue("Options/Borders", 5);
      store.setValue("Options/TileSize", 1009);
      store.setValue("Options/Custom", -5);  // an unsigned value: very large, so 500
      store.setValue("Options/MainImage", "/photos/earlier.jpg");
    }
    {
      gui::MessageRecorder messages;
      CPosterDlg dlg;
      QCOMPARE(dlg.Params().Emphasis, 7);
      QCOMPARE(dlg.Params().Borders, BorderStyle::ButtonFrame);
      QCOMPARE(dlg.Params().TileSize, TileSizePreset::Medium);
      QCOMPARE(dlg.Params().Custom, 500u);
    }  // ends without a main image
    QSettings store = Store();
    QCOMPARE(store.value("Options/MainImage").toString(), QStringLiteral("/photos/earlier.jpg"));
    QCOMPARE(store.value("Options/Emphasis").toInt(), 7);
    QCOMPARE(store.value("Options/TileSize").toInt(), 1007);
    QCOMPARE(store.value("Options/TileList").toString(), QStringLiteral("*.txt"));
    QCOMPARE(store.value("Options/TileAddName").toString(), QStringLiteral("*.jpg"));
    store.setValue("Options/Emphasis", 0);
    store.sync();
    gui::MessageRecorder messages;
    CPosterDlg again;
    QCOMPARE(again.Params().Emphasis, 1);
  }

  void LoadedMainImageAndOptionsAreStoredAtTheEnd() {
    const std::string main = gui::MakePicture("stored-main.bmp", 40, 30);
    {
      gui::MessageRecorder messages;
      CPosterDlg dlg;
      gui::Show(dlg);
      dlg.LoadMainImage(main);
      gui::Click(dlg, IDC_SIZE_SMALL);
    }
    QSettings store = Store();
    QCOMPARE(store.value("Options/MainImage").toString(), QString::fromStdString(main));
    QCOMPARE(store.value("Options/TileSize").toInt(), 1006);
  }

  void MissingHelpFileEndsTheProgramBeforeAnything() {
    gui::MessageRecorder messages;
    CPosterApp app(ProgramFolder("no-help", false));
    QVERIFY(!app.InitInstance());
    QCOMPARE(messages.Texts(), QStringList{QString::fromUtf8(res::LoadString(res::IDS_NO_HELP_FILE))});
    QVERIFY(!app.Lock().IsHeld());
    QVERIFY(Store().allKeys().isEmpty());  // no settings read or written
  }

  // Escape asks, No keeps the window; Exit asks again, Yes ends the program. The running lock
  // is held from start to ExitInstance.
  void ExitAsksFirstAndTheLockLastsUntilTheEnd() {
    gui::MessageRecorder messages;
    messages.Queue(MessageAnswer::Ok);  // no printer
    messages.Queue(MessageAnswer::No);
    messages.Queue(MessageAnswer::Yes);
    CPosterApp app(ProgramFolder("with-help", true));
    bool stillShownAfterNo = false, lockedWhileRunning = false;
    gui::WhenModal<CPosterDlg>([&](CPosterDlg* dlg) {
      lockedWhileRunning = !RunningLockFree();
      QTest::keyClick(dlg, Qt::Key_Escape);
      QTRY_COMPARE(messages.requests.size(), std::size_t{2});
      QCoreApplication::processEvents();
      stillShownAfterNo = dlg->isVisible();
      gui::Click(*dlg, IDC_EXIT);
    });
    QVERIFY(!app.InitInstance());
    QVERIFY(lockedWhileRunning);
    QVERIFY(stillShownAfterNo);
    QCOMPARE(messages.requests.size(), std::size_t{3});
    for (std::size_t i : {1u, 2u}) {
      QCOMPARE(messages.requests[i].text, QStringLiteral("Exit Quillet Poster?"));
      QCOMPARE(messages.requests[i].buttons, MessageButtons::YesNo);
      QCOMPARE(messages.requests[i].caption, QStringLiteral("Quillet Poster 1.0"));
    }
    QVERIFY(!RunningLockFree());
    app.ExitInstance();
    QVERIFY(RunningLockFree());
  }
};

const gui::Register<PosterAppTest> registered("PosterAppTest");

}  // namespace

#include "PosterAppTest.moc"
