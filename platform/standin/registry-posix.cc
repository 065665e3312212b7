#include "platform/registry.h"

#include <cstdlib>
#include <cstring>

// There is no registry here. The environment variable TARVO_EBS_OPEN_COMMAND stands in
// for the one value Tarvo reads, the open command of .ebs files: unset, the key is
// missing; set, even to nothing, it is the key's default value as a string.

namespace {

class OpenCommandKey : public RegistryKey {
 public:
  explicit OpenCommandKey(const char* command) : value_(command, std::strlen(command) + 1) {}

  long QueryValue(const char* valueName, uint32_t* type, unsigned char* data,
                  uint32_t* size) override {
    if (valueName != nullptr && *valueName != '\0')
      return kRegistryNotFound;
    *type = kRegistryString;
    uint32_t capacity = *size;
    *size = static_cast<uint32_t>(value_.size());
    if (data == nullptr)
      return kRegistrySuccess;
    if (value_.size() > capacity)
      return kRegistryMoreData;
    std::memcpy(data, value_.data(), value_.size());
    return kRegistrySuccess;
  }

 private:
  std::string value_;  // with its terminator, as the registry stores a string
};

class EnvironmentRegistry : public Registry {
 public:
  long OpenClassesRootKey(const std::string& /*subKey*/,
                          std::unique_ptr<RegistryKey>* key) override {
    const char* command = std::getenv("TARVO_EBS_OPEN_COMMAND");
    if (command == nullptr)
      return kRegistryNotFound;
    key->reset(new OpenCommandKey(command));
    return kRegistrySuccess;
  }
};

}  // namespace

Registry& SystemRegistry() {
  static EnvironmentRegistry registry;
  return registry;
}
