// Why an image file is refused, for the messages that name the cause.
#pragma once

#include <string>

// Why Probe refuses fileName, in the user's words: the system's reason it cannot be opened ("no
// such file", "is a folder", ...), a file too short, a format that is not read (named where it is
// recognised), or damage the reader found.
[[nodiscard]] std::string DescribeRefusal(const std::string& fileName);
