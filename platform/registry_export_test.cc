#include "platform/registry_export.h"

#include <gtest/gtest.h>

#include "platform/registry.h"

namespace {

const char kKey[] = "HKEY_CLASSES_ROOT\\ebsfile\\shell\\open\\command";
const char kV4[] = "REGEDIT4\r\n\r\n";
const char kV5[] = "Windows Registry Editor Version 5.00\n\n";

struct Lookup {
  bool isExport;
  bool present;
  bool hasValue;
  uint32_t type;
  std::string data;
};

Lookup Read(const std::string& text) {
  ExportedKey key;
  bool isExport = ReadExportedKey(text, kKey, &key);
  return {isExport, key.present, key.hasDefaultValue, key.type, key.data};
}

std::string Utf16(const std::string& text) {
  std::string bytes = "\xFF\xFE";
  for (char c : text) {
    bytes += c;
    bytes += '\0';
  }
  return bytes;
}

}  // namespace

TEST(ReadExportedKey, DefaultValueForms) {
  const std::string key = "[HKEY_CLASSES_ROOT\\ebsfile\\shell\\open\\command]\r\n";
  struct Row {
    std::string text;
    uint32_t type;
    std::string data;
  } rows[] = {
      {kV4 + key + "@=\"\\\"C:\\\\E-Run.exe\\\" \\\"%1\\\"\"\r\n", kRegistryString,
       std::string("\"C:\\E-Run.exe\" \"%1\"\0", 20)},
      {kV4 + key + "@=\"\"", kRegistryString, std::string("\0", 1)},
      {kV4 + key + "@=hex(2):25,50,25,00", kRegistryExpandString, std::string("%P%\0", 4)},
      // Version 5.00 stores strings as UTF-16; the 8-bit view narrows them.
      {kV5 + key + "@=hex(2):25,00,50,00,25,00,00,00", kRegistryExpandString,
       std::string("%P%\0", 4)},
      {kV5 + key + "@=hex(2):41,00,01,04", kRegistryExpandString, "A?"},
      {kV4 + key + "@=hex(2):41,00,\\\r\n  42,00\r\n", kRegistryExpandString,
       std::string("A\0B\0", 4)},
      {kV4 + key + "@=dword:0000010A", kRegistryNumber, std::string("\x0A\x01\0\0", 4)},
      {kV4 + key + "@=hex:22,00", kRegistryBinary, std::string("\"\0", 2)},
  };
  for (const Row& row : rows) {
    Lookup lookup = Read(row.text);
    EXPECT_TRUE(lookup.isExport && lookup.present && lookup.hasValue) << row.text;
    EXPECT_EQ(row.type, lookup.type) << row.text;
    EXPECT_EQ(row.data, lookup.data) << row.text;
  }
}

TEST(ReadExportedKey, FindsTheKeyByName) {
  struct Row {
    std::string text;
    bool isExport;
    bool present;
    bool hasValue;
  } rows[] = {
      {kV4 + std::string("[hkey_classes_root\\EBSFILE\\Shell\\Open\\Command]\n@=\"x\""),
       true, true, true},
      {kV5 + std::string("[HKCR\\ebsfile\\shell\\open\\command]\n@=\"x\""), true, true, true},
      {kV4 + std::string("[HKEY_CLASSES_ROOT\\ebsfile\\shell\\open]\n@=\"x\""), true, false,
       false},
      {kV4 + std::string("[HKCRX\\ebsfile\\shell\\open\\command]\n@=\"x\""), true, false,
       false},
      // Other values of the key do not count as its default value.
      {kV4 + std::string("[HKCR\\ebsfile\\shell\\open\\command]\n\"Name\"=\"x\""), true, true,
       false},
      // A value under another key, or after a broken key line, is not the key's.
      {kV4 + std::string("[HKCR\\ebsfile\\shell\\open\\command]\n[HKCR\\x]\n@=\"x\""), true,
       true, false},
      {kV4 + std::string("[HKCR\\ebsfile\\shell\\open\\command]\n[HKCR\\x\n@=\"x\""), true,
       true, false},
      {std::string("REGEDIT5\n[HKCR\\ebsfile\\shell\\open\\command]\n@=\"x\""), false, false,
       false},
      {"", false, false, false},
  };
  for (const Row& row : rows) {
    Lookup lookup = Read(row.text);
    EXPECT_EQ(row.isExport, lookup.isExport) << row.text;
    EXPECT_EQ(row.present, lookup.present) << row.text;
    EXPECT_EQ(row.hasValue, lookup.hasValue) << row.text;
  }
}

TEST(ReadExportedKey, SkipsMalformedValueLines) {
  const std::string head = std::string(kV4) + "[HKCR\\ebsfile\\shell\\open\\command]\n";
  const char* lines[] = {
      "@=\"unterminated",
      "@=\"a\\qb\"",          // only \\ and \" are escapes
      "@=\"a\" junk",
      "@=dword:1",
      "@=hex:1,2,",
      "@=hex:123",
      "@ = \"x\"",
  };
  for (const char* line : lines) {
    Lookup lookup = Read(head + line + "\n");
    EXPECT_TRUE(lookup.present) << line;
    EXPECT_FALSE(lookup.hasValue) << line;
    // A good line after it is still read, and a later malformed one keeps it.
    lookup = Read(head + "@=\"good\"\n" + line + "\n");
    EXPECT_EQ(std::string("good\0", 5), lookup.data) << line;
  }
}

TEST(ReadExportedKey, ReadsUtf16FilesAndCrLfLines) {
  Lookup lookup = Read(Utf16(std::string(kV5) +
                             "[HKEY_CLASSES_ROOT\\ebsfile\\shell\\open\\command]\r\n"
                             "@=\"\\\"E-Run.exe\\\" \\\"%1\\\"\"\r\n"));
  EXPECT_TRUE(lookup.hasValue);
  EXPECT_EQ(std::string("\"E-Run.exe\" \"%1\"\0", 17), lookup.data);
}
