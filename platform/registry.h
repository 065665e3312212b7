#ifndef TARVO_PLATFORM_REGISTRY_H_
#define TARVO_PLATFORM_REGISTRY_H_

#include <cstdint>
#include <memory>
#include <string>

// Read access to the registry, one implementation per platform (registry-win32.cc,
// registry-posix.cc). Result codes and value types are the Windows ones on every
// platform, so the code that checks them is the same in both builds.

constexpr long kRegistrySuccess = 0;       // ERROR_SUCCESS
constexpr long kRegistryNotFound = 2;      // ERROR_FILE_NOT_FOUND
constexpr long kRegistryInvalidData = 13;  // ERROR_INVALID_DATA
constexpr long kRegistryMoreData = 234;    // ERROR_MORE_DATA

constexpr uint32_t kRegistryString = 1;        // REG_SZ
constexpr uint32_t kRegistryExpandString = 2;  // REG_EXPAND_SZ
constexpr uint32_t kRegistryBinary = 3;        // REG_BINARY
constexpr uint32_t kRegistryNumber = 4;        // REG_DWORD

/// An open registry key. Abstract so it can be faked in tests; the key is closed when
/// the object goes away, exactly once.
class RegistryKey {
 public:
  virtual ~RegistryKey() = default;

  /// Reads the value `valueName` (nullptr: the key's default value) the way
  /// RegQueryValueExA does: on entry `*size` is the capacity of `data`; afterwards
  /// `*type` is the value's type and `*size` the number of bytes stored, terminator
  /// included as stored, or needed when the result is kRegistryMoreData. Strings
  /// come in the 8-bit code page and are never expanded.
  virtual long QueryValue(const char* valueName, uint32_t* type, unsigned char* data,
                          uint32_t* size) = 0;
};

/// HKEY_CLASSES_ROOT, for reading. Abstract so the launch can be tested with a fake;
/// SystemRegistry() is the machine's own.
class Registry {
 public:
  virtual ~Registry() = default;

  /// Opens the subkey `subKey` of HKEY_CLASSES_ROOT for reading. Returns
  /// kRegistrySuccess and sets `*key`, or the error code with `*key` left empty.
  virtual long OpenClassesRootKey(const std::string& subKey, std::unique_ptr<RegistryKey>* key) = 0;
};

Registry& SystemRegistry();

#endif  // TARVO_PLATFORM_REGISTRY_H_
