#include "journal/attributes_text.h"

#include <gtest/gtest.h>

namespace {

// The pairs read back, "name=value|" each, or "?" when the text cannot be read.
std::string ReadBack(std::string_view text) {
  AttributesReader reader(text);
  std::string read;
  std::string_view name, value;
  while (reader.Next(&name, &value))
    read.append(name).append("=").append(value).append("|");
  return reader.failed() ? "?" : read;
}

}  // namespace

// Every value reads back as given, so none can pose as another attribute; the rows of
// older journals read as they did.
TEST(AttributesText, ReadsBackExactlyWhatWasGiven) {
  struct Row {
    AttributesByName given;
    std::string text;
  } rows[] = {
      {{{"Session", "1"}, {"Subject", "12"}}, "Session=1; Subject=12"},
      {{{"Zone", "x; Subject=99; Session=4"}, {"Subject", "3"}},
       "Subject=3; Zone=\"x; Subject=99; Session=4\""},
      {{{"a=b", "c"}, {"Note", "say \"hi\""}, {"Empty", ""}},
       "Empty=; Note=\"say \"\"hi\"\"\"; \"a=b\"=c"},
      {{{"Path", "C:\\data\\x=1"}}, "Path=C:\\data\\x=1"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(row.text, AttributesText(row.given));
    std::string expected;
    for (const auto& [name, value] : row.given)
      expected.append(name).append("=").append(value).append("|");
    EXPECT_EQ(expected, ReadBack(row.text)) << row.text;
  }
  for (auto [text, read] : {std::pair{"Session = 1 ;; subject=12; ", "Session=1|subject=12|"},
                            {"Subject 5; Session=1", "?"},
                            {"Zone=\"x; Subject=99", "?"},
                            {"Zone=\"x\"y", "?"},
                            {"", ""}})
    EXPECT_EQ(read, ReadBack(text)) << text;
  EXPECT_EQ("3", AttributeOf("Zone=\"x; Subject=99\"; sub ject=3", "Subject"));
  EXPECT_EQ(std::nullopt, AttributeOf("Zone=\"x; Subject=99\"", "Subject"));
}
