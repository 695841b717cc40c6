// Every window of the program, at the scale factor and on the screen CTest gives: no text runs
// past its control, no control touches another or leaves its group, every window fits the screen.
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTest>

#include "GuiHarness.h"
#include "TestRegistry.h"
#include "app/AboutDlg.h"
#include "app/OptionsDlg.h"
#include "app/PosterDlg.h"
#include "app/PrintPageDlg.h"
#include "app/ProgressDlg.h"

namespace {

QString Describe(const QWidget* w) {
  QString text = w->property("text").toString() + w->property("title").toString();
  return QStringLiteral("%1 \"%2\" at %3,%4 %5x%6")
      .arg(w->window()->windowTitle(), text.left(40))
      .arg(w->x()).arg(w->y()).arg(w->width()).arg(w->height());
}

// The pixels the control's text needs across; for wrapped labels, 0 when the lines fit.
int TextWidthNeeded(const QWidget* w) {
  if (auto* label = qobject_cast<const QLabel*>(w); label && label->wordWrap())
    return label->heightForWidth(w->width()) > w->height() ? INT_MAX : 0;
  if (auto* push = qobject_cast<const QPushButton*>(w))
    return push->fontMetrics().horizontalAdvance(push->text().remove('&')) +
           push->style()->pixelMetric(QStyle::PM_ButtonMargin);
  if (qobject_cast<const QGroupBox*>(w)) return w->minimumSizeHint().width();
  const bool showsText = qobject_cast<const QLabel*>(w) || qobject_cast<const QAbstractButton*>(w);
  return showsText && !w->property("text").toString().isEmpty() ? w->sizeHint().width() : 0;
}

bool IsContainer(const QWidget* w) {
  auto* frame = qobject_cast<const QFrame*>(w);
  return qobject_cast<const QGroupBox*>(w) || (frame && frame->frameShape() == QFrame::Box);
}

// A control overlapping a container lies below its title line and inside its frame.
bool InsideOf(const QWidget* container, const QWidget* w) {
  QRect inside = container->geometry();
  if (qobject_cast<const QGroupBox*>(container))
    inside.setTop(inside.top() + container->fontMetrics().height());
  return inside.contains(w->geometry());
}

void CheckLayout(QWidget& window) {
  window.show();
  QVERIFY(QTest::qWaitForWindowExposed(&window));
  const QSize screen = window.screen()->availableGeometry().size();
  QVERIFY2(window.width() <= screen.width() && window.height() <= screen.height(),
           qPrintable(Describe(&window)));
  // Windows of their own (the preview, the progress dialog) belong to the window but are no
  // controls of it.
  QList<QWidget*> controls = window.findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
  controls.removeIf([](const QWidget* w) { return w->isWindow(); });
  for (const QWidget* control : controls) {
    QVERIFY2(window.rect().contains(control->geometry()), qPrintable(Describe(control)));
    QVERIFY2(TextWidthNeeded(control) <= control->width(),
             qPrintable(Describe(control) + " cuts its text"));
    for (const QWidget* other : controls) {
      if (other == control || IsContainer(control) ||
          !control->geometry().intersects(other->geometry()))
        continue;
      QVERIFY2(IsContainer(other) && InsideOf(other, control),
               qPrintable(Describe(control) + " touches " + Describe(other)));
    }
  }
}

class WindowLayoutTest : public QObject {
  Q_OBJECT
 private slots:
  void EveryWindowShowsEveryTextWholeAndFitsTheScreen() {
    gui::MessageRecorder messages;  // the main window's word that no printer was found
    CPosterDlg main;
    COptionsDlg options;
    CPrintPageDlg range;
    CAboutDlg about;
    CProgressDlg progress;
    for (QWidget* window : std::initializer_list<QWidget*>{&main, &options, &range, &about,
                                                           &progress}) {
      CheckLayout(*window);
      if (QTest::currentTestFailed()) return;
    }
  }
};

gui::Register<WindowLayoutTest> registered("WindowLayoutTest");

}  // namespace

#include "WindowLayoutTest.moc"
