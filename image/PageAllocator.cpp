#include "image/PageAllocator.h"

#include <sys/mman.h>

namespace page_allocator {
namespace {
// Blocks from this size on ask for huge pages: the first touch of millions of 4 KB pages
// costs far more than the work done on a poster.
constexpr std::size_t kHugePageThreshold = std::size_t{4} << 20;
}  // namespace

void* Allocate(std::size_t bytes) noexcept {
  if (bytes == 0) return nullptr;
  void* block = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (block == MAP_FAILED) return nullptr;
#ifdef MADV_HUGEPAGE
  if (bytes >= kHugePageThreshold) madvise(block, bytes, MADV_HUGEPAGE);
#endif
  return block;
}

void Free(void* block, std::size_t bytes) noexcept {
  if (block != nullptr) munmap(block, bytes);
}

}  // namespace page_allocator
