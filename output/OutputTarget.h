// Whether a file name may take the poster, checked before the long work starts.
#pragma once

#include <optional>
#include <string>
#include <vector>

// The message that refuses output, or nothing when the poster may be written there. Refused:
// a folder, a device, a pipe or a socket (through any symbolic links), a name that is one of
// inputs however it is spelled (the same device and inode: "..", symbolic and hard links), and
// a folder that does not take new files. A symbolic link to a file that does not exist yet is
// fine: the poster is written where it points.
[[nodiscard]] std::optional<std::string> CheckPosterTarget(const std::string& output,
                                                           const std::vector<std::string>& inputs);
