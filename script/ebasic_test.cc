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
}

TEST(DecodeLiteral, OnlyDoubledQuotesAndBackslashes) {
  EXPECT_EQ("C:\\d\\\"q\"", DecodeLiteral("\"C:\\\\d\\\\\"\"q\"\"\""));
  EXPECT_EQ("", DecodeLiteral("\"\""));
  EXPECT_EQ(std::nullopt, DecodeLiteral("\"a\\tb\""));  // an escape of E-Basic's own
  EXPECT_EQ(std::nullopt, DecodeLiteral("\"open"));
  EXPECT_EQ(std::nullopt, DecodeLiteral("\"a\\\""));  // the doubled byte is the closing quote
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
      {"PreRun", LineMatch::kBeginsWithWords, " \tprerun x", true},
      {"PreRun", LineMatch::kBeginsWithWords, "PreRun", true},
      {"PreRun", LineMatch::kBeginsWithWords, "PreRun(x)", true},
      {"PreRun", LineMatch::kBeginsWithWords, "PreRunDone = True", false},
      {"PreRun", LineMatch::kBeginsWithWords, "PreRun_2 = 1", false},
      {"PreRun", LineMatch::kBeginsWithWords, "Pre Run x", false},
      {"PreRun", LineMatch::kBeginsWithWords, "\vPreRun x", false},  // only blanks and tabs
      {"Call PreRun", LineMatch::kBeginsWithWords, "\tcall \t PreRun(x)", true},
      {"Call PreRun", LineMatch::kBeginsWithWords, "CallPreRun(x)", false},
  };
  for (const Row& row : rows)
    EXPECT_EQ(row.matches, LineProbe(row.probe, row.match).Matches(row.line)) << row.line;
}

TEST(EBasicText, StatementsCommentsAndWords) {
  EXPECT_TRUE(ContinuesOnNextLine("x = 1 & _ \t"));
  EXPECT_TRUE(ContinuesOnNextLine("x = 1 &\t_"));
  EXPECT_FALSE(ContinuesOnNextLine("x = a_"));
  EXPECT_FALSE(ContinuesOnNextLine("_"));
  EXPECT_EQ("x = \"it's\" ", CodeOf("x = \"it's\" ' a comment"));
  EXPECT_EQ("  ", CodeOf("  ' all comment"));
  std::vector<std::string> words;
  for (const Token& token : Tokenize("If CLng(v) <= -5 Then x = \"a \"\"b\"\"\" & \"c"))
    words.emplace_back(token.text);
  EXPECT_EQ((std::vector<std::string>{"If", "CLng", "(", "v", ")", "<", "=", "-", "5", "Then", "x",
                                      "=", "\"a \"\"b\"\"\"", "&", "\"c"}),
            words);
}
