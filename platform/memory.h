#ifndef TARVO_PLATFORM_MEMORY_H_
#define TARVO_PLATFORM_MEMORY_H_

#include <cstddef>
#include <memory>

// Memory for large blocks, one implementation per platform (memory-posix.cc,
// memory-win32.cc).

struct LargeBlockDeleter {
  void operator()(char* block) const;
};
using LargeBlock = std::unique_ptr<char[], LargeBlockDeleter>;

/// A block of `size` bytes, for a whole script as read. Where the platform can, a large
/// block comes in large pages: on a virtual machine the first touch of each small page
/// can cost a trip to the host, which made reading a large script slower than all the
/// rest of a run. Throws std::bad_alloc when there is no memory.
LargeBlock AllocateLargeBlock(size_t size);

/// Hands out a container's storage as large blocks, for the per-line arrays of a large
/// script, which suffer the same first-touch cost as the script's text.
template <typename T>
struct LargeBlockAllocator {
  using value_type = T;
  LargeBlockAllocator() = default;
  template <typename U>
  LargeBlockAllocator(const LargeBlockAllocator<U>&) {}

  T* allocate(size_t count) {
    return reinterpret_cast<T*>(AllocateLargeBlock(count * sizeof(T)).release());
  }
  void deallocate(T* storage, size_t) { LargeBlockDeleter()(reinterpret_cast<char*>(storage)); }

  friend bool operator==(const LargeBlockAllocator&, const LargeBlockAllocator&) { return true; }
  friend bool operator!=(const LargeBlockAllocator&, const LargeBlockAllocator&) { return false; }
};

#endif  // TARVO_PLATFORM_MEMORY_H_
