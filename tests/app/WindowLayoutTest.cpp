// Every window of the program, at the scale factor and screen the test runs with: no text runs
// past its control, no control touches another or sticks out of its group, and every window
// fits the screen.
#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTest>
#include <functional>
#include <memory>

#include "GuiHarness.h"
#include "TestRegistry.h"
#include "app/AboutDlg.h"
#include "app/OptionsDlg.h"
#include "app/PosterDlg.h"
#include "app/PrintPageDlg.h"
#include "app/ProgressDlg.h"

namespace {

QString Describe(const QWidget* control) {
  QString text;
  if (auto* label = qobject_cast<const QLabel*>(control)) text = label->text();
  if (auto* button = qobject_cast<const QAbstractButton*>(control)) text = button->text();
  if (auto* group = qobject_cast<const QGroupBox*>(control)) text = group->title();
  return QStringLiteral("%1 \"%2\" %3,%4 %5x%6")
      .arg(control->objectName(), text.left(40))
      .arg(control->x())
      .arg(control->y())
      .arg(control->width())
      .arg(control->height());
}

// The text a control shows is whole: one line within its width, wrapped lines within its height.
QString TextOverrun(const QWidget* control) {
  int needed = 0;
  if (auto* label = qobject_cast<const QLabel*>(control)) {
    if (label->text().isEmpty()) return {};
    if (label->wordWrap()) {
      if (label->heightForWidth(label->width()) > label->height()) return QStringLiteral("lines");
      return {};
    }
    needed = label->sizeHint().width();
  } else if (auto* push = qobject_cast<const QPushButton*>(control)) {
    const int margin = push->style()->pixelMetric(QStyle::PM_ButtonMargin);
    needed = push->fontMetrics().horizontalAdvance(QString(push->text()).remove('&')) + margin;
  } else if (auto* button = qobject_cast<const QAbstractButton*>(control)) {
    needed = button->sizeHint().width();
  } else if (auto* group = qobject_cast<const QGroupBox*>(control)) {
    needed = group->minimumSizeHint().width();
  }
  return needed > control->width() ? QStringLiteral("needs %1 px").arg(needed) : QString();
}

bool IsContainer(const QWidget* control) {
  auto* frame = qobject_cast<const QFrame*>(control);
  return qobject_cast<const QGroupBox*>(control) ||
         (frame && frame->frameShape() == QFrame::Box && !qobject_cast<const QLabel*>(control));
}

// The part of a group box its controls may use: below the title line, inside the frame.
QRect Inside(const QWidget* container) {
  QRect inside = container->geometry();
  if (qobject_cast<const QGroupBox*>(container))
    inside.setTop(inside.top() + container->fontMetrics().height());
  return inside;
}

void CheckLayout(QWidget& window) {
  window.show();
  QVERIFY(QTest::qWaitForWindowExposed(&window));
  const QString name = window.windowTitle();
  const QRect screen = window.screen()->availableGeometry();
  QVERIFY2(window.width() <= screen.width() && window.height() <= screen.height(),
           qPrintable(QStringLiteral("%1: %2x%3 on %4x%5")
                          .arg(name)
                          .arg(window.width())
                          .arg(window.height())
                          .arg(screen.width())
                          .arg(screen.height())));
  QList<QWidget*> controls;
  for (QWidget* child : window.findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
    if (child->isVisibleTo(&window)) controls << child;
  for (QWidget* control : controls) {
    const QString where = name + QStringLiteral(": ") + Describe(control);
    QVERIFY2(window.rect().contains(control->geometry()), qPrintable(where + " leaves the window"));
    const QString overrun = TextOverrun(control);
    QVERIFY2(overrun.isEmpty(), qPrintable(where + " cuts its text, " + overrun));
    if (IsContainer(control)) continue;
    for (QWidget* other : controls) {
      if (other == control || !control->geometry().intersects(other->geometry())) continue;
      QVERIFY2(IsContainer(other) && Inside(other).contains(control->geometry()),
               qPrintable(where + " touches " + Describe(other)));
    }
  }
  window.hide();
}

class WindowLayoutTest : public QObject {
  Q_OBJECT
 private slots:
  void init() { gui::ClearSettings(); }

  void EveryWindowShowsEveryTextWholeAndFitsTheScreen() {
    gui::MessageRecorder messages;  // the main window's word that no printer was found
    const std::vector<std::function<std::unique_ptr<QWidget>()>> windows = {
        [] { return std::make_unique<CPosterDlg>(); },
        [] { return std::make_unique<COptionsDlg>(); },
        [] { return std::make_unique<CPrintPageDlg>(); },
        [] { return std::make_unique<CAboutDlg>(); },
        [] { return std::make_unique<CProgressDlg>(); },
    };
    for (const auto& make : windows) {
      const std::unique_ptr<QWidget> window = make();
      CheckLayout(*window);
      if (QTest::currentTestFailed()) return;
    }
  }
};

gui::Register<WindowLayoutTest> registered("WindowLayoutTest");

}  // namespace

#include "WindowLayoutTest.moc"
