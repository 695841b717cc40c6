#include "formats/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

#include "formats/InputFile.h"

namespace {

constexpr int kMaxLinks = 40;  // as the system's own limit on links followed in one path

std::string FolderOf(const std::string& path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// Keeps errno across clean-up calls, so the caller sees the error that stopped the work.
class ErrnoKeeper {
 public:
  ErrnoKeeper() : m_saved(errno) {}
  ~ErrnoKeeper() { errno = m_saved; }

 private:
  int m_saved;
};

// A new named file "target.partial-XXXXXX" with the permissions of any new file.
int CreateNamedTemp(const std::string& target, std::string& name) {
  std::string pattern = target + ".partial-XXXXXX";
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  const int fd = mkostemp(buffer.data(), O_CLOEXEC);
  if (fd < 0) return -1;
  // mkostemp makes the file private; a poster gets the permissions of any new file.
  const mode_t mask = umask(0);
  umask(mask);
  fchmod(fd, 0666 & ~mask);
  name = buffer.data();
  return fd;
}

}  // namespace

std::optional<std::string> FollowSymbolicLinks(const std::string& path) {
  std::string current = path;
  for (int i = 0; i < kMaxLinks; ++i) {
    struct stat info {};
    if (lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return current;
    std::vector<char> target(static_cast<std::size_t>(info.st_size > 0 ? info.st_size : 4096) + 1);
    const ssize_t length = readlink(current.c_str(), target.data(), target.size());
    if (length <= 0 || static_cast<std::size_t>(length) >= target.size()) return current;
    const std::string next(target.data(), static_cast<std::size_t>(length));
    current = next.front() == '/' ? next : FolderOf(current) + "/" + next;
  }
  errno = ELOOP;
  return std::nullopt;
}

CAtomicFile::~CAtomicFile() { Discard(); }

std::FILE* CAtomicFile::Open() {
  Discard();
  const std::optional<std::string> finalName = FollowSymbolicLinks(m_target);
  if (!finalName) return nullptr;
  m_finalName = *finalName;
  // The check ran before the long work; the name may have changed since.
  struct stat info {};
  if (stat(m_finalName.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
    errno = S_ISDIR(info.st_mode) ? EISDIR : kNotARegularFile;
    return nullptr;
  }
  // An unnamed file in the target's folder: the system removes it with the last descriptor.
  int fd = open(FolderOf(m_finalName).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
  if (fd < 0) fd = CreateNamedTemp(m_finalName, m_tempName);
  if (fd < 0) return nullptr;
  m_file = fdopen(fd, "wb");
  if (m_file == nullptr) {
    ErrnoKeeper keep;
    close(fd);
    Discard();
  }
  return m_file;
}

// Links the unnamed file in under a fresh temporary name beside the target.
bool CAtomicFile::GiveName() {
  if (!m_tempName.empty()) return true;
  const std::string self = "/proc/self/fd/" + std::to_string(fileno(m_file));
  for (unsigned attempt = 0; attempt < 100; ++attempt) {
    const std::string name =
        m_finalName + ".partial-" + std::to_string(getpid()) + "-" + std::to_string(attempt);
    if (linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
      m_tempName = name;
      return true;
    }
    if (errno != EEXIST) return false;
  }
  return false;
}

bool CAtomicFile::Commit() {
  if (m_file == nullptr) return false;
  const bool written = std::fflush(m_file) == 0 && !std::ferror(m_file);
  if (!written || !GiveName()) {
    Discard();
    return false;
  }
  const bool closed = std::fclose(m_file) == 0;
  m_file = nullptr;
  if (!closed || std::rename(m_tempName.c_str(), m_finalName.c_str()) != 0) {
    Discard();
    return false;
  }
  m_tempName.clear();
  return true;
}

void CAtomicFile::Discard() {
  ErrnoKeeper keep;
  if (m_file != nullptr) std::fclose(m_file);
  m_file = nullptr;
  if (!m_tempName.empty()) std::remove(m_tempName.c_str());
  m_tempName.clear();
}
