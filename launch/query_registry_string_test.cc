#include "launch/query_registry_string.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace {

// Holds one value and answers the way RegQueryValueExA does, or, when `overstates`, as a
// faulty one that fills the buffer and claims success with the whole value's size.
class FakeKey : public RegistryKey {
 public:
  FakeKey(long result, uint32_t type, std::string data, bool overstates = false)
      : result_(result), type_(type), data_(std::move(data)), overstates_(overstates) {}

  long QueryValue(const char*, uint32_t* type, unsigned char* data, uint32_t* size) override {
    if (result_ != kRegistrySuccess)
      return result_;
    *type = type_;
    uint32_t capacity = *size;
    *size = static_cast<uint32_t>(data_.size());
    if (data_.size() > capacity && !overstates_)
      return kRegistryMoreData;
    std::memcpy(data, data_.data(), std::min<size_t>(data_.size(), capacity));
    return kRegistrySuccess;
  }

 private:
  long result_;
  uint32_t type_;
  std::string data_;
  bool overstates_;
};

std::string Sz(const std::string& text) {
  return text + '\0';
}

}  // namespace

TEST(QueryRegistryString, ChecksTypeSizeAndTerminator) {
  struct Row {
    const char* what;
    FakeKey key;
    long result;
    std::string text;  // the buffer as a C string after success
    uint32_t size;     // bytes stored with the terminator; 0 after a failure
  } rows[] = {
      {"common", FakeKey(0, kRegistryString, Sz("\"E.exe\" \"%1\"")), 0, "\"E.exe\" \"%1\"", 13},
      {"expand string as stored", FakeKey(0, kRegistryExpandString, Sz("%P%\\E \"%1\"")), 0,
       "%P%\\E \"%1\"", 11},
      {"empty", FakeKey(0, kRegistryString, Sz("")), 0, "", 1},
      {"no bytes at all", FakeKey(0, kRegistryString, ""), 0, "", 0},
      {"longest", FakeKey(0, kRegistryString, Sz(std::string(511, 'c'))), 0, std::string(511, 'c'),
       512},
      {"embedded zero", FakeKey(0, kRegistryString, Sz(std::string("ab\0cd", 5))), 0, "ab", 6},
      {"missing value", FakeKey(kRegistryNotFound, 0, ""), kRegistryNotFound, "", 0},
      {"number", FakeKey(0, kRegistryNumber, std::string("\1\0\0\0", 4)), kRegistryInvalidData, "",
       0},
      {"binary", FakeKey(0, kRegistryBinary, Sz("\"e\" \"%1\"")), kRegistryInvalidData, "", 0},
      {"too long", FakeKey(0, kRegistryString, Sz(std::string(512, 'c'))), kRegistryMoreData, "",
       0},
      {"no terminator", FakeKey(0, kRegistryString, "\"e\" \"%1\""), kRegistryInvalidData, "", 0},
      {"full without terminator", FakeKey(0, kRegistryExpandString, std::string(512, 'c')),
       kRegistryInvalidData, "", 0},
      {"success claimed for more than fits",
       FakeKey(0, kRegistryString, Sz(std::string(600, 'c')), true), kRegistryMoreData, "", 0},
  };
  for (Row& row : rows) {
    // Zeros beyond the capacity given: a value that claims to end there looks whole.
    char buffer[1024];
    std::memset(buffer, 0, sizeof buffer);
    std::memset(buffer, 'x', 512);
    uint32_t size = 512;
    EXPECT_EQ(row.result, QueryRegistryString(row.key, nullptr, buffer, &size)) << row.what;
    EXPECT_EQ(row.size, size) << row.what;
    if (row.result == kRegistrySuccess) {
      std::string text(buffer, std::find(buffer, buffer + sizeof buffer, '\0'));
      EXPECT_EQ(row.text, text) << row.what;
    }
  }
}
