#include "formats/PosterRowSink.h"

#include <cerrno>

bool CPosterRowSink::Fail(SaveResult failure) {
  if (m_failure == SaveResult::kSaved) {
    m_failure = failure;
    m_error = errno;
  }
  return false;
}

SaveResult CPosterRowSink::RecalledFailure() const {
  errno = m_error;
  return m_failure;
}
