#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "RunningCheck.h"

namespace {

TEST(RunningCheckTest, LockFileIsNamedAfterTheMutexInTheRuntimeFolder) {
  QTemporaryDir runtime;
  ASSERT_TRUE(runtime.isValid());
  qputenv("XDG_RUNTIME_DIR", runtime.path().toUtf8());
  EXPECT_EQ(PosterLockFile(), runtime.path() + "/Quillet Poster 1.0 Mutex");
}

TEST(RunningCheckTest, RunningWhileAnotherProcessHoldsTheSharedLock) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString lock = dir.filePath("Quillet Poster 1.0 Mutex");
  EXPECT_FALSE(IsPosterProgramRunning(lock));  // no lock file: nothing runs

  QFile idle(lock);
  ASSERT_TRUE(idle.open(QIODevice::WriteOnly));
  idle.close();
  EXPECT_FALSE(IsPosterProgramRunning(lock));  // left behind by an instance that ended

  // An instance holds the lock shared for its life: here a process that reports when it holds it.
  QProcess holder;
  holder.start("sh", {"-c", "exec 9<\"$1\" && flock -s 9 && echo held && exec sleep 30", "sh", lock});
  ASSERT_TRUE(holder.waitForReadyRead(10000));
  EXPECT_TRUE(IsPosterProgramRunning(lock));
  EXPECT_TRUE(IsPosterProgramRunning(lock));  // the check itself leaves no lock behind
  holder.kill();
  holder.waitForFinished();
  EXPECT_FALSE(IsPosterProgramRunning(lock));
}

}  // namespace
