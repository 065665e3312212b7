#include "script/eb_script.h"

#include <gtest/gtest.h>

namespace {

EBScript ScriptOf(const std::vector<std::string>& lines) {
  EBScript script;
  script.lines = lines;
  return script;
}

}  // namespace

TEST(FindLine, ComparesSqueezedForms) {
  EBScript script = ScriptOf(
      {"x", "Sub Main()", "   sub main ( )", "SubMain() ' start", "End Sub Main()", "", " \t "});
  struct Row {
    const char* probe;
    uint32_t start;
    bool atStartOnly;
    int32_t expected;
  } rows[] = {
      {"Sub Main()", 0, true, 1},  {"Sub Main()", 2, true, 2}, {"Sub Main()", 3, true, 3},
      {"Sub Main()", 4, true, -1},  // "End Sub Main()" does not begin with it
      {"Sub Main()", 4, false, 4},  // but contains it
      {"main(", 0, false, 1},      {"main(", 0, true, -1},     {"", 0, false, -1},
      {" \t ", 0, false, -1},      {"x", 7, false, -1},  // start at the end looks at nothing
      {"x", 100, false, -1},       {"X", 0, true, 0},    // the start line itself counts
  };
  for (const Row& row : rows)
    EXPECT_EQ(row.expected, script.FindLine(row.probe, row.start, row.atStartOnly))
        << row.probe << " from " << row.start;
}

TEST(FindLine, AnythingMayFollowTheProbe) {
  EBScript script = ScriptOf({"\tc.DataFile.Filename = x ' comment"});
  EXPECT_EQ(0, script.FindLine("c.DataFile.Filename = ", 0, true));
  EXPECT_EQ(-1, script.FindLine("c.DataFile.FilenameX", 0, true));
}

TEST(FindSubMain, CachesOnlyAnExactLine) {
  EBScript script = ScriptOf({"a", "Sub Main()", "b"});
  EXPECT_EQ(-1, script.subMainLine);
  EXPECT_EQ(1, script.FindSubMain());
  EXPECT_EQ(1, script.subMainLine);

  // A line inserted before it moves it; the cache no longer fits and is refreshed.
  script.lines.Insert(0, "new");
  EXPECT_EQ(2, script.FindSubMain());

  // An exact line at the cached index is taken without looking at earlier lines.
  script.lines.Replace(0, "Sub Main()");
  EXPECT_EQ(2, script.FindSubMain());

  // A stale index beyond the end searches again.
  script.subMainLine = 40;
  EXPECT_EQ(0, script.FindSubMain());
}

TEST(FindSubMain, MissingLineSearchesEveryTime) {
  EBScript script = ScriptOf({"Sub Mainly()", "x"});
  EXPECT_EQ(-1, script.FindSubMain());
  EXPECT_EQ(-1, script.subMainLine);
  script.lines.push_back("sub main() ' with a comment");
  EXPECT_EQ(2, script.FindSubMain());
  EXPECT_EQ(2, script.FindSubMain());
}

TEST(FindAttribLine, PlainAndConditionalForms) {
  EBScript script = ScriptOf({
      "\tc.SetAttrib \"SubjectGroup\", 1",                                       // 0
      "If x Then c.SetAttrib \"Subject\", 1",                                    // 1
      "\tc.SetAttrib \"Subject\", 1",                                            // 2
      "C.SETATTRIB \"subject\" ,x",                                              // 3
      "If Not c.AttribExists(\"Subject\") Then c.SetAttrib \"Subject\", \"1\"",  // 4
      "c.SetAttrib \"MyAttr\", 2",                                               // 5
  });
  struct Row {
    const char* name;
    int32_t start;
    bool tryConditionalForm;
    int32_t expected;
  } rows[] = {
      {"Subject", 0, false, 2},
      {"Subject", 3, false, 3},
      {"Subject", 4, false, -1},
      {"Subject", 0, true, 4},  // the conditional form wins over an earlier plain one
      {"Subject", 5, true, -1},
      {"subject", 0, false, 2},
      {"My Attr", 0, false, 5},  // both sides are squeezed
      {"Subject", -1, false, -1},
      {"Sub", 0, false, -1},
  };
  for (const Row& row : rows)
    EXPECT_EQ(row.expected, script.FindAttribLine(row.name, row.start, row.tryConditionalForm))
        << row.name << " from " << row.start;
}
