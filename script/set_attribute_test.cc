#include "script/set_attribute.h"

#include <gtest/gtest.h>

namespace {

using Lines = std::vector<std::string>;

struct Row {
  const char* what;
  Lines before;
  const char* name;
  const char* value;
  bool result;
  Lines after;
};

void CheckRows(const std::vector<Row>& rows) {
  for (const Row& row : rows) {
    EBScript script(row.before);
    EXPECT_EQ(row.result, SetAttribute(script, row.name, row.value)) << row.what;
    EXPECT_EQ(row.after, script.lines().ToVector()) << row.what;
  }
}

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
      {"no Sub Main line",
       {"c.SetAttrib \"Subject\", 1", kPrompt},
       "Subject",
       "12",
       false,
       {"c.SetAttrib \"Subject\", 1", kPrompt}},
      {"no prompt, no attribute line after Sub Main",
       {"c.SetAttrib \"Subject\", 1", "Sub Main()", "x"},
       "Subject",
       "12",
       false,
       {"c.SetAttrib \"Subject\", 1", "Sub Main()", "x"}},
      {"no prompt: the conditional form wins over an earlier plain one",
       {"Sub Main()", "\tc.SetAttrib \"Subject\", 0", kConditional, "x"},
       "Subject",
       "12",
       true,
       {"Sub Main()", "\tc.SetAttrib \"Subject\", 0", kSet12, "x"}},
      {"prompt without a plain-form line at or after it",
       {"Sub Main()", "\tc.SetAttrib \"Subject\", 0", kPrompt, "\ta"},
       "Subject",
       "12",
       true,
       {"Sub Main()", "\tc.SetAttrib \"Subject\", 0", kSet12Removed, "\ta"}},
      {"prompt, plain-form line and abort block",
       {"Sub Main()", kPrompt, "\tvAnswer = AskBox(\"?\")", "\tIf Not IsEmpty(vAnswer) then",
        kAttrib, "\tElse", "\t\tGoTo ExperimentAbort", "\tEnd If", "next"},
       "Subject",
       "12",
       true,
       {"Sub Main()", kSet12Removed, "next"}},
  });
}

TEST(SetAttribute, AbortBlockRemovedOnlyInItsExactShape) {
  CheckRows({
      {"exact shape, any case and spacing, comments after Else and GoTo",
       {"Sub Main()", kPrompt, kAttrib, "  ELSE ' none", "\t\tgoto experimentabort ' x", "end if",
        "n"},
       "Subject",
       "12",
       true,
       {"Sub Main()", kSet12Removed, "n"}},
      {"any other first line keeps all three",
       {"Sub Main()", kPrompt, kAttrib, "\tElseIf x Then", "\tGoTo ExperimentAbort", "\tEnd If"},
       "Subject",
       "12",
       true,
       {"Sub Main()", kSet12Removed, "\tElseIf x Then", "\tGoTo ExperimentAbort", "\tEnd If"}},
      {"an extra line before GoTo",
       {"Sub Main()", kPrompt, kAttrib, "Else", "x", "GoTo ExperimentAbort", "End If"},
       "Subject",
       "12",
       true,
       {"Sub Main()", kSet12Removed, "Else", "x", "GoTo ExperimentAbort", "End If"}},
      {"a line between GoTo and End If",
       {"Sub Main()", kPrompt, kAttrib, "Else", "GoTo ExperimentAbort", "x", "End If"},
       "Subject",
       "12",
       true,
       {"Sub Main()", kSet12Removed, "Else", "GoTo ExperimentAbort", "x", "End If"}},
      {"the block cut short by the end of the script",
       {"Sub Main()", kPrompt, kAttrib, "Else", "GoTo ExperimentAbort"},
       "Subject",
       "12",
       true,
       {"Sub Main()", kSet12Removed, "Else", "GoTo ExperimentAbort"}},
  });
}

TEST(SetAttribute, WhichNamesAndLinesMatch) {
  CheckRows({
      {"Sub has no prompt of its own in Subject's",
       {"Sub Main()", kPrompt, kAttrib},
       "Sub",
       "3",
       false,
       {"Sub Main()", kPrompt, kAttrib}},
      {"Session's section does not begin at SessionType's label",
       {"Sub Main()", "StartupInfoPrompt_SessionType:", "\tc.SetAttrib \"SessionType\", v",
        "StartupInfoPrompt_Session: ' label", "\tc.SetAttrib \"Session\", v", "n"},
       "Session",
       "2",
       true,
       {"Sub Main()", "StartupInfoPrompt_SessionType:", "\tc.SetAttrib \"SessionType\", v",
        "\tc.SetAttrib \"Session\", \"2\"   ' value set by Tarvo; removed user prompt section",
        "n"}},
      {"SubjectGroup's line is not Subject's",
       {"Sub Main()", "c.SetAttrib \"SubjectGroup\", 1", "c.SetAttrib \"Subject\", 1"},
       "Subject",
       "12",
       true,
       {"Sub Main()", "c.SetAttrib \"SubjectGroup\", 1", kSet12}},
      {"lines before Sub Main are never touched",
       {kPrompt, "c.SetAttrib \"Subject\", 1", "Sub Main()", "c.SetAttrib \"Subject\", 2"},
       "Subject",
       "12",
       true,
       {kPrompt, "c.SetAttrib \"Subject\", 1", "Sub Main()", kSet12}},
  });
}

TEST(SetAttribute, WritesOneStringLiteral) {
  CheckRows({
      {"empty value",
       {"Sub Main()", kAttrib},
       "Subject",
       "",
       true,
       {"Sub Main()", "\tc.SetAttrib \"Subject\", \"\"   ' value set by Tarvo"}},
      {"a quote in the value cannot end the literal",
       {"Sub Main()", kAttrib},
       "Subject",
       "1\" : Kill \"x",
       true,
       {"Sub Main()", "\tc.SetAttrib \"Subject\", \"1\"\" : Kill \"\"x\"   ' value set by Tarvo"}},
      {"backslashes in the value are doubled, not in the name",
       {"Sub Main()", "c.SetAttrib \"D\\x\", 1"},
       "D\\x",
       "C:\\temp\\\\n",
       true,
       {"Sub Main()", "\tc.SetAttrib \"D\\x\", \"C:\\\\temp\\\\\\\\n\"   ' value set by Tarvo"}},
      {"a quote in the name is doubled but searched as given",
       {"Sub Main()", "c.SetAttrib \"a\"b\", 1"},
       "a\"b",
       "v",
       true,
       {"Sub Main()", "\tc.SetAttrib \"a\"\"b\", \"v\"   ' value set by Tarvo"}},
  });
}

TEST(SetAttribute, SettingAgainReplacesTheValueWrittenBefore) {
  // The rewritten script keeps the conditional default above the line written first;
  // replacing the default would leave the first value in force.
  EBScript script({"Sub Main()", kConditional, kPrompt, kAttrib, "Else", "GoTo ExperimentAbort",
                   "End If", "n"});
  EXPECT_TRUE(SetAttribute(script, "Subject", "12"));
  EXPECT_EQ((Lines{"Sub Main()", kConditional, kSet12Removed, "n"}), script.lines().ToVector());
  EXPECT_TRUE(SetAttribute(script, "subject", "13"));
  EXPECT_EQ((Lines{"Sub Main()", kConditional,
                   "\tc.SetAttrib \"subject\", \"13\"   ' value set by Tarvo", "n"}),
            script.lines().ToVector());
}
