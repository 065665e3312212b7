#include "script/value_rule.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

ValueRule RuleOf(const std::vector<std::string>& lines) {
  ValueRule rule;
  for (const std::string& line : lines)
    rule.Read(line);
  return rule;
}

}  // namespace

TEST(ValueRule, ReadsTheChecksOfAPromptSection) {
  struct Row {
    std::vector<std::string> lines;
    std::string described;  // "" when nothing is checked
  } rows[] = {
      {{"\t\tIf Not IsNumeric(vAnswer) then"}, "a whole number"},
      {{"if not isnumeric( vAnswer ) Then", "\t\tElseIf CLng(vAnswer) < 0 Then",
        "\t\tElseIf CLng(vAnswer) > 32767 Then ' most"},
       "a whole number from 0 to 32767"},
      {{"If CLng(vAnswer) < -5 Then", "ElseIf CLng(vAnswer) < -9 Then"},
       "a whole number of at least -5"},
      {{"ElseIf CLng(vAnswer) > 9 Then", "ElseIf CLng(vAnswer) > 7 Then"},
       "a whole number of at most 7"},
      {{"ElseIf CLng(vAnswer) <= 1 Then", "ElseIf CLng(vAnswer) < x Then",
        "ElseIf CLng(vAnswer) < 1", "x = IsNumeric(vAnswer)", "If Not IsEmpty(vAnswer) then"},
       ""},
  };
  for (const Row& row : rows) {
    ValueRule rule = RuleOf(row.lines);
    bool checks = rule.wholeNumber || rule.lowest || rule.highest;
    EXPECT_EQ(row.described, checks ? rule.Describe() : "") << row.lines[0];
  }
}

TEST(ValueRule, AcceptsWholeNumbersWithinTheBounds) {
  ValueRule bounded =
      RuleOf({"ElseIf CLng(vAnswer) < 0 Then", "ElseIf CLng(vAnswer) > 32767 Then"});
  ValueRule whole = RuleOf({"If Not IsNumeric(vAnswer) then"});
  struct Row {
    const char* value;
    bool bounded;
    bool whole;
  } rows[] = {
      {"0", true, true},
      {"32767", true, true},
      {"+12", true, true},
      {"0012", true, true},
      {"0000000000000000000012", true, true},  // leading zeros do not count as digits
      {"-1", false, true},
      {"32768", false, true},
      {"-2147483648", false, true},
      {"2147483648", false, false},
      {"1.5", false, false},
      {"1e3", false, false},
      {"", false, false},
      {"-", false, false},
      {"12a", false, false},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(row.bounded, bounded.Accepts(row.value)) << row.value;
    EXPECT_EQ(row.whole, whole.Accepts(row.value)) << row.value;
  }
  EXPECT_TRUE(ValueRule().Accepts("anything at all"));
}
