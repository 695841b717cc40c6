// How much memory this process may still take, and what sets that limit.
#pragma once

#include <cstdint>
#include <string>

enum class MemoryLimit {
  kMachine,       // physical memory and swap
  kAddressSpace,  // the process's address-space limit (RLIMIT_AS, "ulimit -v")
  kDataSize,      // the process's data-size limit (RLIMIT_DATA, "ulimit -d")
  kControlGroup,  // the memory.max of the process's control group or one above it
};

struct MemoryBudget {
  std::uint64_t bytes = UINT64_MAX;
  MemoryLimit limit = MemoryLimit::kMachine;
};

// The least of: physical memory and swap; the address-space and data-size limits less what the
// process holds already; each memory.max of the control group and its parents less what that
// group uses. A figure that cannot be read counts as no limit.
[[nodiscard]] MemoryBudget ProcessMemoryBudget();

// "its address-space limit, ulimit -v"; empty for the machine.
[[nodiscard]] std::string DescribeMemoryLimit(MemoryLimit limit);
