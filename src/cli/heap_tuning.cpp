#include "cli/heap_tuning.h"

#include <cstdint>
#include <cstdlib>

#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>

namespace dashcard::cli {

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
void tuneHeapForBatchWork() {}
#else
void tuneHeapForBatchWork() {
  constexpr std::size_t kStep = std::size_t{256} << 20;
  constexpr std::uintptr_t kHugePage = std::uintptr_t{2} << 20;
  auto* const before = static_cast<char*>(::sbrk(0));
  // Helper threads would otherwise each grow a heap of their own page by page.
  ::mallopt(M_ARENA_MAX, 1);
  ::mallopt(M_MMAP_THRESHOLD, 32 << 20);
  ::mallopt(M_TOP_PAD, static_cast<int>(kStep));
  ::mallopt(M_TRIM_THRESHOLD, static_cast<int>(2 * kStep));
  // Grow the heap now by one step (address space only: pages come on use)...
  void* volatile grown = std::malloc(1 << 20);  // volatile: the pair must not be optimised away
  std::free(grown);
  auto* const after = static_cast<char*>(::sbrk(0));
  if (before == reinterpret_cast<char*>(-1) || after == reinterpret_cast<char*>(-1) || after <= before) {
    return;
  }
  // ...and ask for huge pages over it. A kernel without them refuses; fine.
  const auto start = (reinterpret_cast<std::uintptr_t>(before) + kHugePage - 1) & ~(kHugePage - 1);
  const auto end = reinterpret_cast<std::uintptr_t>(after);
  if (end > start) {
    ::madvise(reinterpret_cast<void*>(start), end - start, MADV_HUGEPAGE);
  }
}
#endif

}  // namespace dashcard::cli
