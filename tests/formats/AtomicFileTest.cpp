#include "formats/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "support/TestSupport.h"

namespace {

std::size_t EntryCount(const std::string& dir) {
  std::size_t n = 0;
  for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir)) ++n;
  return n;
}

std::string Folder(const std::string& name) {
  const std::string dir = test::ScratchPath(name);
  std::filesystem::create_directory(dir);
  return dir;
}

bool Write(const COutputTarget& target, const std::string& text) {
  CAtomicFile file(target);
  std::FILE* out = file.Open();
  return out != nullptr && std::fputs(text.c_str(), out) >= 0 && file.Commit();
}

std::string Text(const std::string& path) {
  const test::Bytes bytes = test::ReadFile(path);
  return std::string(bytes.begin(), bytes.end());
}

}  // namespace

TEST(AtomicFile, TheFileBeingWrittenHasNoNameUntilItIsComplete) {
  const std::string dir = Folder("unnamed");
  const int probe = open(dir.c_str(), O_TMPFILE | O_WRONLY, 0600);
  if (probe < 0) GTEST_SKIP() << "this file system has no unnamed temporary files";
  close(probe);
  const std::string target = dir + "/poster.bmp";
  CAtomicFile file(test::Target(target));
  std::FILE* out = file.Open();
  ASSERT_NE(out, nullptr);
  std::fputs("poster", out);
  std::fflush(out);
  // A process killed now leaves no trace: the folder holds no entry for the data.
  EXPECT_EQ(EntryCount(dir), 0u);
  ASSERT_TRUE(file.Commit());
  EXPECT_EQ(Text(target), "poster");
  EXPECT_EQ(EntryCount(dir), 1u);
}

TEST(AtomicFile, ASymbolicLinkKeepsPointingAtTheNewContents) {
  const std::string dir = Folder("links");
  const std::string elsewhere = Folder("links-target");
  const std::string real = elsewhere + "/real.bmp";
  test::WriteFile(real, {'o', 'l', 'd'});
  const std::string link = dir + "/poster.bmp";
  std::filesystem::create_symlink("../links-target/real.bmp", link);
  const std::string chain = dir + "/chain.bmp";
  std::filesystem::create_symlink("poster.bmp", chain);

  ASSERT_TRUE(Write(test::Target(chain), "new"));
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_TRUE(std::filesystem::is_symlink(chain));
  EXPECT_EQ(Text(real), "new");
  EXPECT_EQ(EntryCount(elsewhere), 1u);  // written beside the target, nothing left over
  EXPECT_EQ(EntryCount(dir), 2u);

  // A link to a file not made yet creates that file.
  const std::string dangling = dir + "/later.bmp";
  std::filesystem::create_symlink("../links-target/later.bmp", dangling);
  ASSERT_TRUE(Write(test::Target(dangling), "first"));
  EXPECT_EQ(Text(elsewhere + "/later.bmp"), "first");
  EXPECT_TRUE(std::filesystem::is_symlink(dangling));
}

TEST(AtomicFile, FailuresLeaveNothingAndKeepTheSystemsReason) {
  const std::string dir = Folder("failures");
  const COutputTarget fifo = test::Target(dir + "/poster.bmp");
  errno = 0;
  EXPECT_FALSE(Write(test::VanishedTarget("poster.bmp"), "x"));
  EXPECT_EQ(errno, ENOENT);
  // A name that turned into a pipe after the check is still not written.
  ASSERT_EQ(mkfifo(fifo.Path().c_str(), 0600), 0);
  EXPECT_FALSE(Write(fifo, "x"));
  EXPECT_EQ(EntryCount(dir), 1u);  // only the pipe itself
}
