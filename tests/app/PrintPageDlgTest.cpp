#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include "TestRegistry.h"
#include "app/PrintPageDlg.h"

namespace {

template <typename T>
T* Control(CPrintPageDlg& dialog, int id) {
  T* control = dialog.findChild<T*>(QString::number(id));
  if (control == nullptr) qFatal("no control %d", id);
  return control;
}

QPushButton* OkButton(CPrintPageDlg& dialog) {
  return Control<QPushButton>(dialog, CPrintPageDlg::IDOK);
}

// Presses OK; a message box that this opens is read and closed. Its text, or empty.
QString PressOk(CPrintPageDlg& dialog) {
  QString message;
  QTimer::singleShot(0, [&message] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      message = box->text();
      box->accept();
    }
  });
  QTest::mouseClick(OkButton(dialog), Qt::LeftButton);
  return message;
}

void TypePage(CPrintPageDlg& dialog, const QString& text) {
  QLineEdit* edit = Control<QLineEdit>(dialog, CPrintPageDlg::kIdPageEdit);
  edit->selectAll();
  edit->del();
  QTest::keyClicks(edit, text);
}

}  // namespace

class PrintPageDlgTest : public QObject {
  Q_OBJECT

 private slots:
  void OnePageOutOfRangeIsRefusedUntilTheUserGivesOneInRange() {
    CPrintPageDlg dialog;
    dialog.SetRange(TRUE, 1, 6);  // a poster of 3 × 2 pages
    dialog.show();
    QVERIFY(Control<QRadioButton>(dialog, CPrintPageDlg::kIdAllPages)->isChecked());
    QCOMPARE(Control<QLineEdit>(dialog, CPrintPageDlg::kIdPageEdit)->text(), QString("1"));

    TypePage(dialog, "-7x");  // the edit takes digits only
    QCOMPARE(Control<QLineEdit>(dialog, CPrintPageDlg::kIdPageEdit)->text(), QString("7"));
    QVERIFY(Control<QRadioButton>(dialog, CPrintPageDlg::kIdOnlyPage)->isChecked());  // typed
    QCOMPARE(PressOk(dialog), QString("Please select a page number between 1 and 6."));
    QVERIFY(dialog.isVisible());
    QCOMPARE(dialog.focusWidget(), Control<QLineEdit>(dialog, CPrintPageDlg::kIdPageEdit));

    TypePage(dialog, "");
    QCOMPARE(PressOk(dialog), QString("Please select a page number between 1 and 6."));
    TypePage(dialog, "6");
    QCOMPARE(PressOk(dialog), QString());
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    BOOL all = TRUE;
    int page = 0;
    dialog.GetRange(all, page);
    QCOMPARE(all, FALSE);
    QCOMPARE(page, 6);
  }

  void AllPagesWithAnEmptyEditGivesPageOne() {
    CPrintPageDlg dialog;
    dialog.SetRange(FALSE, 4, 6);
    dialog.show();
    QVERIFY(Control<QRadioButton>(dialog, CPrintPageDlg::kIdOnlyPage)->isChecked());
    QTest::mouseClick(Control<QRadioButton>(dialog, CPrintPageDlg::kIdAllPages), Qt::LeftButton);
    TypePage(dialog, "");
    QCOMPARE(PressOk(dialog), QString());
    BOOL all = FALSE;
    int page = 0;
    dialog.GetRange(all, page);
    QCOMPARE(all, TRUE);
    QCOMPARE(page, 1);
  }

  void TheShownPageIsHeldInsideThePoster() {
    for (const auto& [given, shown] : {std::pair{0, "1"}, std::pair{9, "6"}, std::pair{3, "3"}}) {
      CPrintPageDlg dialog;
      dialog.SetRange(TRUE, given, 6);
      dialog.show();
      QCOMPARE(Control<QLineEdit>(dialog, CPrintPageDlg::kIdPageEdit)->text(), QString(shown));
    }
  }

  void CancelPrintsNothing() {
    CPrintPageDlg dialog;
    dialog.SetRange(TRUE, 1, 4);
    QTimer::singleShot(0, [&dialog] {
      QTest::mouseClick(Control<QPushButton>(dialog, CPrintPageDlg::IDCANCEL), Qt::LeftButton);
    });
    QCOMPARE(dialog.DoModal(), CPrintPageDlg::IDCANCEL);
    QTimer::singleShot(0, [&dialog] { QTest::keyClick(&dialog, Qt::Key_Escape); });
    QCOMPARE(dialog.DoModal(), CPrintPageDlg::IDCANCEL);
  }
};

namespace {
const gui::Register<PrintPageDlgTest> registered("PrintPageDlgTest");
}  // namespace

#include "PrintPageDlgTest.moc"
