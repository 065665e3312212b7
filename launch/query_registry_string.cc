#include "launch/query_registry_string.h"

long QueryRegistryString(RegistryKey& key, const char* valueName, char* buffer, uint32_t* size) {
  uint32_t count = *size;
  const uint32_t capacity = count;
  *size = 0;
  uint32_t type = 0;
  long result = key.QueryValue(valueName, &type, reinterpret_cast<unsigned char*>(buffer), &count);
  if (result != kRegistrySuccess)
    return result;
  if (type != kRegistryString && type != kRegistryExpandString)
    return kRegistryInvalidData;
  if (count > capacity)
    return kRegistryMoreData;
  if (count == 0) {
    if (capacity > 0)
      buffer[0] = '\0';
  } else if (buffer[count - 1] != '\0') {
    return kRegistryInvalidData;
  }
  *size = count;
  return kRegistrySuccess;
}
