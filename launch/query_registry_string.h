#ifndef TARVO_LAUNCH_QUERY_REGISTRY_STRING_H_
#define TARVO_LAUNCH_QUERY_REGISTRY_STRING_H_

#include <cstdint>

#include "platform/registry.h"

/// Reads the string value `valueName` (nullptr: the default value) of an open key into
/// `buffer`. `*size` is its capacity on entry and, on success, the bytes stored with the
/// terminator (0 for an empty value); it is 0 after a failure. Returns 0, the registry's
/// own error (value missing, longer than the buffer), or kRegistryInvalidData for a
/// value that is not a string or lacks its terminator. REG_EXPAND_SZ is not expanded.
long QueryRegistryString(RegistryKey& key, const char* valueName, char* buffer, uint32_t* size);

#endif  // TARVO_LAUNCH_QUERY_REGISTRY_STRING_H_
