#include "platform/memory.h"

// Large pages need a privilege that a lab's user account does not hold.
void ExpectLargeHeap(size_t /*bytes*/) {}
