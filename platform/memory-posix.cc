#include "platform/memory.h"

#include <sys/mman.h>

#include <cstdlib>
#include <new>

namespace {

const size_t kLargePage = size_t{2} * 1024 * 1024;

}  // namespace

void LargeBlockDeleter::operator()(char* block) const {
  std::free(block);
}

LargeBlock AllocateLargeBlock(size_t size) {
  if (size < kLargePage / 2) {
    void* block = std::malloc(size == 0 ? 1 : size);
    if (block == nullptr)
      throw std::bad_alloc();
    return LargeBlock(static_cast<char*>(block));
  }
  size_t rounded = (size + kLargePage - 1) / kLargePage * kLargePage;
  void* block = std::aligned_alloc(kLargePage, rounded);
  if (block == nullptr)
    throw std::bad_alloc();
#ifdef MADV_HUGEPAGE
  // Only advice: where large pages are off, the block works all the same.
  madvise(block, rounded, MADV_HUGEPAGE);
#endif
  return LargeBlock(static_cast<char*>(block));
}
