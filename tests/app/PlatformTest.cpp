// The platform stand-ins: filters, dialog units, the running lock, the settings store and the
// message pump.
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QFont>
#include <QTest>

#include "TestRegistry.h"
#include "platform/DialogUnits.h"
#include "platform/FileDialog.h"
#include "platform/MessagePump.h"
#include "platform/Profile.h"
#include "platform/RunningLock.h"

namespace {

// TRUE when another process-wide exclusive lock on path could be taken now.
bool ExclusiveLockFree(const QString& path) {
  const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return true;
  const bool free = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
  ::close(fd);
  return free;
}

class PlatformTest : public QObject {
  Q_OBJECT
 private slots:
  void FiltersBecomeQtFilters() {
    QCOMPARE(ConvertFilter(QStringLiteral("JPEG (*.jpg)|*.jpg|Windows Bitmap (*.bmp)|*.bmp|GIF "
                                          "(*.gif)|*.gif|All Files (*.*)|*.*||")),
             QStringLiteral("JPEG (*.jpg);;Windows Bitmap (*.bmp);;GIF (*.gif);;All Files (*)"));
    // A description without its patterns gains them; several patterns make one list.
    QCOMPARE(ConvertFilter(QStringLiteral("Pictures|*.jpg;*.bmp||")),
             QStringLiteral("Pictures (*.jpg *.bmp)"));
    QCOMPARE(ConvertFilter(QStringLiteral("Text Files (*.txt)|*.txt")),
             QStringLiteral("Text Files (*.txt)"));
  }

  void DialogUnitsFollowTheFont() {
    QFont small(QStringLiteral("DejaVu Sans"));
    small.setPixelSize(11);
    QFont large = small;
    large.setPixelSize(22);
    const DialogBaseUnits s = BaseUnitsOf(small), l = BaseUnitsOf(large);
    QVERIFY(s.x > 0 && s.y > 0);
    QVERIFY(l.x >= 2 * s.x - 1 && l.y >= 2 * s.y - 1);
    // Edges are mapped, not sizes: touching rectangles stay touching at any scale.
    const QRect left = MapDialogRect(s, QRect(7, 8, 33, 13));
    const QRect right = MapDialogRect(s, QRect(40, 8, 10, 13));
    QCOMPARE(left.x() + left.width(), right.x());
    QCOMPARE(MapDialogRect({8, 16}, QRect(4, 8, 40, 14)), QRect(8, 16, 80, 28));
  }

  void RunningLockIsSharedAndGoesWithItsHolder() {
    const QString name = QStringLiteral("Quillet Poster 1.0 Mutex");
    const QString path = CRunningLock::PathFor(name);
    QVERIFY(path.startsWith(QString::fromLocal8Bit(qgetenv("XDG_RUNTIME_DIR"))));
    {
      CRunningLock first, second;
      QVERIFY(first.Acquire(name));
      QVERIFY(second.Acquire(name));  // a second instance runs beside the first
      QVERIFY(!ExclusiveLockFree(path));
      first.Release();
      QVERIFY(!ExclusiveLockFree(path));
    }
    QVERIFY(ExclusiveLockFree(path));
  }

  void ProfileReadsMissingAndForeignValuesAsDefaults() {
    {
      CProfile profile(QStringLiteral("Velkamo"), QStringLiteral("Profile Test"));
      profile.WriteProfileInt(QStringLiteral("S"), QStringLiteral("Number"), 1009);
      profile.WriteProfileString(QStringLiteral("S"), QStringLiteral("Word"), QStringLiteral("x"));
      profile.WriteProfileString(QStringLiteral("S"), QStringLiteral("Minus"),
                                 QStringLiteral("4294967291"));
    }
    CProfile profile(QStringLiteral("Velkamo"), QStringLiteral("Profile Test"));
    QCOMPARE(profile.GetProfileInt(QStringLiteral("S"), QStringLiteral("Number"), 7), 1009);
    QCOMPARE(profile.GetProfileInt(QStringLiteral("S"), QStringLiteral("Missing"), 7), 7);
    QCOMPARE(profile.GetProfileInt(QStringLiteral("S"), QStringLiteral("Word"), 7), 7);
    QCOMPARE(profile.GetProfileInt(QStringLiteral("S"), QStringLiteral("Minus"), 7), -5);
    QCOMPARE(profile.GetProfileString(QStringLiteral("S"), QStringLiteral("Gone"),
                                      QStringLiteral("*.txt")),
             QStringLiteral("*.txt"));
  }

  void PumpRunsPendingEventsAndTurnsQuitIntoStop() {
    bool ran = false;
    QMetaObject::invokeMethod(qApp, [&ran] { ran = true; }, Qt::QueuedConnection);
    QVERIFY(!PumpMessages());
    QVERIFY(ran);
    QCoreApplication::postEvent(qApp, new QEvent(QEvent::Quit));
    QVERIFY(PumpMessages());
    QVERIFY(!PumpMessages());  // consumed, not posted again
  }
};

const gui::Register<PlatformTest> registered("PlatformTest");

}  // namespace

#include "PlatformTest.moc"
