#include "textfile/csv.h"

#include <gtest/gtest.h>

using Rows = std::vector<std::vector<std::string>>;

TEST(Csv, QuotesOnlyFieldsThatNeedIt) {
  EXPECT_EQ("a,,b c\r\n", CsvRow({"a", "", "b c"}));
  EXPECT_EQ("\"C:\\x,y\",\"say \"\"hi\"\"\",\"a\rb\",\"a\nb\",\xE9\r\n",
            CsvRow({"C:\\x,y", "say \"hi\"", "a\rb", "a\nb", "\xE9"}));
}

TEST(Csv, ReadsBackWhatItWrites) {
  std::vector<std::string> fields = {"", "a,b", "\"", "x\r\ny", "\r", "\"q\",", " ", "end\r"};
  EXPECT_EQ((Rows{fields, {""}, {"z"}}), ParseCsv(CsvRow(fields) + "\r\n" + CsvRow({"z"})));
}

TEST(Csv, ReadsTextThatIsNotWellFormed) {
  struct Row {
    std::string text;
    Rows expected;
  } rows[] = {
      {"", {}},
      {"a,b\nc", {{"a", "b"}, {"c"}}},                        // LF ends, no end on the last line
      {"a\r\r\nb\rc\n", {{"a\r"}, {"b\rc"}}},                 // a CR without LF is text
      {"ab\"c,d\n", {{"ab\"c", "d"}}},                        // a quote inside an unquoted field
      {"\"ab\"c,d\n", {{"abc", "d"}}},                        // text after the closing quote
      {"x,\"ab,c\ny,z\n", {{"x", "\"ab", "c"}, {"y", "z"}}},  // a quote never closed
      {",\n", {{"", ""}}},
  };
  for (const Row& row : rows)
    EXPECT_EQ(row.expected, ParseCsv(row.text)) << row.text;
}
