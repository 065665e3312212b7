#ifndef TARVO_PLATFORM_REGISTRY_EXPORT_H_
#define TARVO_PLATFORM_REGISTRY_EXPORT_H_

#include <cstdint>
#include <string>

/// What a registry export file says about one key.
struct ExportedKey {
  bool present = false;          // the file has a section for the key
  bool hasDefaultValue = false;  // ... and that section gives its default value ("@=")
  uint32_t type = 0;
  std::string data;              // the value's bytes as RegQueryValueExA gives them
};

/// Looks up the key `keyPath` (such as "HKEY_CLASSES_ROOT\\ebsfile") in the text of a
/// registry export file, "REGEDIT4" or "Windows Registry Editor Version 5.00", 8-bit
/// or UTF-16. Key names compare without regard to case and "HKCR" stands for
/// HKEY_CLASSES_ROOT; a later default value replaces an earlier one. Malformed lines
/// are skipped. False when the text is not a registry export file.
bool ReadExportedKey(const std::string& fileText, const std::string& keyPath,
                     ExportedKey* key);

#endif  // TARVO_PLATFORM_REGISTRY_EXPORT_H_
