#include "image/PathUtils.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

namespace {

bool IsSeparator(char c) {
#ifdef _WIN32
  return c == '/' || c == '\\' || c == ':';
#else
  return c == '/';
#endif
}

// Index just past the directory part of path: its last separator, or 0.
std::size_t FileNameStart(const std::string& path) {
  for (std::size_t i = path.size(); i > 0; --i)
    if (IsSeparator(path[i - 1])) return i;
  return 0;
}

constexpr char kSeparator = '/';

}  // namespace

void StripFileName(std::string& path) { path.erase(FileNameStart(path)); }

void StripDirectory(std::string& path) { path.erase(0, FileNameStart(path)); }

void ReplaceDirectory(std::string& path, const std::string& directory) {
  StripDirectory(path);
  std::string result = directory;
  if (!result.empty() && !IsSeparator(result.back())) result += kSeparator;
  path = result + path;
}

int GetProgramDirectory(std::string& directory) {
  std::vector<char> buffer(4096);
  const ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
  directory.assign(buffer.data(), length > 0 ? static_cast<std::size_t>(length) : 0);
  StripFileName(directory);
  const int fullLength = static_cast<int>(directory.size());
  if (!directory.empty() && IsSeparator(directory.back())) directory.pop_back();
  return fullLength;
}

BOOL FileExists(const std::string& path) {
  struct stat info {};
  return !path.empty() && stat(path.c_str(), &info) == 0;
}

void GetTempDirectory(std::string& directory) {
  const char* tmp = std::getenv("TMPDIR");
  directory = (tmp != nullptr && *tmp != '\0') ? tmp : "/tmp";
  if (!IsSeparator(directory.back())) directory += kSeparator;
}
