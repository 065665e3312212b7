#include "script/set_attribute.h"

#include <gtest/gtest.h>

namespace {

using Lines = std::vector<std::string>;

struct Row {
  const char* what;
  Lines before;
  const char* name;
  const char* value;
  EditOutcome outcome;
  Lines after;  // the lines before, when empty
};

void CheckRows(const std::vector<Row>& rows) {
  for (const Row& row : rows) {
    EBScript script(row.before);
    EXPECT_EQ(row.outcome, SetAttribute(script, row.name, row.value)) << row.what;
    EXPECT_EQ(row.after.empty() ? row.before : row.after, script.lines()) << row.what;
  }
}

const EditOutcome kDone = EditOutcome::kDone;
const EditOutcome kNotFound = EditOutcome::kNotFound;
const char* const kSet12 = "\tc.SetAttrib \"Subject\", \"12\"   ' value set by Tarvo";
const char* const kSet12Removed =
    "\tc.SetAttrib \"Subject\", \"12\"   ' value set by Tarvo; removed user prompt section";
const char* const kPrompt = "StartupInfoPrompt_Subject:";
const char* const kAttrib = "\t\tc.SetAttrib \"Subject\", CStr(vAnswer)";
const char* const kConditional =
    "\tIf Not c.AttribExists(\"Subject\") Then c.SetAttrib \"Subject\", \"1\"";

}  // namespace

TEST(SetAttribute, NetEffectByCase) {
  CheckRows({
      {"no Sub Main line", {"c.SetAttrib \"Subject\", 1", kPrompt}, "Subject", "12", kNotFound, {}},
      {"no prompt, no attribute line after Sub Main",
       {"c.SetAttrib \"Subject\", 1", "Sub Main()", "x"},
       "Subject",
       "12",
       kNotFound,
       {}},
      {"no prompt: the conditional form wins over an earlier plain one",
       {"Sub Main()", "\tc.SetAttrib \"Subject\", 0", kConditional, "x"},
       "Subject",
       "12",
       kDone,
       {"Sub Main()", "\tc.SetAttrib \"Subject\", 0", kSet12, "x"}},
      {"prompt, plain-form line and abort block",
       {"Sub Main()", kPrompt, "\tvAnswer = AskBox(\"?\")", "\tIf Not IsEmpty(vAnswer) then",
        kAttrib, "\tElse", "\t\tGoTo ExperimentAbort", "\tEnd If", "next"},
       "Subject",
       "12",
       kDone,
       {"Sub Main()", kSet12Removed, "next"}},
      {"a value that would not fit on a line",
       {"Sub Main()", kAttrib},
       "Subject",
       std::string(990, 'v').c_str(),
       EditOutcome::kTooLong,
       {}},
  });
}

// A section ends at the next label, the summary question, the data file line or
// "InitObjects c"; an assignment below that is not its own.
TEST(SetAttribute, SectionWithoutItsOwnAssignment) {
  for (const char* end : {"StartupInfoPrompt_Session:", "  nSummaryAnswer = MsgBox(s)",
                          "c.DataFile.Filename = x", "\tInitObjects c"})
    CheckRows(
        {{end, {"Sub Main()", kPrompt, "\tv = 1", end, kAttrib}, "Subject", "1", kNotFound, {}}});
  CheckRows(
      {{"no assignment at all", {"Sub Main()", kPrompt, "x"}, "Subject", "1", kNotFound, {}}});
}

TEST(SetAttribute, AbortBlockRemovedOnlyInItsExactShape) {
  CheckRows({
      {"exact shape, any case and spacing, comments after Else and GoTo",
       {"Sub Main()", kPrompt, kAttrib, "  ELSE ' none", "\t\tgoto experimentabort ' x", "end if",
        "n"},
       "Subject",
       "12",
       kDone,
       {"Sub Main()", kSet12Removed, "n"}},
      {"any other first line keeps all three",
       {"Sub Main()", kPrompt, kAttrib, "\tElseIf x Then", "\tGoTo ExperimentAbort", "\tEnd If"},
       "Subject",
       "12",
       kDone,
       {"Sub Main()", kSet12Removed, "\tElseIf x Then", "\tGoTo ExperimentAbort", "\tEnd If"}},
      {"an extra line before GoTo",
       {"Sub Main()", kPrompt, kAttrib, "Else", "x", "GoTo ExperimentAbort", "End If"},
       "Subject",
       "12",
       kDone,
       {"Sub Main()", kSet12Removed, "Else", "x", "GoTo ExperimentAbort", "End If"}},
      {"the block cut short by the end of the script",
       {"Sub Main()", kPrompt, kAttrib, "Else", "GoTo ExperimentAbort"},
       "Subject",
       "12",
       kDone,
       {"Sub Main()", kSet12Removed, "Else", "GoTo ExperimentAbort"}},
  });
}

TEST(SetAttribute, WhichNamesAndLinesMatch) {
  CheckRows({
      {"Sub has no prompt of its own in Subject's",
       {"Sub Main()", kPrompt, kAttrib},
       "Sub",
       "3",
       kNotFound,
       {}},
      {"Session's section does not begin at SessionType's label",
       {"Sub Main()", "StartupInfoPrompt_SessionType:", "\tc.SetAttrib \"SessionType\", v",
        "StartupInfoPrompt_Session: ' label", "\tc.SetAttrib \"Session\", v", "n"},
       "Session",
       "2",
       kDone,
       {"Sub Main()", "StartupInfoPrompt_SessionType:", "\tc.SetAttrib \"SessionType\", v",
        "\tc.SetAttrib \"Session\", \"2\"   ' value set by Tarvo; removed user prompt section",
        "n"}},
      {"SubjectGroup's line is not Subject's",
       {"Sub Main()", "c.SetAttrib \"SubjectGroup\", 1", "c.SetAttrib \"Subject\", 1"},
       "Subject",
       "12",
       kDone,
       {"Sub Main()", "c.SetAttrib \"SubjectGroup\", 1", kSet12}},
      {"lines before Sub Main are never touched",
       {kPrompt, "c.SetAttrib \"Subject\", 1", "Sub Main()", "c.SetAttrib \"Subject\", 2"},
       "Subject",
       "12",
       kDone,
       {kPrompt, "c.SetAttrib \"Subject\", 1", "Sub Main()", kSet12}},
  });
}

// The written line names the attribute as the script does, whatever the letter case and
// blanks of the name given; the value is one string literal.
TEST(SetAttribute, TheScriptsSpellingAndOneLiteral) {
  CheckRows({
      {"from the label",
       {"Sub Main()", "startupinfoprompt_SubJect :", "c.SETATTRIB \"subject\", v"},
       "sub ject",
       "1",
       kDone,
       {"Sub Main()",
        "\tc.SetAttrib \"SubJect\", \"1\"   ' value set by Tarvo; removed user prompt section"}},
      {"from the plain assignment",
       {"Sub Main()", "\tC.SETATTRIB \"My Attr\" ,x"},
       "myattr",
       "C:\\t",
       kDone,
       {"Sub Main()", "\tc.SetAttrib \"My Attr\", \"C:\\\\t\"   ' value set by Tarvo"}},
      {"from the conditional default's SetAttrib",
       {"Sub Main()", "If Not c.AttribExists(\"Group\") Then c.SetAttrib \"Group\", \"1\""},
       "GROUP",
       "",
       kDone,
       {"Sub Main()", "\tc.SetAttrib \"Group\", \"\"   ' value set by Tarvo"}},
  });
}

TEST(SetAttribute, ContinuedStatementsGoWhole) {
  CheckRows({
      {"a default over two lines",
       {"Sub Main()", "\tc.SetAttrib \"Subject\", _", "\t\t\"1\"", "n"},
       "Subject",
       "12",
       kDone,
       {"Sub Main()", kSet12, "n"}},
      {"a section's assignment over two lines, and its abort block",
       {"Sub Main()", kPrompt, "\tc.SetAttrib \"Subject\", _ ", "CStr(vAnswer)", "Else",
        "GoTo ExperimentAbort", "End If", "n"},
       "Subject",
       "12",
       kDone,
       {"Sub Main()", kSet12Removed, "n"}},
  });
}

TEST(SetAttribute, SettingAgainReplacesTheValueWrittenBefore) {
  // The rewritten script keeps the conditional default above the line written first;
  // replacing the default would leave the first value in force.
  EBScript script({"Sub Main()", kConditional, kPrompt, kAttrib, "Else", "GoTo ExperimentAbort",
                   "End If", "n"});
  EXPECT_EQ(kDone, SetAttribute(script, "Subject", "12"));
  EXPECT_EQ((Lines{"Sub Main()", kConditional, kSet12Removed, "n"}), script.lines());
  EXPECT_EQ(kDone, SetAttribute(script, "subject", "13"));
  EXPECT_EQ((Lines{"Sub Main()", kConditional,
                   "\tc.SetAttrib \"Subject\", \"13\"   ' value set by Tarvo", "n"}),
            script.lines());
}
