#include "formats/InputFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstring>

#include "resources/StringTable.h"

namespace {

// The string-table id of the words for error, or 0 where the system's own text serves.
unsigned MessageIdFor(int error) {
  switch (error) {
    case kNotARegularFile: return res::IDS_NOT_REGULAR_FILE;
    case ENOENT: return res::IDS_NO_SUCH_FILE;
    case EACCES:
    case EPERM: return res::IDS_PERMISSION_DENIED;
    case ELOOP: return res::IDS_SYMLINK_LOOP;
    case ENOTDIR: return res::IDS_NOT_A_FOLDER;
    case EISDIR: return res::IDS_IS_A_FOLDER;
    case ENOSPC: return res::IDS_NO_SPACE;
    case EDQUOT: return res::IDS_QUOTA_EXCEEDED;
    case EROFS: return res::IDS_READ_ONLY_FS;
    case EFBIG: return res::IDS_FILE_TOO_LARGE;
    case ENAMETOOLONG: return res::IDS_NAME_TOO_LONG;
    default: return 0;
  }
}

}  // namespace

std::FILE* OpenInputFile(const std::string& path, int& error) {
  // O_NONBLOCK lets a named pipe with no writer open at once instead of waiting; O_NOCTTY keeps
  // a terminal device from becoming ours.
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) {
    error = errno;
    return nullptr;
  }
  struct stat info {};
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    error = S_ISDIR(info.st_mode) ? EISDIR : kNotARegularFile;
    close(fd);
    return nullptr;
  }
  // Plain blocking reads from here on, as every reader expects.
  (void)fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  std::FILE* file = fdopen(fd, "rb");
  if (file == nullptr) {
    error = errno;
    close(fd);
  }
  return file;
}

std::string DescribeFileError(int error) {
  if (const unsigned id = MessageIdFor(error); id != 0) return res::LoadString(id);
  std::string text = std::strerror(error);
  if (!text.empty()) text[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(text[0])));
  return text;
}
