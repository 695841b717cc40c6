// Whole, zero-filled blocks of pages for pixel data, straight from the operating system.
#pragma once

#include <cstddef>

namespace page_allocator {

// A zero-filled block of at least bytes bytes, or nullptr when the system cannot supply it.
[[nodiscard]] void* Allocate(std::size_t bytes) noexcept;
// Returns a block that Allocate gave; nullptr is ignored. The block may be kept for a later
// Allocate, which clears it again.
void Free(void* block) noexcept;

}  // namespace page_allocator
