#include "textfile/text_helpers.h"

#include <gtest/gtest.h>

#include "textfile/trim.h"

namespace {

std::string Trimmed(std::string text) {
  Trim(text);
  return text;
}

}  // namespace

TEST(SqueezeText, RemovesWhitespaceAndUpperCasesAsciiOnly) {
  struct Row {
    const char* text;
    bool upperCase;
    std::string expected;
  } rows[] = {
      {" ab\tc", true, "ABC"},
      {" ab\tc", false, "abc"},
      {"", true, ""},
      {" \t\r\n\v\f", true, ""},
      {"Sub Main ( )", true, "SUBMAIN()"},
      {"\xA0x\xE9", true, "\xA0X\xE9"},  // no-break space and accented letters stay
  };
  for (const Row& row : rows)
    EXPECT_EQ(row.expected, SqueezeText(row.text, row.upperCase)) << row.text;
  EXPECT_EQ("", SqueezeText(static_cast<const char*>(nullptr), true));
}

TEST(SqueezeText, StringFormKeepsBytesAfterNul) {
  EXPECT_EQ(std::string("A\0B", 3), SqueezeText(std::string("a\0 b", 4), true));
}

TEST(EscapeBackslashes, EveryBackslashIsDoubled) {
  struct Row {
    const char* text;
    const char* expected;
  } rows[] = {
      {"C:\\data\\x", "C:\\\\data\\\\x"},
      {"C:\\data\\", "C:\\\\data\\\\"},
      {"\\\\srv\\share", "\\\\\\\\srv\\\\share"},
      {"a\\\\\\b", "a\\\\\\\\\\\\b"},
      {"\\", "\\\\"},
      {"plain", "plain"},
      {"", ""},
  };
  for (const Row& row : rows)
    EXPECT_EQ(row.expected, EscapeBackslashes(row.text)) << row.text;
  EXPECT_EQ("", EscapeBackslashes(nullptr));
}

TEST(AppendBackslash, AddsOneUnlessEmptyOrPresent) {
  EXPECT_EQ("C:\\data\\", AppendBackslash("C:\\data"));
  EXPECT_EQ("C:\\data\\", AppendBackslash("C:\\data\\"));
  EXPECT_EQ("data/\\", AppendBackslash("data/"));
  EXPECT_EQ("", AppendBackslash(""));
}

TEST(DoubleQuotes, EachQuoteBecomesTwo) {
  EXPECT_EQ("a\"\"b", DoubleQuotes("a\"b"));
  EXPECT_EQ("\"\"\"\"", DoubleQuotes("\"\""));
  EXPECT_EQ("C:\\d'x", DoubleQuotes("C:\\d'x"));  // backslashes and apostrophes stay
  EXPECT_EQ("", DoubleQuotes(""));
}

TEST(Trim, RemovesCLocaleWhitespaceAtBothEnds) {
  EXPECT_EQ("", Trimmed(" \t\r\n \v\f"));
  EXPECT_EQ("Subject", Trimmed("\tSubject \r"));
  EXPECT_EQ("a b", Trimmed(" a b "));
  EXPECT_EQ("\xA0x\xA0", Trimmed("\xA0x\xA0"));
  EXPECT_EQ("", Trimmed(""));
}
