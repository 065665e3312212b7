#include "platform/standin/registry_export.h"

#include <gtest/gtest.h>

#include "platform/registry.h"

namespace {

const char kKey[] = "HKEY_CLASSES_ROOT\\ebsfile\\shell\\open\\command";
const std::string kHead = "REGEDIT4\r\n\r\n[HKEY_CLASSES_ROOT\\ebsfile\\shell\\open\\command]\r\n";

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

}  // namespace

TEST(ReadExportedKey, DefaultValueForms) {
  struct Row {
    std::string line;
    uint32_t type;
    std::string data;
  } rows[] = {
      {"@=\"\\\"C:\\\\E-Run.exe\\\" \\\"%1\\\"\"", kRegistryString,
       std::string("\"C:\\E-Run.exe\" \"%1\"\0", 20)},
      {"@=\"\"", kRegistryString, std::string("\0", 1)},
      {"@=hex(2):25,50,25,00", kRegistryExpandString, std::string("%P%\0", 4)},
      {"@=dword:0000010A", kRegistryNumber, std::string("\x0A\x01\0\0", 4)},
  };
  for (const Row& row : rows) {
    Lookup lookup = Read(kHead + row.line + "\r\n");
    EXPECT_TRUE(lookup.isExport && lookup.present && lookup.hasValue) << row.line;
    EXPECT_EQ(row.type, lookup.type) << row.line;
    EXPECT_EQ(row.data, lookup.data) << row.line;
  }
}

TEST(ReadExportedKey, OnlyTheKeysOwnDefaultValue) {
  struct Row {
    std::string text;
    bool isExport;
    bool present;
    bool hasValue;
  } rows[] = {
      {"REGEDIT4\n[HKEY_CLASSES_ROOT\\ebsfile\\shell\\open]\n@=\"x\"", true, false, false},
      {kHead + "\"Name\"=\"x\"", true, true, false},
      {kHead + "[HKEY_CLASSES_ROOT\\x]\n@=\"x\"", true, true, false},
      {kHead + "@=\"unterminated", true, true, false},
      {kHead + "@=\"a\\qb\"", true, true, false},  // only \\ and \" are escapes
      {kHead + "@=dword:1", true, true, false},
      {kHead + "@=hex(2):1,2,", true, true, false},
      {"REGEDIT5\n" + kHead.substr(10) + "@=\"x\"", false, false, false},
      {"", false, false, false},
  };
  for (const Row& row : rows) {
    Lookup lookup = Read(row.text);
    EXPECT_EQ(row.isExport, lookup.isExport) << row.text;
    EXPECT_EQ(row.present, lookup.present) << row.text;
    EXPECT_EQ(row.hasValue, lookup.hasValue) << row.text;
  }
}
