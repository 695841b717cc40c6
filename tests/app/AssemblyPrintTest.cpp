// Printing pages people can assemble from the window: the print dialog's choices reach the
// pages and are offered again at the next print.
#include <QCheckBox>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <filesystem>

#include "GuiHarness.h"
#include "TestRegistry.h"
#include "WindowSteps.h"
#include "app/PosterControls.h"
#include "app/PrintPageDlg.h"
#include "output/PrinterSettings.h"
#include "support/TestSupport.h"

namespace {

using gui::Click;

// The text pdftotext reads from the file, pages parted by form feeds; empty when it cannot.
QString PdfText(const std::string& path) {
  QProcess text;
  text.start(QStringLiteral("pdftotext"), {QString::fromStdString(path), QStringLiteral("-")});
  if (!text.waitForFinished(30000) || text.exitCode() != 0) return {};
  return QString::fromUtf8(text.readAllStandardOutput());
}

class AssemblyPrintTest : public QObject {
  Q_OBJECT
 private slots:
  void init() { gui::ClearSettings(); }
  void cleanup() { SetTestPrinter(QString()); }

  void ChoicesReachThePagesAndAreOfferedAgain() {
    const std::string folder = test::ScratchPath("assembly");
    std::filesystem::create_directories(folder);
    const std::string pdf = folder + "/glued.pdf";
    SetTestPrinter(QString::fromStdString(pdf));
    gui::MessageRecorder messages;
    CPosterDlg dlg;
    gui::Show(dlg);
    std::vector<std::string> tiles;
    for (int i = 0; i < 4; ++i)
      tiles.push_back(gui::MakePicture(folder + "/tile" + std::to_string(i) + ".bmp", 12 + i, 9));
    dlg.LoadMainImage(gui::MakePicture(folder + "/main.bmp", 160, 120));
    dlg.AddDroppedFiles(tiles);
    gui::TypeInto(dlg, IDC_PRINT_WIDTH, QStringLiteral("12"));

    // Two letter pages across; 10 cm of overlap with the frame leaves 3.56 inches to advance by,
    // so three pages, and the map adds one; the main window then shows the three.
    QCOMPARE(gui::Shown(dlg, IDC_PAGES), QStringLiteral("2 (2 x 1)"));
    messages.Queue(MessageAnswer::Ok);  // build first
    gui::WhenModal<CPrintPageDlg>([](CPrintPageDlg* range) {
      Control<QLineEdit>(range, CPrintPageDlg::kIdOverlapEdit)->setText(QStringLiteral("100"));
      for (int id : {CPrintPageDlg::kIdCutMarks, CPrintPageDlg::kIdLabels, CPrintPageDlg::kIdMap})
        Control<QCheckBox>(range, id)->click();
      Control<QPushButton>(range, CPrintPageDlg::IDOK)->click();
    });
    gui::ToThePrinter();
    Click(dlg, IDC_PRINT);
    const QString text = PdfText(pdf);
    QCOMPARE(text.count(QLatin1Char('\f')), 4);
    QCOMPARE(gui::Shown(dlg, IDC_PAGES), QStringLiteral("3 (3 x 1)"));
    QVERIFY2(text.contains(QStringLiteral("right: B1")) && text.contains(QStringLiteral("left: A1")),
             qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("Assembly map: 12.00 x 9.")), qPrintable(text));

    // The next print offers the same choices; cancelling prints nothing.
    std::filesystem::remove(pdf);
    QString overlap;
    bool marks = false, labels = false, map = false;
    gui::WhenModal<CPrintPageDlg>([&](CPrintPageDlg* range) {
      overlap = Control<QLineEdit>(range, CPrintPageDlg::kIdOverlapEdit)->text();
      marks = Control<QCheckBox>(range, CPrintPageDlg::kIdCutMarks)->isChecked();
      labels = Control<QCheckBox>(range, CPrintPageDlg::kIdLabels)->isChecked();
      map = Control<QCheckBox>(range, CPrintPageDlg::kIdMap)->isChecked();
      Control<QPushButton>(range, CPrintPageDlg::IDCANCEL)->click();
    });
    gui::ToThePrinter();
    Click(dlg, IDC_PRINT);
    QCOMPARE(overlap, QStringLiteral("100"));
    QVERIFY(marks && labels && map);
    QVERIFY(!std::filesystem::exists(pdf));
  }
};

const gui::Register<AssemblyPrintTest> registered("AssemblyPrintTest");

}  // namespace

#include "AssemblyPrintTest.moc"
