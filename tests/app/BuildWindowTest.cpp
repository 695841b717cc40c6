// Building the poster from the main window under the progress dialog: to the end, cancelled,
// stopped by a quit request; the progress dialog's keys.
#include <QKeyEvent>
#include <QSize>
#include <QTest>
#include <QTimer>
#include <cstdint>
#include <filesystem>

#include "GuiHarness.h"
#include "TestRegistry.h"
#include "WindowSteps.h"
#include "app/PosterControls.h"
#include "app/ProgressDlg.h"
#include "resources/StringTable.h"
#include "support/TestSupport.h"

namespace {

using gui::Click;
using gui::Shown;

QString Text(unsigned id) { return QString::fromUtf8(res::LoadString(id)); }

// A main image and four tiles in the window, the print width typed.
void LoadScene(CPosterDlg& dlg, const std::string& name, int mainWidth, const char* printWidth) {
  std::filesystem::create_directories(test::ScratchPath(name));
  dlg.LoadMainImage(gui::MakePicture(name + "/main.bmp", mainWidth, mainWidth * 3 / 4));
  std::vector<std::string> tiles;
  for (int i = 0; i < 4; ++i)
    tiles.push_back(gui::MakePicture(name + "/tile" + std::to_string(i) + ".bmp", 12 + i, 9));
  dlg.AddDroppedFiles(tiles);
  gui::TypeInto(dlg, IDC_PRINT_WIDTH, QString::fromLatin1(printWidth));
}

// The poster's size as the window shows it: cells across and down times the cell's size.
QSize ShownPosterSize(const CPosterDlg& dlg) {
  const QStringList across = Shown(dlg, IDC_TILE_COUNT).split(QRegularExpression("[ ()x]+"),
                                                              Qt::SkipEmptyParts);
  if (across.size() != 3) return {};
  return {across[1].toInt() * Shown(dlg, IDC_TILE_WIDTH).remove(',').toInt(),
          across[2].toInt() * Shown(dlg, IDC_TILE_HEIGHT).remove(',').toInt()};
}

// Watches the progress dialog while a command runs: keeps every stage line shown, and calls
// act once when a stage line containing trigger appears.
class ProgressWatch : public QObject {
 public:
  ProgressWatch(const CPosterDlg& dlg, QString trigger, std::function<void(CProgressDlg*)> act)
      : m_dlg(dlg), m_trigger(std::move(trigger)), m_act(std::move(act)) {
    connect(&m_timer, &QTimer::timeout, this, [this] { Look(); });
    m_timer.start(0);
  }
  QStringList stages;
  bool mainWindowWasDisabled = false;

 private:
  void Look() {
    CProgressDlg* progress = m_dlg.Progress();
    if (progress == nullptr) return;
    mainWindowWasDisabled = mainWindowWasDisabled || !m_dlg.isEnabled();
    const QString stage = progress->StageLine();
    if (stages.isEmpty() || stages.last() != stage) stages << stage;
    if (m_act && stage.contains(m_trigger)) {
      m_act(progress);
      m_act = nullptr;
    }
  }
  const CPosterDlg& m_dlg;
  QString m_trigger;
  std::function<void(CProgressDlg*)> m_act;
  QTimer m_timer;
};

class BuildWindowTest : public QObject {
  Q_OBJECT
 private slots:
  void init() { gui::ClearSettings(); }

  // The whole task: main image and tiles in, Build Poster pressed, the poster out at the size
  // the window showed.
  void BuildPosterButtonBuildsThePosterTheWindowShows() {
    gui::MessageRecorder messages;
    CPosterDlg dlg;
    gui::Show(dlg);
    LoadScene(dlg, "whole", 160, "2");
    QVERIFY(!dlg.IsBuilt());
    ProgressWatch watch(dlg, QString(), nullptr);
    Click(dlg, IDC_BUILD);
    QVERIFY(dlg.IsBuilt());
    QVERIFY(dlg.Progress() == nullptr && dlg.isEnabled());
    QVERIFY(watch.mainWindowWasDisabled);
    QVERIFY(watch.stages.contains(Text(res::IDS_STAGE_LAY_TILES)));
    QCOMPARE(QSize(dlg.PosterImage().GetWidth(), dlg.PosterImage().GetHeight()),
             ShownPosterSize(dlg));
    QCOMPARE(messages.Texts().size(), 1);  // the missing printer only

    // Any input change makes the poster stale.
    Click(dlg, IDC_SIZE_LARGE);
    QVERIFY(!dlg.IsBuilt());
  }

  // The main image is enlarged as the cells are laid, the longest stage of a large poster.
  void CancelWhileLayingLeavesNoPosterAndNoMessage() {
    gui::MessageRecorder messages;
    CPosterDlg dlg;
    gui::Show(dlg);
    LoadScene(dlg, "cancel", 400, "30");
    messages.requests.clear();
    ProgressWatch watch(dlg, QStringLiteral("Laying"), [](CProgressDlg* progress) {
      Click(*progress, 2);
    });
    Click(dlg, IDC_BUILD);
    QVERIFY(!dlg.IsBuilt());
    QVERIFY(!dlg.PosterImage().IsValid());
    QVERIFY2(messages.requests.empty(), qPrintable(messages.Texts().join('|')));
    QVERIFY(watch.stages.contains(Text(res::IDS_STAGE_LAY_TILES)));
    QVERIFY(dlg.Progress() == nullptr && dlg.isEnabled());
    QCOMPARE(dlg.Tiles().GetCount(), 4);
  }

  void QuitRequestStopsTheBuildLikeCancel() {
    gui::MessageRecorder messages;
    CPosterDlg dlg;
    gui::Show(dlg);
    LoadScene(dlg, "quit", 400, "30");
    messages.requests.clear();
    // Sent, as QCoreApplication::quit() sends it, while the build lets events run at the start
    // of its laying stage: the request arrives at that point, whatever the machine's speed.
    ProgressWatch watch(dlg, QStringLiteral("Laying"), [](CProgressDlg*) {
      QEvent quit(QEvent::Quit);
      QCoreApplication::sendEvent(qApp, &quit);
    });
    Click(dlg, IDC_BUILD);
    QVERIFY(!dlg.IsBuilt());
    QVERIFY(messages.requests.empty());
    QVERIFY(dlg.isVisible());  // the request stopped the work, not the program
  }

  // A poster past the memory is offered to be built straight into a file chosen in Save
  // Poster's dialog, under the same progress and Cancel; afterwards Preview says where it went.
  void PosterPastTheMemoryIsBuiltIntoAFile() {
    gui::MessageRecorder messages;
    gui::FileDialogAnswers files;
    CPosterDlg dlg;
    gui::Show(dlg);
    LoadScene(dlg, "intofile", 400, "68");  // 10,200 x 7,650 pixels, 234 MB whole
    dlg.SetMemoryBytes(std::uint64_t{200} << 20);
    messages.requests.clear();

    messages.Queue(MessageAnswer::No);  // declined: nothing asked, nothing built
    Click(dlg, IDC_BUILD);
    QCOMPARE(messages.requests.size(), std::size_t{1});
    QVERIFY2(messages.Texts().front().contains(QStringLiteral("memory")) &&
                 messages.Texts().front().endsWith(Text(res::IDS_BUILD_INTO_FILE)),
             qPrintable(messages.Texts().front()));
    QVERIFY(files.requests.empty() && !dlg.IsBuilt());

    // Cancelled while the cells are laid: no file.
    const std::string cancelled = test::ScratchPath("intofile/cancelled.bmp");
    files.Choose(cancelled);
    ProgressWatch cancel(dlg, QStringLiteral("Laying"), [](CProgressDlg* progress) {
      Click(*progress, 2);
    });
    Click(dlg, IDC_BUILD);
    QVERIFY(cancel.stages.contains(Text(res::IDS_STAGE_LAY_TILES)));
    QVERIFY(!dlg.IsBuilt() && !std::filesystem::exists(cancelled));
    QCOMPARE(messages.requests.size(), std::size_t{2});

    const std::string poster = test::ScratchPath("intofile/poster.bmp");
    files.Choose(poster);
    ProgressWatch watch(dlg, QString(), nullptr);
    Click(dlg, IDC_BUILD);
    QCOMPARE(files.requests.back().title, Text(res::IDS_SAVE_TITLE));
    QVERIFY(dlg.IsBuilt() && !dlg.PosterImage().IsValid());
    QCOMPARE(dlg.PosterFile(), poster);
    QVERIFY(watch.mainWindowWasDisabled && watch.stages.contains(Text(res::IDS_STAGE_LAY_TILES)));
    const QSize size = ShownPosterSize(dlg);
    QVERIFY(size.width() * 3 * size.height() > 200 << 20);
    QCOMPARE(std::filesystem::file_size(poster),
             std::uintmax_t{54} + (size.width() * 3 + 3) / 4 * 4 * std::uintmax_t(size.height()));
    QCOMPARE(messages.requests.size(), std::size_t{3});
    Click(dlg, IDC_PREVIEW);
    QCOMPARE(messages.Texts().back(),
             QString::fromStdString(res::FormatString(res::IDS_POSTER_IN_FILE, {poster})));
    std::filesystem::remove(poster);
  }

  void EscapeCancelsTheProgressAndEnterDoesNot() {
    CProgressDlg progress;
    progress.SetCaptionId(res::IDS_CAPTION_BUILD);
    progress.Start(nullptr);
    QCOMPARE(progress.windowTitle(), QStringLiteral("Build Poster"));
    QVERIFY(progress.SetStage(std::string("stage")));
    QVERIFY(progress.SetDetail(std::string("detail")));
    QVERIFY(progress.SetPercent(40));
    QTest::keyClick(&progress, Qt::Key_Return);
    QTest::keyClick(&progress, Qt::Key_Enter);
    QVERIFY(!progress.CheckCancel());
    QVERIFY(progress.SetStage(std::string("next")));
    QVERIFY(progress.DetailLine().isEmpty() && progress.Percent() == 0);
    QTest::keyClick(&progress, Qt::Key_Escape);
    QVERIFY(progress.CheckCancel());
    QVERIFY(!progress.SetPercent(50));
    QVERIFY(!progress.SetDetail(std::string("still stopped")));
    // Showing again starts without the cancel.
    progress.Start(nullptr);
    QVERIFY(!progress.CheckCancel());
    progress.close();  // the close box counts as Cancel and leaves the dialog to its command
    QVERIFY(progress.CheckCancel());
  }

  void FailedBuildSaysWhyAndDropsUnreadableTiles() {
    gui::MessageRecorder messages;
    CPosterDlg dlg;
    gui::Show(dlg);
    LoadScene(dlg, "gone", 160, "2");
    for (int i = 0; i < 4; ++i)
      std::filesystem::remove(test::ScratchPath("gone/tile" + std::to_string(i) + ".bmp"));
    messages.requests.clear();
    Click(dlg, IDC_BUILD);
    QVERIFY(!dlg.IsBuilt());
    QVERIFY(messages.requests.empty());  // nothing readable is left: no message
    QCOMPARE(dlg.Tiles().GetCount(), 0);
    QVERIFY(!gui::Enabled(dlg, IDC_BUILD));

    dlg.AddDroppedFiles({gui::MakePicture("gone/small.bmp", 8, 8)});
    gui::TypeInto(dlg, IDC_PRINT_WIDTH, QStringLiteral("0.01"));
    Click(dlg, IDC_BUILD);
    QCOMPARE(messages.Texts(), QStringList{Text(res::IDS_POSTER_TOO_SMALL)});
  }
};

const gui::Register<BuildWindowTest> registered("BuildWindowTest");

}  // namespace

#include "BuildWindowTest.moc"
