#include "platform/registry.h"

#include <cstdlib>
#include <cstring>

#include "platform/file_system.h"
#include "platform/standin/registry_export.h"

// There is no registry here: the environment variable TARVO_REGISTRY names a registry
// export file (.reg) that stands in for it, so the launch can be tried out and tested.

namespace {

class ExportedRegistryKey : public RegistryKey {
 public:
  explicit ExportedRegistryKey(const ExportedKey& key) : key_(key) {}

  long QueryValue(const char* valueName, uint32_t* type, unsigned char* data,
                  uint32_t* size) override {
    if ((valueName != nullptr && *valueName != '\0') || !key_.hasDefaultValue)
      return kRegistryNotFound;
    *type = key_.type;
    uint32_t capacity = *size;
    *size = static_cast<uint32_t>(key_.data.size());
    if (data == nullptr)
      return kRegistrySuccess;
    if (key_.data.size() > capacity)
      return kRegistryMoreData;
    std::memcpy(data, key_.data.data(), key_.data.size());
    return kRegistrySuccess;
  }

 private:
  ExportedKey key_;
};

// Registry exports are small; a larger file (or an endless device such as /dev/zero) is
// taken as unreadable rather than read until memory runs out.
const size_t kMaxExportFileSize = size_t{16} * 1024 * 1024;

bool ReadWholeFile(const std::string& path, std::string* content) {
  std::unique_ptr<FileReader> file = RealFileSystem().OpenForReading(path);
  if (!file)
    return false;
  char buffer[4096];
  size_t count;
  while (content->size() <= kMaxExportFileSize && (count = file->Read(buffer, sizeof buffer)) > 0)
    content->append(buffer, count);
  return !file->Failed() && content->size() <= kMaxExportFileSize;
}

class ExportFileRegistry : public Registry {
 public:
  long OpenClassesRootKey(const std::string& subKey, std::unique_ptr<RegistryKey>* key) override {
    const char* exportFile = std::getenv("TARVO_REGISTRY");
    std::string content;
    ExportedKey exported;
    if (exportFile == nullptr || *exportFile == '\0' || !ReadWholeFile(exportFile, &content) ||
        !ReadExportedKey(content, "HKEY_CLASSES_ROOT\\" + subKey, &exported) || !exported.present)
      return kRegistryNotFound;
    key->reset(new ExportedRegistryKey(exported));
    return kRegistrySuccess;
  }
};

}  // namespace

Registry& SystemRegistry() {
  static ExportFileRegistry registry;
  return registry;
}
