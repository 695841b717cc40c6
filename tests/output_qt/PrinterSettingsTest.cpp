#include <QPageLayout>
#include <QPrinter>
#include <QTest>
#include <optional>

#include "QtTestRegistry.h"
#include "output/PrinterSettings.h"

namespace {

const PrinterIdentity kOffice{"Office", "Laser 5"};
const PrinterIdentity kHome{"Home", "Inkjet 2"};

}  // namespace

class PrinterSettingsTest : public QObject {
  Q_OBJECT

 private:
  std::optional<PrinterIdentity> m_default;  // what the system reports as its default printer

  DefaultPrinterSource Source() {
    return [this] { return m_default; };
  }

 private slots:
  void WithoutAnyPrinterNothingIsAvailable() {
    m_default.reset();
    CPrinterSettings settings(nullptr, Source());
    QVERIFY(!settings.IsPrinterAvailable());
    QVERIFY(settings.CreatePrinterDC() == nullptr);
    PrinterMetrics metrics;
    metrics.dpiX = 123;
    settings.GetPrinterMetrics(metrics);
    QCOMPARE(metrics.dpiX, 123);  // untouched
    // A printer that appears later is taken, but availability stays as it was at the start.
    m_default = kOffice;
    settings.SyncWithDefault(FALSE);
    QCOMPARE(settings.GetPrinterName(), kOffice.name);
    QVERIFY(!settings.IsPrinterAvailable());
  }

  void TheDefaultIsFollowedUntilTheUserChoosesAnother() {
    m_default = kOffice;
    CPrinterSettings settings(nullptr, Source());
    QVERIFY(settings.IsPrinterAvailable());
    QCOMPARE(settings.GetPrinterName(), kOffice.name);

    m_default = kHome;
    settings.SyncWithDefault(FALSE);
    QCOMPARE(settings.GetPrinterName(), kHome.name);

    // Chosen explicitly, not the default: kept whatever the default becomes.
    settings.ChoosePrinter(kOffice);
    m_default = PrinterIdentity{"Garage", "Dot matrix"};
    settings.SyncWithDefault(FALSE);
    QCOMPARE(settings.GetPrinterName(), kOffice.name);
    m_default.reset();
    settings.SyncWithDefault(FALSE);
    QCOMPARE(settings.GetPrinterName(), kOffice.name);
    settings.SyncWithDefault(TRUE);  // forced: back to the system's (now none)
    QCOMPARE(settings.GetPrinterName(), QString());

    // Choosing the default printer itself keeps following the default; when it disappears
    // the printer is dropped.
    m_default = kHome;
    settings.SyncWithDefault(FALSE);
    settings.ChoosePrinter(kHome);
    m_default.reset();
    settings.SyncWithDefault(FALSE);
    QCOMPARE(settings.GetPrinterName(), QString());
  }

  void SameDefaultWithAnotherDriverIsAnotherPrinter() {
    m_default = kOffice;
    CPrinterSettings settings(nullptr, Source());
    m_default = PrinterIdentity{kOffice.name, "Laser 6"};
    settings.SyncWithDefault(FALSE);
    QCOMPARE(settings.GetPrinterName(), kOffice.name);
  }

  void MetricsAreThousandthsOfTheAreaInsideTheMargins() {
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setResolution(300);
    printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                      QMarginsF(10, 20, 10, 20), QPageLayout::Millimeter));
    const PrinterMetrics metrics = MetricsOfPrinter(printer);
    QCOMPARE(metrics.dpiX, 300);
    QCOMPARE(metrics.dpiY, 300);
    const QRect area = printer.pageLayout().paintRectPixels(300);
    QCOMPARE(metrics.printableWidth, area.width() * 1000 / 300);
    QCOMPARE(metrics.printableHeight, area.height() * 1000 / 300);
    // 190 × 257 mm inside 210 mm wide paper, give or take the layout's rounding to points.
    QVERIFY(std::abs(metrics.printableWidth - 7480) <= 15);
    QVERIFY(std::abs(metrics.printableHeight - 10118) <= 15);
    QVERIFY(std::abs(metrics.paperWidth - 8267) <= 15);
  }
};

REGISTER_QTEST(PrinterSettingsTest);

#include "PrinterSettingsTest.moc"
