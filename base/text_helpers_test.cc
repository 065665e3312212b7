#include "base/text_helpers.h"

#include <gtest/gtest.h>

#include "base/trim.h"

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

TEST(ParseWholeNumber, TakesASignAndDigitsWithinTheSignedRange) {
  struct Row {
    const char* text;
    std::optional<int32_t> expected;
  } rows[] = {
      {"12", 12},
      {"+7", 7},
      {"-0", 0},
      {"000000000000000000042", 42},
      {"2147483647", INT32_MAX},
      {"-2147483648", INT32_MIN},
      {"2147483648", std::nullopt},
      {"99999999999999999999", std::nullopt},
      {"", std::nullopt},
      {"-", std::nullopt},
      {"1.5", std::nullopt},
      {" 1", std::nullopt},
      {"+-1", std::nullopt},
  };
  for (const Row& row : rows)
    EXPECT_EQ(row.expected, ParseWholeNumber(row.text)) << row.text;
}

TEST(EqualsInsensitive, FoldsAsciiLettersOnly) {
  EXPECT_TRUE(EqualsInsensitive("Flanker-12-1.EDAT", "flanker-12-1.edat"));
  EXPECT_FALSE(EqualsInsensitive("\xE9", "\xC9"));
  EXPECT_FALSE(EqualsInsensitive("ab", "abc"));
  EXPECT_TRUE(EndsWithInsensitive("RUN.EBS", ".ebs"));
  EXPECT_FALSE(EndsWithInsensitive("bs", ".ebs"));
}
