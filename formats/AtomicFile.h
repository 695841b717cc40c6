// A file that appears under its name only when it is complete.
//
// The data goes to a new temporary file beside the target; Commit renames it over the target.
// Destroying the object without a successful Commit removes the temporary file, so a cancel or a
// write error never leaves a partial file and never touches an existing target.
#pragma once

#include <cstdio>
#include <string>

class CAtomicFile {
 public:
  explicit CAtomicFile(std::string target) : m_target(std::move(target)) {}
  ~CAtomicFile();
  CAtomicFile(const CAtomicFile&) = delete;
  CAtomicFile& operator=(const CAtomicFile&) = delete;

  // Creates the temporary file; nullptr when it cannot be created.
  [[nodiscard]] std::FILE* Open();
  // Flushes and closes the temporary file and renames it over the target; false when any of
  // that fails (the temporary file is then removed).
  [[nodiscard]] bool Commit();

 private:
  void Discard();

  std::string m_target;
  std::string m_tempName;
  std::FILE* m_file = nullptr;
};
