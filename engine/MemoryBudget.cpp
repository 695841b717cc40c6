#include "engine/MemoryBudget.h"

#include <sys/resource.h>
#include <sys/sysinfo.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <thread>

namespace {

void Lower(MemoryBudget& budget, std::uint64_t bytes, MemoryLimit limit) {
  if (bytes < budget.bytes) budget = {bytes, limit};
}

std::uint64_t Remaining(std::uint64_t limit, std::uint64_t used) {
  return limit > used ? limit - used : 0;
}

// Field index (0-based) of /proc/self/statm, in bytes: 0 the address space, 5 data and stack.
std::uint64_t StatmBytes(int index) {
  std::ifstream statm("/proc/self/statm");
  std::uint64_t pages = 0;
  for (int i = 0; i <= index && statm >> pages; ++i) {
  }
  return statm ? pages * static_cast<std::uint64_t>(sysconf(_SC_PAGESIZE)) : 0;
}

// Address space the build's threads take beyond the memory the build counts: each thread's stack
// and the heap arena the C library may open for it (64 MB of address space apiece). The threads
// are the laying threads, one per core, the tile reader and the file writer.
std::uint64_t ThreadAddressSpace() {
  constexpr std::uint64_t kPerThread = std::uint64_t{64 + 8} << 20;
  return kPerThread * (std::max(1u, std::thread::hardware_concurrency()) + 2);
}

void LowerByRlimit(MemoryBudget& budget, int resource, int statmIndex, MemoryLimit limit,
                   std::uint64_t reserved) {
  rlimit value {};
  if (getrlimit(resource, &value) != 0 || value.rlim_cur == RLIM_INFINITY) return;
  Lower(budget, Remaining(value.rlim_cur, StatmBytes(statmIndex) + reserved), limit);
}

// A number from a control-group file; nothing for "max" or an unreadable file.
bool ReadCgroupNumber(const std::string& path, std::uint64_t& number) {
  std::ifstream file(path);
  return static_cast<bool>(file >> number);
}

// The process's control group under /sys/fs/cgroup (the unified hierarchy), empty if none.
std::string ControlGroupPath() {
  std::ifstream cgroup("/proc/self/cgroup");
  std::string line;
  while (std::getline(cgroup, line))
    if (line.rfind("0::", 0) == 0) return line.substr(3);
  return {};
}

void LowerByControlGroups(MemoryBudget& budget) {
  // Each group up to the root limits the process; memory.max of "/sys/fs/cgroup/" is the root's.
  for (std::string group = ControlGroupPath(); !group.empty();) {
    const std::string folder = "/sys/fs/cgroup" + group;
    std::uint64_t max = 0, current = 0;
    if (ReadCgroupNumber(folder + "/memory.max", max)) {
      if (!ReadCgroupNumber(folder + "/memory.current", current)) current = 0;
      Lower(budget, Remaining(max, current), MemoryLimit::kControlGroup);
    }
    if (group == "/") return;
    const std::size_t slash = group.rfind('/');
    group.resize(slash == 0 ? 1 : slash);
  }
}

}  // namespace

MemoryBudget ProcessMemoryBudget() {
  MemoryBudget budget;
  struct sysinfo info {};
  if (sysinfo(&info) == 0)
    Lower(budget, (static_cast<std::uint64_t>(info.totalram) + info.totalswap) * info.mem_unit,
          MemoryLimit::kMachine);
  LowerByRlimit(budget, RLIMIT_AS, 0, MemoryLimit::kAddressSpace, ThreadAddressSpace());
  LowerByRlimit(budget, RLIMIT_DATA, 5, MemoryLimit::kDataSize, 0);
  LowerByControlGroups(budget);
  return budget;
}

std::string DescribeMemoryLimit(MemoryLimit limit) {
  switch (limit) {
    case MemoryLimit::kMachine: break;
    case MemoryLimit::kAddressSpace: return "its address-space limit, ulimit -v";
    case MemoryLimit::kDataSize: return "its data-size limit, ulimit -d";
    case MemoryLimit::kControlGroup: return "the memory.max of its control group";
  }
  return {};
}
