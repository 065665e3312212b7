#include "platform/registry.h"

#include <windows.h>

namespace {

class Win32RegistryKey : public RegistryKey {
 public:
  explicit Win32RegistryKey(HKEY key) : key_(key) {}
  ~Win32RegistryKey() override { RegCloseKey(key_); }
  Win32RegistryKey(const Win32RegistryKey&) = delete;
  Win32RegistryKey& operator=(const Win32RegistryKey&) = delete;

  long QueryValue(const char* valueName, uint32_t* type, unsigned char* data,
                  uint32_t* size) override {
    DWORD valueType = 0;
    DWORD count = *size;
    LONG result = RegQueryValueExA(key_, valueName, nullptr, &valueType, data, &count);
    *type = valueType;
    *size = count;
    return result;
  }

 private:
  HKEY key_;
};

class Win32Registry : public Registry {
 public:
  long OpenClassesRootKey(const std::string& subKey, std::unique_ptr<RegistryKey>* key) override {
    HKEY handle = nullptr;
    LONG result = RegOpenKeyExA(HKEY_CLASSES_ROOT, subKey.c_str(), 0, KEY_READ, &handle);
    if (result != ERROR_SUCCESS)
      return result;
    key->reset(new Win32RegistryKey(handle));
    return kRegistrySuccess;
  }
};

}  // namespace

Registry& SystemRegistry() {
  static Win32Registry registry;
  return registry;
}
