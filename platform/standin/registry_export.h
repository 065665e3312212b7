#ifndef TARVO_PLATFORM_STANDIN_REGISTRY_EXPORT_H_
#define TARVO_PLATFORM_STANDIN_REGISTRY_EXPORT_H_

#include <cstdint>
#include <string>

/// What a registry export file says about one key.
struct ExportedKey {
  bool present = false;          // the file has a section for the key
  bool hasDefaultValue = false;  // ... and that section gives its default value ("@=")
  uint32_t type = 0;
  std::string data;  // the value's bytes as RegQueryValueExA gives them
};

/// Looks up the key `keyPath` (such as "HKEY_CLASSES_ROOT\\ebsfile") in the text of a
/// "REGEDIT4" registry export file. Its default value may be a string
/// (@="..." with \\ and \" as escapes), an expandable string (@=hex(2):25,50,25,00) or a
/// number (@=dword:00000001); a later one replaces an earlier one and other lines are
/// skipped. False when the text is not such a file.
bool ReadExportedKey(const std::string& fileText, const std::string& keyPath, ExportedKey* key);

#endif  // TARVO_PLATFORM_STANDIN_REGISTRY_EXPORT_H_
