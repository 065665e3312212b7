#include "script/eb_script.h"

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

void Check(const Row& row) {
  EBScript script;
  script.lines = row.before;
  EXPECT_EQ(row.result, script.SetAttribute(row.name, row.value)) << row.what;
  EXPECT_EQ(row.after, script.lines) << row.what;
}

const char* const kSet12 = "\tc.SetAttrib \"Subject\", \"12\"   ' value set by Tarvo";
const char* const kSet12Removed =
    "\tc.SetAttrib \"Subject\", \"12\"   ' value set by Tarvo; removed user prompt section";

}  // namespace

TEST(SetAttribute, NetEffectByCase) {
  Row rows[] = {
      {"no Sub Main line", {"c.SetAttrib \"Subject\", 1", "StartupInfoPrompt_Subject:"},
       "Subject", "12", false, {"c.SetAttrib \"Subject\", 1", "StartupInfoPrompt_Subject:"}},
      {"no prompt, no attribute line after Sub Main",
       {"c.SetAttrib \"Subject\", 1", "Sub Main()", "x"}, "Subject", "12", false,
       {"c.SetAttrib \"Subject\", 1", "Sub Main()", "x"}},
      {"no prompt, conditional form preferred to an earlier plain one",
       {"Sub Main()", "\tc.SetAttrib \"Subject\", 0",
        "\tIf Not c.AttribExists(\"Subject\") Then c.SetAttrib \"Subject\", \"1\"", "x"},
       "Subject", "12", true, {"Sub Main()", "\tc.SetAttrib \"Subject\", 0", kSet12, "x"}},
      {"no prompt, plain form only",
       {"Sub Main()", "  c.SetAttrib \"Subject\", 0 ' default", "x"}, "Subject", "12", true,
       {"Sub Main()", kSet12, "x"}},
      {"prompt without a plain-form line at or after it",
       {"Sub Main()", "\tc.SetAttrib \"Subject\", 0", "StartupInfoPrompt_Subject:", "\ta",
        "\tEnd If"},
       "Subject", "12", true,
       {"Sub Main()", "\tc.SetAttrib \"Subject\", 0", kSet12Removed, "\ta", "\tEnd If"}},
      {"prompt, plain-form line and abort block",
       {"Sub Main()", "StartupInfoPrompt_Subject:", "\tvAnswer = AskBox(\"?\")",
        "\tIf Not IsEmpty(vAnswer) then", "\t\tc.SetAttrib \"Subject\", CStr(vAnswer)",
        "\tElse", "\t\tGoTo ExperimentAbort", "\tEnd If", "next"},
       "Subject", "12", true, {"Sub Main()", kSet12Removed, "next"}},
      {"prompt directly followed by the plain-form line, no abort block",
       {"Sub Main()", "StartupInfoPrompt_Subject:", "c.SetAttrib \"Subject\", 1", "next"},
       "Subject", "12", true, {"Sub Main()", kSet12Removed, "next"}},
  };
  for (const Row& row : rows)
    Check(row);
}

TEST(SetAttribute, AbortBlockRemovedOnlyInItsExactShape) {
  const char* const prompt = "StartupInfoPrompt_Subject:";
  const char* const attrib = "\t\tc.SetAttrib \"Subject\", CStr(vAnswer)";
  Row rows[] = {
      {"exact shape, any case and spacing",
       {"Sub Main()", prompt, attrib, "  ELSE", "\t\tgoto experimentabort ' stop",
        "\tend if", "n"},
       "Subject", "12", true, {"Sub Main()", kSet12Removed, "n"}},
      {"an extra line before GoTo",
       {"Sub Main()", prompt, attrib, "\tElse", "\tx", "\tGoTo ExperimentAbort", "\tEnd If"},
       "Subject", "12", true,
       {"Sub Main()", kSet12Removed, "\tElse", "\tx", "\tGoTo ExperimentAbort", "\tEnd If"}},
      {"GoTo directly after the attribute line",
       {"Sub Main()", prompt, attrib, "\tGoTo ExperimentAbort", "\tEnd If", "\tx"},
       "Subject", "12", true,
       {"Sub Main()", kSet12Removed, "\tGoTo ExperimentAbort", "\tEnd If", "\tx"}},
      {"a line between GoTo and End If",
       {"Sub Main()", prompt, attrib, "\tElse", "\tGoTo ExperimentAbort", "\tx", "\tEnd If"},
       "Subject", "12", true,
       {"Sub Main()", kSet12Removed, "\tElse", "\tGoTo ExperimentAbort", "\tx", "\tEnd If"}},
      {"End If missing at the end of the script",
       {"Sub Main()", prompt, attrib, "\tElse", "\tGoTo ExperimentAbort"}, "Subject", "12",
       true, {"Sub Main()", kSet12Removed, "\tElse", "\tGoTo ExperimentAbort"}},
      {"GoTo another label",
       {"Sub Main()", prompt, attrib, "\tElse", "\tGoTo ExperimentFinish", "\tEnd If"},
       "Subject", "12", true,
       {"Sub Main()", kSet12Removed, "\tElse", "\tGoTo ExperimentFinish", "\tEnd If"}},
      {"block at the very end is removed too",
       {"Sub Main()", prompt, attrib, "\tElse", "\tGoTo ExperimentAbort", "\tEnd If"},
       "Subject", "12", true, {"Sub Main()", kSet12Removed}},
  };
  for (const Row& row : rows)
    Check(row);
}

TEST(SetAttribute, NamesMatchAsGivenWithPrefixPrompts) {
  Row rows[] = {
      {"the prompt of Subject counts for Sub",
       {"Sub Main()", "StartupInfoPrompt_Subject:", "c.SetAttrib \"Subject\", 1"}, "Sub", "3",
       true,
       {"Sub Main()",
        "\tc.SetAttrib \"Sub\", \"3\"   ' value set by Tarvo; removed user prompt section",
        "c.SetAttrib \"Subject\", 1"}},
      {"SubjectGroup's line is not Subject's",
       {"Sub Main()", "c.SetAttrib \"SubjectGroup\", 1", "c.SetAttrib \"Subject\", 1"},
       "Subject", "12", true, {"Sub Main()", "c.SetAttrib \"SubjectGroup\", 1", kSet12}},
      {"letter case and blanks of the name do not matter for the search",
       {"Sub Main()", "C.SETATTRIB \"SUBJECT\" , 1"}, "sub ject", "1", true,
       {"Sub Main()", "\tc.SetAttrib \"sub ject\", \"1\"   ' value set by Tarvo"}},
      {"lines before Sub Main are never touched",
       {"StartupInfoPrompt_Subject:", "c.SetAttrib \"Subject\", 1", "Sub Main()",
        "c.SetAttrib \"Subject\", 2"},
       "Subject", "12", true,
       {"StartupInfoPrompt_Subject:", "c.SetAttrib \"Subject\", 1", "Sub Main()", kSet12}},
      {"a line in a routine after Sub Main is found",
       {"Sub Main()", "End Sub", "Sub Later()", "c.SetAttrib \"Subject\", 2"}, "Subject", "12",
       true, {"Sub Main()", "End Sub", "Sub Later()", kSet12}},
      {"only the first line is replaced",
       {"Sub Main()", "c.SetAttrib \"Subject\", 1", "c.SetAttrib \"Subject\", 2"}, "Subject",
       "12", true, {"Sub Main()", kSet12, "c.SetAttrib \"Subject\", 2"}},
  };
  for (const Row& row : rows)
    Check(row);
}

TEST(SetAttribute, WritesValuesAsStringLiterals) {
  Row rows[] = {
      {"empty value", {"Sub Main()", "c.SetAttrib \"Subject\", 1"}, "Subject", "", true,
       {"Sub Main()", "\tc.SetAttrib \"Subject\", \"\"   ' value set by Tarvo"}},
      {"quotes in the value are doubled", {"Sub Main()", "c.SetAttrib \"Subject\", 1"},
       "Subject", "a\"b", true,
       {"Sub Main()", "\tc.SetAttrib \"Subject\", \"a\"\"b\"   ' value set by Tarvo"}},
      {"a value cannot inject code", {"Sub Main()", "c.SetAttrib \"Subject\", 1"}, "Subject",
       "1\" : Kill \"x", true,
       {"Sub Main()",
        "\tc.SetAttrib \"Subject\", \"1\"\" : Kill \"\"x\"   ' value set by Tarvo"}},
      {"backslashes stay single", {"Sub Main()", "c.SetAttrib \"Path\", 1"}, "Path", "C:\\d",
       true, {"Sub Main()", "\tc.SetAttrib \"Path\", \"C:\\d\"   ' value set by Tarvo"}},
  };
  for (const Row& row : rows)
    Check(row);
}

TEST(SetAttribute, QuoteInTheNameIsDoubledButSearchedAsGiven) {
  EBScript script;
  script.lines = {"Sub Main()", "c.SetAttrib \"a\"b\", 1"};
  EXPECT_TRUE(script.SetAttribute("a\"b", "v"));
  EXPECT_EQ("\tc.SetAttrib \"a\"\"b\", \"v\"   ' value set by Tarvo", script.lines[1]);
}

TEST(SetAttribute, SettingAgainFindsThePlainForm) {
  EBScript script;
  script.lines = {"Sub Main()", "StartupInfoPrompt_Subject:", "c.SetAttrib \"Subject\", x",
                  "Else", "GoTo ExperimentAbort", "End If", "n"};
  EXPECT_TRUE(script.SetAttribute("Subject", "12"));
  EXPECT_EQ((Lines{"Sub Main()", kSet12Removed, "n"}), script.lines);
  EXPECT_TRUE(script.SetAttribute("subject", "13"));
  EXPECT_EQ((Lines{"Sub Main()", "\tc.SetAttrib \"subject\", \"13\"   ' value set by Tarvo", "n"}),
            script.lines);
}

TEST(SetAttribute, SettingAgainReplacesTheEarlierValueNotTheDefault) {
  // A rewritten script keeps the conditional default above the line Tarvo wrote; that
  // later line is what must change, or the earlier value would stay in force.
  EBScript script;
  script.lines = {"Sub Main()",
                  "If Not c.AttribExists(\"Subject\") Then c.SetAttrib \"Subject\", \"1\"",
                  "\tc.SetAttrib \"Subject\", x", kSet12Removed, "n"};
  EXPECT_TRUE(script.SetAttribute("Subject", "13"));
  EXPECT_EQ((Lines{"Sub Main()",
                   "If Not c.AttribExists(\"Subject\") Then c.SetAttrib \"Subject\", \"1\"",
                   "\tc.SetAttrib \"Subject\", x",
                   "\tc.SetAttrib \"Subject\", \"13\"   ' value set by Tarvo", "n"}),
            script.lines);
}

TEST(SetAttribute, SectionsInARowAndNested) {
  const Lines twoInARow = {
      "Sub Main()",
      "StartupInfoPrompt_Session:", "\ta", "\tc.SetAttrib \"Session\", v", "\tElse",
      "\tGoTo ExperimentAbort", "\tEnd If",
      "StartupInfoPrompt_Subject:", "\tb", "\tc.SetAttrib \"Subject\", v", "\tElse",
      "\tGoTo ExperimentAbort", "\tEnd If",
      "n"};
  EBScript script;
  script.lines = twoInARow;
  EXPECT_TRUE(script.SetAttribute("Session", "1"));
  EXPECT_TRUE(script.SetAttribute("Subject", "12"));
  EXPECT_EQ((Lines{"Sub Main()",
                   "\tc.SetAttrib \"Session\", \"1\"   ' value set by Tarvo; removed user "
                   "prompt section",
                   kSet12Removed, "n"}),
            script.lines);

  // Subject's prompt lies inside Session's range: Session's call takes it along, and
  // Subject's own line is then replaced without the suffix.
  script.lines = {"Sub Main()", "StartupInfoPrompt_Session:", "StartupInfoPrompt_Subject:",
                  "\tc.SetAttrib \"Session\", v", "\tElse", "\tGoTo ExperimentAbort",
                  "\tEnd If", "\tc.SetAttrib \"Subject\", v", "\tElse",
                  "\tGoTo ExperimentAbort", "\tEnd If"};
  EXPECT_TRUE(script.SetAttribute("Session", "1"));
  EXPECT_TRUE(script.SetAttribute("Subject", "12"));
  EXPECT_EQ((Lines{"Sub Main()",
                   "\tc.SetAttrib \"Session\", \"1\"   ' value set by Tarvo; removed user "
                   "prompt section",
                   kSet12, "\tElse", "\tGoTo ExperimentAbort", "\tEnd If"}),
            script.lines);
}

TEST(SetAttribute, KeepsTheCachedSubMainLine) {
  EBScript script;
  script.lines = {"x", "Sub Main()", "StartupInfoPrompt_Subject:", "a",
                  "c.SetAttrib \"Subject\", 1"};
  EXPECT_TRUE(script.SetAttribute("Subject", "12"));
  EXPECT_EQ(1, script.subMainLine);
  EXPECT_EQ(1, script.FindSubMain());
}
