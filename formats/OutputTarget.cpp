#include "formats/OutputTarget.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "formats/AtomicFile.h"
#include "formats/InputFile.h"
#include "image/PathUtils.h"
#include "resources/StringTable.h"

namespace {

TargetCheck Refused(TargetRefusal why, std::string message) {
  return {std::nullopt, why, std::move(message)};
}

TargetCheck NotAFile(const std::string& output, int error) {
  return Refused(TargetRefusal::kNotAFile,
                 res::FormatString(res::IDS_OUTPUT_NOT_FILE, {output, DescribeFileError(error)}));
}

bool SameFile(const struct stat& a, const std::string& path) {
  struct stat other {};
  return stat(path.c_str(), &other) == 0 && other.st_dev == a.st_dev && other.st_ino == a.st_ino;
}

// Why folder takes no new file (an errno value), or 0 when it does.
int FolderRefusal(const std::string& folder) {
  struct stat info {};
  if (stat(folder.c_str(), &info) != 0) return errno;
  if (!S_ISDIR(info.st_mode)) return ENOTDIR;
  return access(folder.c_str(), W_OK | X_OK) != 0 ? errno : 0;
}

}  // namespace

TargetCheck CheckOutputTarget(const std::string& path, const std::vector<std::string>& inputs) {
  if (path.empty()) return NotAFile(path, ENOENT);
  const std::optional<std::string> target = FollowSymbolicLinks(path);
  if (!target) return NotAFile(path, ELOOP);
  struct stat info {};
  if (stat(target->c_str(), &info) == 0) {
    if (S_ISDIR(info.st_mode)) return NotAFile(path, EISDIR);
    if (!S_ISREG(info.st_mode)) return NotAFile(path, kNotARegularFile);
    for (const std::string& input : inputs)
      if (SameFile(info, input))
        return Refused(TargetRefusal::kIsInput,
                       res::FormatString(res::IDS_OUTPUT_IS_INPUT, {path, input}));
  } else if (errno != ENOENT) {
    return NotAFile(path, errno);
  }
  std::string folder = *target;
  StripFileName(folder);
  if (const int error = FolderRefusal(folder.empty() ? std::string(".") : folder))
    return Refused(TargetRefusal::kFolder,
                   res::FormatString(res::IDS_OUTPUT_FOLDER,
                                     {path, folder,
                                      error == ENOENT ? res::LoadString(res::IDS_NO_SUCH_FOLDER)
                                                      : DescribeFileError(error)}));
  return {COutputTarget(path), TargetRefusal::kNone, {}};
}
