#include "output/PosterSpool.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>

namespace {

// An open file with no name in folder: O_TMPFILE where the file system has it, otherwise a
// named file removed at once. -1 (errno telling why) when neither can be made.
int OpenNamelessFile(const std::string& folder) {
  const int file = open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
  if (file >= 0 || (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)) return file;
  std::string name = folder + "/.mozaikon-spool-XXXXXX";
  const int named = mkostemp(name.data(), O_CLOEXEC);
  if (named >= 0) unlink(name.c_str());
  return named;
}

bool WriteAll(int file, const std::uint8_t* data, std::size_t size, std::int64_t offset) {
  while (size > 0) {
    const ssize_t written = pwrite(file, data, size, offset);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    data += written;
    size -= static_cast<std::size_t>(written);
    offset += written;
  }
  return true;
}

bool ReadAll(int file, std::uint8_t* data, std::size_t size, std::int64_t offset) {
  while (size > 0) {
    const ssize_t got = pread(file, data, size, offset);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;  // the file is shorter than its rows: a read failed
    data += got;
    size -= static_cast<std::size_t>(got);
    offset += got;
  }
  return true;
}

}  // namespace

std::unique_ptr<CPosterSpool> CPosterSpool::Create(const std::string& folder) {
  const std::string where = folder.empty() ? "." : folder;
  const int file = OpenNamelessFile(where);
  if (file < 0) return nullptr;
  return std::unique_ptr<CPosterSpool>(new CPosterSpool(file, where));
}

CPosterSpool::~CPosterSpool() { close(m_file); }

std::int64_t CPosterSpool::Offset(int x, int y) const {
  return (static_cast<std::int64_t>(y) * m_width + x) * 3;
}

bool CPosterSpool::Begin(int width, int height, double /*pixelsPerInch*/) {
  m_width = width;
  m_height = height;
  m_rowsWritten = 0;
  return true;
}

bool CPosterSpool::Write(const CDibImage& rows, int first, int count) {
  if (Failure() != SaveResult::kSaved) return false;
  const std::size_t rowBytes = static_cast<std::size_t>(m_width) * 3;
  for (int i = 0; i < count; ++i, ++m_rowsWritten)
    if (!WriteAll(m_file, rows.GetPixelAddress(0, first + i), rowBytes, Offset(0, m_rowsWritten)))
      return Fail(SaveResult::kWriteError);
  return true;
}

SaveResult CPosterSpool::Finish(CProgress* /*progress*/) { return RecalledFailure(); }

SourcePixels CPosterSpool::Pixels(int x, int y, int width, int height) {
  if (m_rectangle.GetWidth() < width || m_rectangle.GetHeight() < height) {
    const int keptWidth = std::max(width, m_rectangle.GetWidth());
    const int keptHeight = std::max(height, m_rectangle.GetHeight());
    if (!m_rectangle.Create(keptWidth, keptHeight, TRUE)) {
      m_readFailed = true;
      return {};
    }
  }
  const std::size_t rowBytes = static_cast<std::size_t>(width) * 3;
  for (int i = 0; i < height; ++i)
    if (!ReadAll(m_file, m_rectangle.GetPixelAddress(0, i), rowBytes, Offset(x, y + i)))
      m_readFailed = true;
  return {&m_rectangle, 0, 0};
}

std::string ScratchFolder() {
  const char* folder = std::getenv("TMPDIR");
  return folder != nullptr && *folder != '\0' ? folder : "/var/tmp";
}
