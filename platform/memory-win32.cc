#include "platform/memory.h"

#include <cstdlib>
#include <new>

void LargeBlockDeleter::operator()(char* block) const {
  std::free(block);
}

LargeBlock AllocateLargeBlock(size_t size) {
  void* block = std::malloc(size == 0 ? 1 : size);
  if (block == nullptr)
    throw std::bad_alloc();
  return LargeBlock(static_cast<char*>(block));
}
