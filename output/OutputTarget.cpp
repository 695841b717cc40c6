#include "output/OutputTarget.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "formats/AtomicFile.h"
#include "formats/InputFile.h"
#include "image/PathUtils.h"
#include "resources/StringTable.h"

namespace {

std::string NotAFile(const std::string& output, int error) {
  return res::FormatString(res::IDS_OUTPUT_NOT_FILE, {output, DescribeFileError(error)});
}

bool SameFile(const struct stat& a, const std::string& path) {
  struct stat other {};
  return stat(path.c_str(), &other) == 0 && other.st_dev == a.st_dev && other.st_ino == a.st_ino;
}

}  // namespace

std::optional<std::string> CheckPosterTarget(const std::string& output,
                                             const std::vector<std::string>& inputs) {
  const std::optional<std::string> target = FollowSymbolicLinks(output);
  if (!target) return NotAFile(output, ELOOP);
  struct stat info {};
  if (stat(target->c_str(), &info) == 0) {
    if (S_ISDIR(info.st_mode)) return NotAFile(output, EISDIR);
    if (!S_ISREG(info.st_mode)) return NotAFile(output, kNotARegularFile);
    for (const std::string& input : inputs)
      if (SameFile(info, input))
        return res::FormatString(res::IDS_OUTPUT_IS_INPUT, {output, input});
  } else if (errno != ENOENT) {
    return NotAFile(output, errno);
  }
  std::string folder = *target;
  StripFileName(folder);
  if (access(folder.empty() ? "." : folder.c_str(), W_OK | X_OK) != 0)
    return res::FormatString(res::IDS_WRITE_ERROR_CAUSE, {output, DescribeFileError(errno)});
  return std::nullopt;
}
