#ifndef TARVO_PLATFORM_MEMORY_H_
#define TARVO_PLATFORM_MEMORY_H_

#include <cstddef>

// How the heap gets its memory: one implementation per platform (memory-posix.cc,
// memory-win32.cc).

/// Readies the heap for work that makes a few megabytes of small pieces, as a report does.
/// Where the system can, their memory comes in large pages: a first touch of each small
/// page costs more there than the work done in it. Only a hint: it changes no result.
void ExpectLargeHeap(size_t bytes);

#endif  // TARVO_PLATFORM_MEMORY_H_
