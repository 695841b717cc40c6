// Whole, zero-filled blocks of pages for pixel data, straight from the operating system.
#pragma once

#include <cstddef>

namespace page_allocator {

// A zero-filled block of at least bytes bytes, or nullptr when the system cannot supply it.
[[nodiscard]] void* Allocate(std::size_t bytes) noexcept;
// Returns a block that Allocate gave with the same byte count; nullptr is ignored.
void Free(void* block, std::size_t bytes) noexcept;

}  // namespace page_allocator
