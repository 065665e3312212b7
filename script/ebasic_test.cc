#include "script/ebasic.h"

#include <gtest/gtest.h>

TEST(StringLiteral, QuotesThenBackslashesDoubled) {
  struct Row {
    const char* text;
    const char* literal;
  } rows[] = {
      {"C:\\data\\x", "\"C:\\\\data\\\\x\""},
      {"\\\\srv\\share\\", "\"\\\\\\\\srv\\\\share\\\\\""},
      {"say \"hi\"", "\"say \"\"hi\"\"\""},
      {"", "\"\""},
  };
  for (const Row& row : rows)
    EXPECT_EQ(row.literal, StringLiteral(row.text)) << row.text;
  EXPECT_EQ("\"a\"\"b\\c\"", NameLiteral("a\"b\\c"));
}

TEST(LineProbe, EachKindOfMatch) {
  struct Row {
    const char* probe;
    LineMatch match;
    const char* line;
    bool matches;
  } rows[] = {
      {"c.DataFile.Filename = ", LineMatch::kBeginsWith, "\tC.DATAFILE.FILENAME=x ' y", true},
      {"c.DataFile.Filename = ", LineMatch::kBeginsWith, "c.DataFile.FilenameX = x", false},
      {"Sub Main()", LineMatch::kBeginsWith, "End Sub Main()", false},
      {"", LineMatch::kBeginsWith, "", false},
      {"PreRun", LineMatch::kBeginsWithWord, " \tprerun x", true},
      {"PreRun", LineMatch::kBeginsWithWord, "PreRun", true},
      {"PreRun", LineMatch::kBeginsWithWord, "PreRun(x)", true},
      {"PreRun", LineMatch::kBeginsWithWord, "PreRunDone = True", false},
      {"PreRun", LineMatch::kBeginsWithWord, "PreRun_2 = 1", false},
      {"PreRun", LineMatch::kBeginsWithWord, "Pre Run x", false},
      {"PreRun", LineMatch::kBeginsWithWord, "\vPreRun x", false},  // only blanks and tabs
      {"Else", LineMatch::kIs, "  ELSE ' none", true},
      {"Else", LineMatch::kIs, "Else x", false},
      {"Else", LineMatch::kIs, "ElseIf x Then", false},
  };
  for (const Row& row : rows)
    EXPECT_EQ(row.matches, LineProbe(row.probe, row.match).Matches(row.line)) << row.line;
}
