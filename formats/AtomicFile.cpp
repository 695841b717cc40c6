#include "formats/AtomicFile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

CAtomicFile::~CAtomicFile() { Discard(); }

std::FILE* CAtomicFile::Open() {
  Discard();
  std::string pattern = m_target + ".partial-XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  const int fd = mkstemp(name.data());
  if (fd < 0) return nullptr;
  // mkstemp makes the file private; a poster gets the permissions of any new file.
  const mode_t mask = umask(0);
  umask(mask);
  fchmod(fd, 0666 & ~mask);
  m_tempName = name.data();
  m_file = fdopen(fd, "wb");
  if (m_file == nullptr) {
    close(fd);
    Discard();
  }
  return m_file;
}

bool CAtomicFile::Commit() {
  if (m_file == nullptr) return false;
  const bool written = std::fflush(m_file) == 0 && !std::ferror(m_file);
  const bool closed = std::fclose(m_file) == 0;
  m_file = nullptr;
  if (!written || !closed || std::rename(m_tempName.c_str(), m_target.c_str()) != 0) {
    Discard();
    return false;
  }
  m_tempName.clear();
  return true;
}

void CAtomicFile::Discard() {
  if (m_file != nullptr) std::fclose(m_file);
  m_file = nullptr;
  if (!m_tempName.empty()) std::remove(m_tempName.c_str());
  m_tempName.clear();
}
