// The body shared by the reader fuzzers: the input becomes a file that is probed and loaded
// through the first-byte dispatch, as the program reads every image.
#pragma once

#include <cstddef>
#include <cstdint>

void FuzzImageFile(const std::uint8_t* data, std::size_t size);
