// Recognising image files of formats the dispatch does not read, so that a refusal can name them.
#pragma once

#include <cstddef>

// The format named by the signature at the start of a file ("PNG", "WebP", "HEIC", "AVIF",
// "TIFF"), or nullptr when head matches none of them. head holds the file's first size bytes;
// 12 are enough for every signature.
[[nodiscard]] const char* ForeignFormatName(const unsigned char* head, std::size_t size);
