// A file that appears under its name only when it is complete.
//
// The data goes to a temporary file in the target's folder; Commit puts it in the target's place
// in one rename. Where the file system allows, the temporary file has no name at all until
// Commit, so even a process killed outright leaves nothing behind; elsewhere it is a named file
// beside the target. Destroying the object without a successful Commit removes the temporary
// file, so a cancel or a write error never leaves a partial file and never touches an existing
// target. A target that is a symbolic link is replaced through the link: the file it points to
// gets the new contents and the link stays. The target is a checked one: nothing writes a name
// that CheckOutputTarget has not passed.
#pragma once

#include <cstdio>
#include <optional>
#include <string>

#include "formats/OutputTarget.h"

class CAtomicFile {
 public:
  explicit CAtomicFile(const COutputTarget& target) : m_target(target.Path()) {}
  ~CAtomicFile();
  CAtomicFile(const CAtomicFile&) = delete;
  CAtomicFile& operator=(const CAtomicFile&) = delete;

  // Creates the temporary file; nullptr when it cannot be created or the target has become
  // something other than a regular file since the check (errno tells why).
  [[nodiscard]] std::FILE* Open();
  // Flushes and closes the temporary file and puts it in the target's place; false when any of
  // that fails (the temporary file is then removed, and errno tells why).
  [[nodiscard]] bool Commit();

 private:
  [[nodiscard]] bool GiveName();
  void Discard();

  std::string m_target;
  std::string m_finalName;  // the target with its symbolic links followed
  std::string m_tempName;   // empty while the temporary file has no name
  std::FILE* m_file = nullptr;
};

// path with every symbolic link along its last component followed, as far as the links lead
// (a link to a file that does not exist yet gives that file's path); path itself when it is no
// link. Nothing, with errno ELOOP, when the links go on past 40.
[[nodiscard]] std::optional<std::string> FollowSymbolicLinks(const std::string& path);
