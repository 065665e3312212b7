#include "base/latin_text.h"

#include <gtest/gtest.h>

// The letters of Windows-1252 in both of its encodings in the journal: the code page's own
// bytes and UTF-8, where the table must give the same letters.
TEST(LatinText, UpperCaseInTheCodePageAndInUtf8) {
  struct Row {
    const char* ansi;
    const char* upper;
  } rows[] = {
      {"Ged\xE4"
       "chtnis-5-1.edat",
       "GED\xC4"
       "CHTNIS-5-1.EDAT"},
      {"\xFF\x9A\x9C\x9E\xE0\xFE", "\x9F\x8A\x8C\x8E\xC0\xDE"},
      {"\xDF\xF7\xB5\x80", "\xDF\xF7\xB5\x80"},  // ß, ÷, µ and € have no other case
  };
  for (const Row& row : rows) {
    std::string upper;
    for (char c : std::string(row.ansi))
      upper += UpperCaseLatin(c);
    EXPECT_EQ(row.upper, upper) << row.ansi;
  }
  EXPECT_EQ(
      "GED\xC3\x84"
      "CHTNIS \xC5\xB8\xC5\xA0\xC3\x9F\xE2\x82\xAC",
      UpperCaseLatinUtf8("Ged\xC3\xA4"
                         "chtnis \xC3\xBF\xC5\xA1\xC3\x9F\xE2\x82\xAC"));
  EXPECT_EQ("\xC3(\xE4X", UpperCaseLatinUtf8("\xC3(\xE4x"));  // not UTF-8: bytes stay
}

TEST(LatinText, ValidUtf8) {
  for (const char* valid : {"", "abc", "\xC3\xA4", "\xE2\x82\xAC", "\xF0\x9F\x98\x80"})
    EXPECT_TRUE(IsValidUtf8(valid)) << valid;
  for (const char* invalid : {"\xE4", "\xC3", "\xC0\x80", "\xE0\x80\x80", "\xED\xA0\x80",
                              "\xF4\x90\x80\x80", "\xC3\xA4\xBF"})
    EXPECT_FALSE(IsValidUtf8(invalid)) << invalid;
}
