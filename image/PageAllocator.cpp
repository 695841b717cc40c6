#include "image/PageAllocator.h"

#include <sys/mman.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <utility>
#include <unordered_map>

namespace page_allocator {
namespace {

constexpr std::size_t kPageBytes = 4096;
// Freed blocks kept for reuse, at most this many and this many bytes in all. A build loads,
// turns, cuts and scales one tile after another: each step makes a block of about the size the
// previous step freed, and taking it back costs a clearing pass instead of faulting in and
// zeroing every page anew (about a third of the time of a build of many tiles).
constexpr std::size_t kCachedBlocks = 8;
constexpr std::size_t kCacheBudgetBytes = std::size_t{48} << 20;
// A kept block serves requests down to a third of its size: tile photographs of one to three
// megapixels then share blocks, and the spare part lives only while one tile is read.
constexpr std::size_t kMaxWasteFactor = 3;

std::size_t RoundUp(std::size_t bytes, std::size_t unit) { return (bytes + unit - 1) / unit * unit; }

// Maps a zero-filled block. Huge pages were measured and left out: on this kind of machine they
// come from memory never touched before, and clearing them made a 12000 × 9000 poster slower,
// not faster, than 4 KB pages.
void* MapBlock(std::size_t capacity) {
  void* block = mmap(nullptr, capacity, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  return block == MAP_FAILED ? nullptr : block;
}

struct Block {
  void* address = nullptr;
  std::size_t capacity = 0;
  std::uint64_t keptAt = 0;  // when it was freed, for giving back the oldest first
};

// Blocks handed out, with their mapped sizes, and freed blocks kept for reuse.
class BlockPool {
 public:
  void* Allocate(std::size_t bytes) {
    const std::size_t capacity = RoundUp(bytes, kPageBytes);
    std::lock_guard lock(m_mutex);
    Block block = TakeCached(capacity);
    if (block.address != nullptr) {
      std::memset(block.address, 0, bytes);
    } else {
      block = {MapBlock(capacity), capacity};
      if (block.address == nullptr) return nullptr;
    }
    try {
      m_live.emplace(block.address, block.capacity);
    } catch (...) {  // without its record the block could never be given back
      munmap(block.address, block.capacity);
      throw;
    }
    return block.address;
  }

  void Free(void* address) {
    std::lock_guard lock(m_mutex);
    const auto live = m_live.find(address);
    if (live == m_live.end()) return;
    const Block block{live->first, live->second, ++m_clock};
    m_live.erase(live);
    Keep(block);
  }

 private:
  // The smallest kept block that fits capacity and is not too large for it.
  Block TakeCached(std::size_t capacity) {
    Block* best = nullptr;
    for (Block& b : m_cache)
      if (b.address != nullptr && b.capacity >= capacity &&
          b.capacity <= capacity * kMaxWasteFactor && (!best || b.capacity < best->capacity))
        best = &b;
    if (best == nullptr) return {};
    const Block taken = std::exchange(*best, Block{});
    m_cachedBytes -= taken.capacity;
    return taken;
  }

  // Keeps a freed block, giving the oldest kept ones back while the budget is exceeded: the
  // recent blocks have the sizes the next requests are likely to ask for.
  void Keep(Block block) {
    if (block.capacity > kCacheBudgetBytes) {
      munmap(block.address, block.capacity);
      return;
    }
    auto slot = std::find_if(m_cache.begin(), m_cache.end(),
                             [](const Block& b) { return b.address == nullptr; });
    while (slot == m_cache.end() || m_cachedBytes + block.capacity > kCacheBudgetBytes) {
      auto oldest = std::min_element(m_cache.begin(), m_cache.end(), [](const Block& a, const Block& b) {
        return (a.address != nullptr ? a.keptAt : UINT64_MAX) < (b.address != nullptr ? b.keptAt : UINT64_MAX);
      });
      munmap(oldest->address, oldest->capacity);
      m_cachedBytes -= oldest->capacity;
      *oldest = Block{};
      slot = oldest;
    }
    *slot = block;
    m_cachedBytes += block.capacity;
  }

  std::mutex m_mutex;
  std::unordered_map<void*, std::size_t> m_live;  // address → mapped size
  std::array<Block, kCachedBlocks> m_cache{};
  std::size_t m_cachedBytes = 0;
  std::uint64_t m_clock = 0;
};

BlockPool& Pool() {
  static BlockPool pool;
  return pool;
}

}  // namespace

void* Allocate(std::size_t bytes) noexcept {
  if (bytes == 0) return nullptr;
  try {
    return Pool().Allocate(bytes);
  } catch (...) {  // the bookkeeping itself could not grow
    return nullptr;
  }
}

void Free(void* block) noexcept {
  if (block != nullptr) Pool().Free(block);
}

}  // namespace page_allocator
