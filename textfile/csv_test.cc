#include "textfile/csv.h"

#include <gtest/gtest.h>

using Rows = std::vector<std::vector<std::string>>;

TEST(Csv, WritesAndReadsBackRfc4180Rows) {
  std::vector<std::string> fields = {"a", "", "C:\\x,y", "say \"hi\"", "a\rb", "x\r\ny", "\xE9\r"};
  std::string row = "a,,\"C:\\x,y\",\"say \"\"hi\"\"\",\"a\rb\",\"x\r\ny\",\"\xE9\r\"\r\n";
  EXPECT_EQ(row, CsvRow(fields));
  EXPECT_EQ((Rows{fields, {""}, {"z"}}), ParseCsv(row + "\r\nz"));
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
  };
  for (const Row& row : rows)
    EXPECT_EQ(row.expected, ParseCsv(row.text)) << row.text;
}
