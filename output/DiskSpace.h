// Whether the output's file system has room for a poster file, checked before the build: a
// wall-sized poster takes an hour to lay and gigabytes to store, and a disk that fills up at the
// end would waste both.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "output/PosterSaver.h"

// The bytes a width × height poster's file takes at most: exact for BMP; for PNG the pixels
// stored uncompressed; for JPEG a generous share of them at that quality code.
[[nodiscard]] std::uint64_t PosterFileBytesAtMost(PosterFormat format, std::int64_t width,
                                                  std::int64_t height, unsigned jpegQualityCode);

// A one-line refusal naming the size needed and the space free when the folder of output has
// less room than the file needs; nothing when it has, or when the space cannot be told.
[[nodiscard]] std::optional<std::string> CheckDiskSpace(const std::string& output,
                                                        std::uint64_t fileBytes);
