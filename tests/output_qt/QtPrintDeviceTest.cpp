#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include "QtTestRegistry.h"
#include "RecordingPrintDevice.h"
#include "image/Progress.h"
#include "output/PrintEngine.h"
#include "output/QtPrintDevice.h"

namespace {

class CSilentProgress : public CProgress {
 protected:
  void ShowStage(const std::string&) override {}
  void ShowDetail(const std::string&) override {}
  void ShowPercent(int) override {}
};

QString RunTool(const QString& tool, const QStringList& args) {
  QProcess process;
  process.start(tool, args);
  process.waitForFinished();
  return QString::fromUtf8(process.readAllStandardOutput());
}

}  // namespace

class QtPrintDeviceTest : public QObject {
  Q_OBJECT

 private slots:
  void PosterPrintsOnePageEachWithItsBandsKeptExact() {
    if (QStandardPaths::findExecutable("pdfimages").isEmpty())
      QSKIP("pdfimages (poppler-utils) is not installed");
    QTemporaryDir dir;
    const QString pdf = dir.filePath("job.pdf");
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    printer.setResolution(100);
    printer.setPageLayout(QPageLayout(QPageSize(QPageSize::Letter), QPageLayout::Portrait,
                                      QMarginsF(0.25, 0.25, 0.25, 0.25), QPageLayout::Inch));
    CQtPrintDevice device(printer);
    const PrintDeviceMetrics metrics = device.GetMetrics();
    QCOMPARE(metrics.pageWidthPx, 800);
    QCOMPARE(metrics.dpiX, 100);

    CDibImage poster;
    FillWithCoordinates(poster, 600, 300);  // 12 × 6 inches at two printer pixels per pixel
    PrintJob job;
    job.mainImagePath = "/x/poster.jpg";
    job.dpiX = job.dpiY = 100;
    job.pages = {2, 1};
    double scale = 2.0;
    CSilentProgress progress;
    QCOMPARE(PrintPoster(poster, job, scale, device, progress), PrintOutcome::kPrinted);

    const QString info = RunTool("pdfinfo", {pdf});
    QVERIFY2(info.contains(QRegularExpression("Pages:\\s+2")), qPrintable(info));
    QVERIFY2(info.contains("poster.jpg (all pages)"), qPrintable(info));
    // Every band is stored as plain pixels, none compressed with loss.
    const QString images = RunTool("pdfimages", {"-list", pdf});
    QVERIFY2(!images.contains("jpeg"), qPrintable(images));
    QVERIFY(images.count(" image ") > 20);
  }
};

REGISTER_QTEST(QtPrintDeviceTest);

#include "QtPrintDeviceTest.moc"
