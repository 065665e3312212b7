#ifndef TARVO_BASE_PREFETCH_H_
#define TARVO_BASE_PREFETCH_H_

#include <cstddef>

/// Asks the processor to bring the memory at `address` into its cache while the caller
/// goes on: for state that a row will look at shortly and that earlier rows have not
/// touched lately. It changes nothing else; a compiler without the hint does nothing.
inline void Prefetch(const void* address) {
#if defined(__GNUC__)
  __builtin_prefetch(address);
#else
  (void)address;
#endif
}

/// Prefetch for each cache line of the `size` bytes at `address`, none for nullptr.
inline void Prefetch(const void* address, size_t size) {
  if (address == nullptr)
    return;
  const char* bytes = static_cast<const char*>(address);
  for (size_t at = 0; at < size; at += 64)
    Prefetch(bytes + at);
}

#endif  // TARVO_BASE_PREFETCH_H_
