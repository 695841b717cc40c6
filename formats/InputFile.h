// Opening a file for reading that can never block and never reads anything but a regular file.
//
// A named pipe opened the ordinary way waits for a writer forever, and a device or a socket
// gives no picture; both are refused at once, before a byte is read. Errors come back as the
// system's errno value, or kNotARegularFile; DescribeFileError turns either into the user's words.
#pragma once

#include <cstdio>
#include <string>

// The error for a path that names a pipe, a device or a socket.
constexpr int kNotARegularFile = -1;

// The open file, positioned at its first byte; nullptr with error set when path cannot be
// opened or is not a regular file (a folder gives EISDIR).
[[nodiscard]] std::FILE* OpenInputFile(const std::string& path, int& error);

// What went wrong, in a few lower-case words: "no such file", "permission denied", ...
[[nodiscard]] std::string DescribeFileError(int error);
