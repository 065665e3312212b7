#include "textfile/text_helpers.h"

#include <gtest/gtest.h>

#include "textfile/trim.h"

namespace {

std::string AfterTrim(std::string text) {
  Trim(text);
  return text;
}

}  // namespace

TEST(SqueezeText, RemovesWhitespaceAndUpperCasesAsciiOnly) {
  struct Row {
    std::string text;
    std::string expected;
  } rows[] = {
      {" ab\tc", "ABC"},
      {"", ""},
      {" \t\r\n\v\f", ""},
      {"Sub Main ( )", "SUBMAIN()"},
      {"\xA0x\xE9", "\xA0X\xE9"},  // no-break space and accented letters stay
      {std::string("a\0 b", 4), std::string("A\0B", 3)},
  };
  for (const Row& row : rows)
    EXPECT_EQ(row.expected, SqueezeText(row.text)) << row.text;
}

TEST(Trim, RemovesCLocaleWhitespaceAtBothEnds) {
  EXPECT_EQ("", AfterTrim(" \t\r\n \v\f"));
  EXPECT_EQ("Subject", AfterTrim("\tSubject \r"));
  EXPECT_EQ("a b", AfterTrim(" a b "));
  EXPECT_EQ("\xA0x\xA0", AfterTrim("\xA0x\xA0"));
}
