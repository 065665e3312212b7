#include "platform/memory.h"

#include <cstdint>
#include <cstdlib>

#if defined(__GLIBC__)
#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>
#endif

// The heap is grown by `bytes` at once, and the kernel is asked to back that span with huge
// pages: a report's few thousand small pages each took a fault of their own before.
void ExpectLargeHeap(size_t bytes) {
#if defined(__GLIBC__) && defined(MADV_HUGEPAGE)
  constexpr uintptr_t kHugePage = uintptr_t{2} << 20;
  // Pieces of up to an eighth of it come from the grown heap, not from mappings of their
  // own, and a free leaves the heap grown.
  mallopt(M_MMAP_THRESHOLD, static_cast<int>(bytes / 8));
  mallopt(M_TRIM_THRESHOLD, static_cast<int>(bytes * 2));
  mallopt(M_TOP_PAD, static_cast<int>(bytes));
  auto* start = static_cast<char*>(sbrk(0));
  void* volatile grown = std::malloc(64 << 10);  // volatile: the pair must not be elided
  std::free(grown);
  auto* end = static_cast<char*>(sbrk(0));
  if (reinterpret_cast<intptr_t>(start) == -1 || end == start)
    return;  // no heap to grow, or it grew elsewhere
  uintptr_t past = reinterpret_cast<uintptr_t>(start) % kHugePage;
  char* begin = start + (past == 0 ? 0 : kHugePage - past);
  if (end > begin)
    madvise(begin, static_cast<size_t>(end - begin), MADV_HUGEPAGE);  // a hint only
#else
  static_cast<void>(bytes);
#endif
}
