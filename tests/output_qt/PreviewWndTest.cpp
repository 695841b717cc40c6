#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QTest>
#include <QWidget>

#include "QtTestRegistry.h"
#include "image/DibImage.h"
#include "output/NavigatorWnd.h"
#include "output/PreviewWnd.h"
#include "resources/StringTable.h"

namespace {

// A poster whose pixels differ along both axes, so a shifted or flipped view shows.
void MakePoster(CDibImage& poster, int width, int height) {
  QVERIFY(poster.Create(width, height, TRUE));
  for (int y = 0; y < height; ++y) {
    std::uint8_t* p = poster.GetPixelAddress(0, y);
    for (int x = 0; x < width; ++x, p += 3) {
      p[0] = static_cast<std::uint8_t>(x * 7);
      p[1] = static_cast<std::uint8_t>(y * 5);
      p[2] = static_cast<std::uint8_t>((x + y) / 4);
    }
  }
}

QRgb PosterRgb(const CDibImage& poster, int x, int y) {
  const std::uint8_t* p = poster.GetPixelAddress(x, y);
  return qRgb(p[2], p[1], p[0]);
}

// What the preview shows, in device pixels.
QImage Shown(QWidget& window) {
  return window.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

void PressKey(QWidget& window, Qt::Key key, Qt::KeyboardModifiers modifiers,
              bool autoRepeat = false) {
  QKeyEvent press(QEvent::KeyPress, key, modifiers, QString(), autoRepeat);
  QCoreApplication::sendEvent(&window, &press);
}

// With MOZAIKON_SCREENSHOT_DIR set, what the preview shows is kept there as name.png, the
// navigator drawn where it floats.
void KeepScreenshot(CPreviewWnd& preview, const char* name) {
  const QString dir = qEnvironmentVariable("MOZAIKON_SCREENSHOT_DIR");
  if (dir.isEmpty()) return;
  QPixmap shot = preview.grab();
  if (CNavigatorWnd* navigator = preview.GetNavigator(); navigator && navigator->isVisible()) {
    QPainter painter(&shot);
    painter.drawPixmap(preview.mapFromGlobal(navigator->pos()), navigator->grab());
  }
  QVERIFY(shot.save(dir + "/" + name + ".png"));
}

QString Caption(unsigned id) { return QString::fromUtf8(res::LoadString(id)); }

}  // namespace

class PreviewWndTest : public QObject {
  Q_OBJECT

 private:
  QSize m_client;   // the screen's work area, where the preview opens, in device pixels
  int m_ratio = 1;  // device pixels per logical pixel of the screen

  // A point of the navigator's thumbnail (even coordinates) as a mouse position.
  QPoint Mouse(int x, int y) const { return {x / m_ratio, y / m_ratio}; }

 private slots:
  void initTestCase() {
    QScreen* screen = QGuiApplication::primaryScreen();
    m_ratio = static_cast<int>(screen->devicePixelRatio());
    m_client = screen->availableGeometry().size() * m_ratio;
  }

  void LargePosterOpensFittedAndZoomsWithTheKeypadPlusOnly() {
    QWidget mainWindow;
    mainWindow.show();
    CDibImage poster;
    MakePoster(poster, m_client.width() * 5 / 2, m_client.height() * 2);
    CPreviewWnd preview(&mainWindow);
    QVERIFY(preview.ShowPreview(&poster));
    QVERIFY(!mainWindow.isEnabled());
    QCOMPARE(preview.windowTitle(), Caption(res::IDS_PREVIEW_ZOOM));
    QCOMPARE(preview.GetMode(), CPreviewWnd::kModeFitted);
    QVERIFY(!preview.GetNavigator()->isVisible());

    // Fitted: the whole poster across the width, centred vertically, nearest pixels.
    const QRect fitted = preview.GetDrawnRect();
    QCOMPARE(fitted.width(), m_client.width());
    QCOMPARE(fitted.top(), (m_client.height() - fitted.height()) / 2);
    QImage shown = Shown(preview);
    KeepScreenshot(preview, "preview-fitted");
    QCOMPARE(shown.pixel(3, fitted.top() - 2), qRgb(255, 255, 255));
    for (const QPoint at : {QPoint(0, 0), QPoint(fitted.width() - 1, fitted.height() - 1),
                            QPoint(17, fitted.height() - 3)})
      QCOMPARE(shown.pixel(at + fitted.topLeft()),
               PosterRgb(poster, at.x() * poster.GetWidth() / fitted.width(),
                         at.y() * poster.GetHeight() / fitted.height()));

    PressKey(preview, Qt::Key_Plus, Qt::NoModifier);  // the main keyboard's plus does nothing
    QCOMPARE(preview.GetMode(), CPreviewWnd::kModeFitted);
    PressKey(preview, Qt::Key_Plus, Qt::KeypadModifier);
    QCOMPARE(preview.GetMode(), CPreviewWnd::kModeActual);
    QVERIFY(preview.GetNavigator()->isVisible());
    PressKey(preview, Qt::Key_Plus, Qt::KeypadModifier, true);  // held down: no toggling back
    QCOMPARE(preview.GetMode(), CPreviewWnd::kModeActual);

    // Actual pixels: the poster's top-left part, one pixel per pixel, top row on top.
    shown = Shown(preview);
    QCOMPARE(preview.GetDrawnRect(), QRect(QPoint(0, 0), m_client));
    for (const QPoint at : {QPoint(0, 0), QPoint(m_client.width() - 1, m_client.height() - 1),
                            QPoint(5, m_client.height() - 9)})
      QCOMPARE(shown.pixel(at), PosterRgb(poster, at.x(), at.y()));

    PressKey(preview, Qt::Key_Escape, Qt::NoModifier);
    QVERIFY(!preview.isVisible());
    QVERIFY(mainWindow.isEnabled());
    QVERIFY(preview.GetNavigator() == nullptr);

    // The next preview opens in the mode the last one ended in.
    QVERIFY(preview.ShowPreview(&poster));
    QCOMPARE(preview.GetMode(), CPreviewWnd::kModeActual);
    QVERIFY(preview.GetNavigator()->isVisible());
    preview.close();
  }

  void NavigatorFrameIsTheViewScaledAndDropsTheViewWhereItLands() {
    QWidget mainWindow;
    CDibImage poster;
    const int width = m_client.width() * 2, height = m_client.height() * 3 / 2;
    MakePoster(poster, width, height);
    CPreviewWnd preview(&mainWindow);
    QVERIFY(preview.ShowPreview(&poster));
    preview.ToggleZoom();
    CNavigatorWnd* navigator = preview.GetNavigator();
    QCOMPARE(navigator->windowTitle(), Caption(res::IDS_CLICK_DRAG));
    const int thumbWidth = 240, thumbHeight = height * 240 / width;
    QCOMPARE(navigator->GetThumbnail()->GetWidth(), thumbWidth);
    QCOMPARE(navigator->GetThumbnail()->GetHeight(), thumbHeight);
    // A poster twice as wide as the screen: a frame half as wide as the thumbnail.
    const QRect frame = navigator->GetFrameRect();
    QCOMPARE(frame, QRect(0, 0, thumbWidth * m_client.width() / width,
                          thumbHeight * m_client.height() / height));
    QCOMPARE(frame.width(), thumbWidth / 2);

    // Dragging past the bottom-right corner stops one pixel short of it; the view moves only
    // when the frame is dropped.
    QTest::mousePress(navigator, Qt::LeftButton, {}, Mouse(4, 4));
    QTest::mouseMove(navigator, Mouse(4 + 40, 4 + 10));
    QCOMPARE(navigator->GetFrameRect().topLeft(), QPoint(40, 10));
    QTest::mouseMove(navigator, Mouse(thumbWidth + 50, thumbHeight + 50));
    const QPoint dropped(thumbWidth - frame.width() - 1, thumbHeight - frame.height() - 1);
    QCOMPARE(navigator->GetFrameRect().topLeft(), dropped);
    QCOMPARE(preview.GetScroll(), QPoint(0, 0));
    QTest::mouseRelease(navigator, Qt::LeftButton, {}, Mouse(thumbWidth + 50, thumbHeight + 50));
    const QPoint scroll(dropped.x() * m_client.width() / frame.width(),
                        dropped.y() * m_client.height() / frame.height());
    QCOMPARE(preview.GetScroll(), QPoint(std::min(scroll.x(), width - m_client.width()),
                                         std::min(scroll.y(), height - m_client.height())));
    const QPoint at = preview.GetScroll();
    QCOMPARE(Shown(preview).pixel(7, 9), PosterRgb(poster, at.x() + 7, at.y() + 9));
    KeepScreenshot(preview, "preview-actual");

    // Losing the mouse during a drag drops the frame where it is.
    QTest::mousePress(navigator, Qt::LeftButton, {}, Mouse(dropped.x() + 2, dropped.y() + 2));
    QTest::mouseMove(navigator, Mouse(dropped.x() + 2 - 20, dropped.y() + 2 - 10));
    QEvent deactivate(QEvent::WindowDeactivate);
    QCoreApplication::sendEvent(navigator, &deactivate);
    const QPoint moved(dropped.x() - 20, dropped.y() - 10);
    QCOMPARE(navigator->GetFrameRect().topLeft(), moved);
    QCOMPARE(preview.GetScroll(), QPoint(moved.x() * m_client.width() / frame.width(),
                                         moved.y() * m_client.height() / frame.height()));
    QTest::mouseMove(navigator, Mouse(4, 4));  // no longer dragging
    QCOMPARE(navigator->GetFrameRect().topLeft(), moved);
    QTest::mouseRelease(navigator, Qt::LeftButton, {}, Mouse(4, 4));

    // A press outside the frame starts no drag.
    QTest::mousePress(navigator, Qt::LeftButton, {}, Mouse(2, 2));
    QTest::mouseMove(navigator, Mouse(30, 30));
    QCOMPARE(navigator->GetFrameRect().topLeft(), moved);
    QTest::mouseRelease(navigator, Qt::LeftButton, {}, Mouse(30, 30));

    preview.SetScroll(-5, height * 9);
    QCOMPARE(preview.GetScroll(), QPoint(0, height - m_client.height()));
    preview.close();
  }

  void TallPosterGivesANarrowThumbnail() {
    CDibImage poster;
    MakePoster(poster, m_client.width() / 2, m_client.height() * 4);
    CPreviewWnd preview(nullptr);
    QVERIFY(preview.ShowPreview(&poster));
    preview.ToggleZoom();
    QCOMPARE(preview.GetNavigator()->GetThumbnail()->GetHeight(), 240);
    QCOMPARE(preview.GetNavigator()->GetThumbnail()->GetWidth(),
             poster.GetWidth() * 240 / poster.GetHeight());
    // Narrower than the screen: centred across, scrolled only downwards.
    QCOMPARE(preview.GetDrawnRect().left(), (m_client.width() - poster.GetWidth()) / 2);
    preview.SetScroll(50, 70);
    QCOMPARE(preview.GetScroll(), QPoint(0, 70));
    preview.close();
  }

  void SmallPosterOpensCentredAtActualPixelsWithoutZoom() {
    QWidget mainWindow;
    CDibImage poster;
    MakePoster(poster, 101, 51);
    CPreviewWnd preview(&mainWindow);
    QVERIFY(preview.ShowPreview(&poster));
    QCOMPARE(preview.windowTitle(), Caption(res::IDS_PREVIEW));
    QCOMPARE(preview.GetMode(), CPreviewWnd::kModeActual);
    QVERIFY(!preview.IsZoomAvailable());
    const QRect drawn((m_client.width() - 101) / 2, (m_client.height() - 51) / 2, 101, 51);
    QCOMPARE(preview.GetDrawnRect(), drawn);
    PressKey(preview, Qt::Key_Plus, Qt::KeypadModifier);
    QCOMPARE(preview.GetMode(), CPreviewWnd::kModeActual);
    const QImage shown = Shown(preview);
    QCOMPARE(shown.pixel(drawn.topLeft()), PosterRgb(poster, 0, 0));
    QCOMPARE(shown.pixel(drawn.bottomRight()), PosterRgb(poster, 100, 50));
    QCOMPARE(shown.pixel(drawn.left() - 1, drawn.top()), qRgb(255, 255, 255));
    preview.close();
    QVERIFY(mainWindow.isEnabled());
  }

  void MinimisingTakesTheMainWindowAlong() {
    QWidget mainWindow;
    mainWindow.show();
    CDibImage poster;
    MakePoster(poster, 64, 64);
    CPreviewWnd preview(&mainWindow);
    QVERIFY(preview.ShowPreview(&poster));
    preview.showMinimized();
    QVERIFY(mainWindow.isMinimized());
    QVERIFY(mainWindow.isEnabled());
    preview.showNormal();
    QVERIFY(!mainWindow.isMinimized());
    QVERIFY(!mainWindow.isEnabled());
    preview.close();
    QVERIFY(mainWindow.isEnabled());
  }
};

REGISTER_QTEST(PreviewWndTest);

#include "PreviewWndTest.moc"
