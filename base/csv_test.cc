#include "base/csv.h"

#include <gtest/gtest.h>

using Fields = std::vector<std::string>;

Fields Split(std::string_view line, char separator) {
  CsvLine csv;
  if (!csv.Split(line, separator))
    return {"<cannot be read>"};
  std::vector<std::string_view> fields = csv.fields();
  return Fields(fields.begin(), fields.end());
}

TEST(Csv, RowsReadBackAsWritten) {
  struct Row {
    Fields fields;
    char separator;
    std::string written;
  } rows[] = {
      {{"a", "", "C:\\x,y", "say \"hi\""}, ',', "a,,\"C:\\x,y\",\"say \"\"hi\"\"\"\r\n"},
      {{"S=1; T=2", "x,y"}, ';', "\"S=1; T=2\";x,y\r\n"},
      // Formulas get an apostrophe; plain numbers and other text do not.
      {{"=1+2", "+cmd|x", "-1", "-1.5", "-", "@A=1", "\tx", "'=kept", "'x", "a=b"},
       ',',
       "'=1+2,'+cmd|x,-1,-1.5,'-,'@A=1,'\tx,''=kept,'x,a=b\r\n"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(row.written, CsvRow(row.fields, row.separator));
    std::string line = row.written.substr(0, row.written.size() - 2);
    EXPECT_EQ(row.fields, Split(line, row.separator)) << line;
  }
  EXPECT_EQ("a b c\r\n", CsvRow({"a\rb\nc"}, ','));
}

TEST(Csv, LinesThatCannotBeRead) {
  struct Row {
    std::string line;
    Fields fields;
  } rows[] = {
      {"", {""}},
      {"ab\"c,d", {"ab\"c", "d"}},          // a quote inside a field is text
      {"x,\"ab,c", {"<cannot be read>"}},   // a quote never closed
      {"\"ab\"c,d", {"<cannot be read>"}},  // text after the closing quote
      {"\"a\"\"\",\"\"", {"a\"", ""}},
  };
  for (const Row& row : rows)
    EXPECT_EQ(row.fields, Split(row.line, ',')) << row.line;
}
