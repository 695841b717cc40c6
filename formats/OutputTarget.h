// The one door to every file the program writes.
//
// CheckOutputTarget decides, before any long work starts, whether a name may take a new file.
// Only the check can make a COutputTarget, and every writer (CAtomicFile and everything built on
// it) takes one instead of a name, so a writer cannot forget the check.
#pragma once

#include <optional>
#include <string>
#include <vector>

class COutputTarget;
struct TargetCheck;

// Refused, each with a message in the user's terms: a folder, a device, a pipe or a socket
// (directly or through any symbolic links); a name that is one of inputs however it is spelled
// (the same device and inode: "..", symbolic and hard links); a folder that is missing or takes
// no new files. A symbolic link to a file that does not exist yet is fine: the file is written
// where it points.
[[nodiscard]] TargetCheck CheckOutputTarget(const std::string& path,
                                            const std::vector<std::string>& inputs);

// A name that passed the check.
class COutputTarget {
 public:
  // The name as the user gave it.
  [[nodiscard]] const std::string& Path() const { return m_path; }

 private:
  explicit COutputTarget(std::string path) : m_path(std::move(path)) {}
  friend TargetCheck CheckOutputTarget(const std::string& path,
                                       const std::vector<std::string>& inputs);

  std::string m_path;
};

enum class TargetRefusal {
  kNone,
  kNotAFile,  // a folder, a device, a pipe, a socket, or links that go on and on
  kIsInput,   // one of the inputs
  kFolder,    // the folder is missing or takes no new file
};

struct TargetCheck {
  std::optional<COutputTarget> target;  // set when the name may take the file
  TargetRefusal why = TargetRefusal::kNone;
  std::string refusal;  // otherwise why not, a whole sentence
};
