#include "launch/query_registry_string.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

// Answers every query with one stored value, the way RegQueryValueExA does.
class FakeKey : public RegistryKey {
 public:
  FakeKey(long result, uint32_t type, std::string data)
      : result_(result), type_(type), data_(std::move(data)) {}

  long QueryValue(const char* valueName, uint32_t* type, unsigned char* data,
                  uint32_t* size) override {
    lastValueName = valueName;
    lastCapacity = *size;
    if (result_ != kRegistrySuccess)
      return result_;
    *type = type_;
    uint32_t capacity = *size;
    *size = static_cast<uint32_t>(data_.size());
    if (data_.size() > capacity)
      return kRegistryMoreData;
    std::memcpy(data, data_.data(), data_.size());
    return kRegistrySuccess;
  }

  const char* lastValueName = "<not asked>";
  uint32_t lastCapacity = 0;

 private:
  long result_;
  uint32_t type_;
  std::string data_;
};

struct Outcome {
  long result;
  uint32_t size;
  std::string text;  // the buffer up to its terminator, when the read succeeded
};

Outcome Query(FakeKey key, uint32_t capacity = 512) {
  char buffer[600];
  std::memset(buffer, 'x', sizeof buffer);
  uint32_t size = capacity;
  long result = QueryRegistryString(key, nullptr, buffer, &size);
  std::string text = result == kRegistrySuccess ? std::string(buffer) : "<failed>";
  return {result, size, text};
}

std::string Sz(const std::string& text) {
  return text + '\0';
}

}  // namespace

TEST(QueryRegistryString, ReadsStringsAsStored) {
  struct Row {
    uint32_t type;
    std::string stored;
    const char* text;
  } rows[] = {
      {kRegistryString, Sz("\"C:\\E-Run.exe\" \"%1\""), "\"C:\\E-Run.exe\" \"%1\""},
      // Environment references stay as they are.
      {kRegistryExpandString, Sz("%ProgramFiles%\\E-Run.exe \"%1\""),
       "%ProgramFiles%\\E-Run.exe \"%1\""},
      {kRegistryString, Sz(""), ""},
      {kRegistryString, "", ""},  // no bytes at all: the empty text
      {kRegistryString, Sz(std::string(511, 'c')), nullptr},  // the longest value
  };
  for (const Row& row : rows) {
    Outcome outcome = Query(FakeKey(kRegistrySuccess, row.type, row.stored));
    EXPECT_EQ(kRegistrySuccess, outcome.result) << row.stored;
    // The count is the bytes stored, terminator included.
    EXPECT_EQ(row.stored.size(), outcome.size) << row.stored;
    EXPECT_EQ(row.text ? row.text : row.stored.c_str(), outcome.text) << row.stored;
  }
}

TEST(QueryRegistryString, RefusesWhatIsNoUsableString) {
  struct Row {
    const char* what;
    FakeKey key;
    long expected;
  } rows[] = {
      {"missing value", FakeKey(kRegistryNotFound, 0, ""), kRegistryNotFound},
      {"number", FakeKey(kRegistrySuccess, kRegistryNumber, std::string("\1\0\0\0", 4)),
       kRegistryInvalidData},
      {"binary", FakeKey(kRegistrySuccess, kRegistryBinary, Sz("\"e\" \"%1\"")),
       kRegistryInvalidData},
      {"multi string", FakeKey(kRegistrySuccess, 7, Sz("\"e\" \"%1\"") + '\0'),
       kRegistryInvalidData},
      {"too long", FakeKey(kRegistrySuccess, kRegistryString, Sz(std::string(512, 'c'))),
       kRegistryMoreData},
      {"no terminator", FakeKey(kRegistrySuccess, kRegistryString, "\"e\" \"%1\""),
       kRegistryInvalidData},
      {"full buffer without terminator",
       FakeKey(kRegistrySuccess, kRegistryExpandString, std::string(512, 'c')),
       kRegistryInvalidData},
  };
  for (const Row& row : rows) {
    Outcome outcome = Query(row.key);
    EXPECT_EQ(row.expected, outcome.result) << row.what;
    EXPECT_EQ(0u, outcome.size) << row.what;
  }
}

TEST(QueryRegistryString, AsksForTheNamedValueWithTheWholeCapacity) {
  FakeKey key(kRegistrySuccess, kRegistryString, Sz("v"));
  char buffer[16];
  uint32_t size = sizeof buffer;
  EXPECT_EQ(kRegistrySuccess, QueryRegistryString(key, "Name", buffer, &size));
  EXPECT_STREQ("Name", key.lastValueName);
  EXPECT_EQ(16u, key.lastCapacity);
  EXPECT_EQ(2u, size);

  size = sizeof buffer;
  QueryRegistryString(key, nullptr, buffer, &size);
  EXPECT_EQ(nullptr, key.lastValueName);
}

TEST(QueryRegistryString, EmbeddedTerminatorKeepsTheStoredCount) {
  // The count is what was stored; the text as a C string ends at the first zero byte.
  Outcome outcome = Query(FakeKey(kRegistrySuccess, kRegistryString, Sz(std::string("ab\0cd", 5))));
  EXPECT_EQ(kRegistrySuccess, outcome.result);
  EXPECT_EQ(6u, outcome.size);
  EXPECT_EQ("ab", outcome.text);
}
