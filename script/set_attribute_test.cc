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
    EXPECT_EQ(row.outcome, SetAttribute(script, row.name, row.value, {}).outcome) << row.what;
    EXPECT_EQ(row.after.empty() ? row.before : row.after, script.lines()) << row.what;
  }
}

const EditOutcome kDone = EditOutcome::kDone;
const EditOutcome kNotFound = EditOutcome::kNotFound;
const EditOutcome kRefused = EditOutcome::kRefused;
const char* const kSet12 = "\tc.SetAttrib \"Subject\", \"12\"   ' value set by Tarvo";
const char* const kSet12Removed =
    "\tc.SetAttrib \"Subject\", \"12\"   ' value set by Tarvo; removed user prompt section";
const char* const kPrompt = "StartupInfoPrompt_Subject:";
const char* const kAttrib = "\t\tc.SetAttrib \"Subject\", CStr(vAnswer)";
const char* const kAsk = "\tvAnswer = AskBox(\"?\", 1)";
const char* const kUseDefaults =
    "If c.AttribExists(\"StartupInfo.UseDefaults\") Then b = "
    "CLogical(c.GetAttrib(\"StartupInfo.UseDefaults\"))";
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
      // A default in a block of its own is a plain assignment in a branch that runs.
      {"a conditional default over three lines",
       {"Sub Main()", "If Not c.AttribExists(\"Subject\") Then", "\tc.SetAttrib \"Subject\", \"1\"",
        "End If"},
       "Subject",
       "12",
       kDone,
       {"Sub Main()", "If Not c.AttribExists(\"Subject\") Then", kSet12, "End If"}},
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
  for (const char* end :
       {"StartupInfoPrompt_Session:", "StartupInfoPrompt_Session", "  nSummaryAnswer = MsgBox(s)",
        "c.DataFile.Filename = x", "\tInitObjects c"})
    CheckRows(
        {{end, {"Sub Main()", kPrompt, "\tv = 1", end, kAttrib}, "Subject", "1", kRefused, {}}});
  CheckRows({{"no assignment at all", {"Sub Main()", kPrompt, "x"}, "Subject", "1", kRefused, {}}});
}

// The section goes as whole blocks, the abort block with it, whatever stands in them.
TEST(SetAttribute, SectionGoesAsWholeBlocks) {
  const Lines removed = {"Sub Main()", kSet12Removed, "n"};
  CheckRows({
      {"a hand-added assignment after the question",
       {"Sub Main()", kPrompt, kAsk, "\tc.SetAttrib \"Subject\", \"1\"",
        "If Not IsEmpty(vAnswer) Then", kAttrib, "Else", "GoTo ExperimentAbort", "End If", "n"},
       "Subject",
       "12",
       kDone,
       removed},
      {"a line after the assignment in its block, at the end of the file",
       {"Sub Main()", kPrompt, kAsk, "If Not IsEmpty(vAnswer) Then", kAttrib, "nTries = 0", "Else",
        "GoTo ExperimentAbort", "End If"},
       "Subject",
       "12",
       kDone,
       {"Sub Main()", kSet12Removed}},
      {"the assignment inside the inner check",
       {"Sub Main()", kPrompt, kAsk, "If Not IsEmpty(vAnswer) Then",
        "If Not IsNumeric(vAnswer) Then", "GoTo StartupInfoPrompt_Subject", "Else", kAttrib,
        "End If", "Else", "GoTo ExperimentAbort", "End If", "n"},
       "Subject",
       "12",
       kDone,
       removed},
      {"inside the generator's flag that is False",
       {"Sub Main()", "b = False", kUseDefaults, "If Not b Then", kPrompt, kAsk, kAttrib, "End If"},
       "Subject",
       "12",
       kDone,
       {"Sub Main()", "b = False", kUseDefaults, "If Not b Then", kSet12Removed, "End If"}},
  });
}

// What keeps a fixed value from holding refuses the run, with the line that says why.
TEST(SetAttribute, Refusals) {
  const char* const kEnd = "Couldn't find the end of the prompt for Subject";
  struct Refusal {
    const char* what;
    Lines before;
    std::string refusal;
  } rows[] = {
      {"a prompt that may not run",
       {"Sub Main()", "b = True", "If Not b Then", kPrompt, kAsk, kAttrib, "End If"},
       "Couldn't set attribute value for Subject: its prompt runs only in a branch"},
      {"a flag the script may take from StartupInfo.UseDefaults",
       {"Sub Main()", "c.SetAttrib \"StartupInfo.UseDefaults\", \"1\"", "b = False", kUseDefaults,
        "If Not b Then", kPrompt, kAsk, kAttrib, "End If"},
       "Couldn't set attribute value for Subject: its prompt runs only in a branch"},
      {"the prompt label given twice", {"Sub Main()", kPrompt, kAsk, kAttrib, kPrompt}, kEnd},
      {"an assignment that may not run",
       {"Sub Main()", "If x Then", "\tc.SetAttrib \"Subject\", \"1\"", "End If"},
       "Couldn't set attribute value for Subject: its assignment runs only in a branch"},
      // Replacing the line would drop the rest of it; the script's own value would hold.
      {"an assignment that shares its line",
       {"Sub Main()", "\tc.SetAttrib \"Subject\", \"1\" : x = 2"},
       "Couldn't set attribute value for Subject: its assignment at line 2 shares its line with "
       "other statements"},
      {"a default with more in its Then",
       {"Sub Main()", "If Not c.AttribExists(\"Subject\") Then c.SetAttrib \"Subject\", 1 : n = 2"},
       "Couldn't set attribute value for Subject: its assignment at line 2 shares its line with "
       "other statements"},
      {"or an Else",
       {"Sub Main()", "n = 1",
        "If Not c.AttribExists(\"Subject\") Then c.SetAttrib \"Subject\", 1 Else n = 2"},
       "Couldn't set attribute value for Subject: its assignment at line 3 shares its line with "
       "other statements"},
      {"so in a routine after the main routine, or its call",
       {"Sub Main()", "B c", "End Sub", "Sub B(c As Context)", "If x Then",
        "c.SetAttrib \"Subject\", 1", "End If", "End Sub"},
       "Couldn't set attribute value for Subject: its assignment runs only in a branch"},
      {"the call in a branch",
       {"Sub Main()", "If x Then B c", "End Sub", "Sub B(c As Context)",
        "c.SetAttrib \"Subject\", 1", "End Sub"},
       "Couldn't set attribute value for Subject: its assignment runs only in a branch"},
      {"set again by a routine called after the one that sets it",
       {"Sub Main()", "B c", "C c", "End Sub", "Sub B(c As Context)", "c.SetAttrib \"Subject\", 1",
        "End Sub", "Sub C(c As Context)", "c.SetAttrib \"Subject\", 2", "End Sub"},
       "Attribute Subject is set again in the script at line 9"},
      {"set again, in a branch that may run",
       {"Sub Main()", kPrompt, kAsk, kAttrib, "If x Then c.SetAttrib \"Subject\", \"2\""},
       "Attribute Subject is set again in the script at line 5"},
      {"set by a name that is no literal",
       {"Sub Main()", kPrompt, kAsk, kAttrib, "c.SetAttrib sName, 2"},
       "Attribute Subject is set again in the script at line 5"},
      // What the routines of the script that the main routine calls can set.
      {"a routine called after sets it by a name that ends so",
       {"Sub SetUp(c As Context)", "\tc.SetAttrib \"Sub\" & \"ject\", 1", "End Sub", "Sub Main()",
        kPrompt, kAsk, kAttrib, "\tSetUp c"},
       "Attribute Subject is set again in the script at line 8"},
      {"its prompt in a routine wins",
       {"Sub Ask(c As Context)", kPrompt, kAsk, kAttrib, "End Sub", "Sub Main()", kConditional,
        "\tAsk c"},
       "Couldn't set attribute value for Subject: its prompt is in the routine Ask"},
      {"a jump from outside to the label",
       {"Sub Main()", kPrompt, kAsk, kAttrib, "GoTo StartupInfoPrompt_Subject"},
       kEnd},
      {"set from vAnswer elsewhere too",
       {"Sub Main()", kPrompt, kAsk, kAttrib, "n = 1", kAttrib},
       kEnd},
      {"a block that the label stands in ends first",
       {"Sub Main()", "If a Then", kPrompt, kAsk, "End If", kAttrib},
       kEnd},
  };
  for (const Refusal& row : rows) {
    EBScript script(row.before);
    EXPECT_EQ(row.refusal, SetAttribute(script, "Subject", "12", {}).refusal) << row.what;
    EXPECT_EQ(row.before, script.lines()) << row.what;
  }
  // A conditional default after the line written does not run once it is set.
  EBScript script({"Sub Main()", kPrompt, kAsk, kAttrib, kConditional});
  EXPECT_EQ(kDone, SetAttribute(script, "Subject", "12", {}).outcome);
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
       {"Sub Main()", "StartupInfoPrompt_SessionType:", "\tc.SetAttrib \"SessionType\", vAnswer",
        "StartupInfoPrompt_Session: ' label", "\tc.SetAttrib \"Session\", vAnswer", "n"},
       "Session",
       "2",
       kDone,
       {"Sub Main()", "StartupInfoPrompt_SessionType:", "\tc.SetAttrib \"SessionType\", vAnswer",
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
      {"a routine after the main routine may assign it, not one before",
       {"Sub A(c As Context)", "c.SetAttrib \"Subject\", 1", "End Sub", "Sub Main()", "\tB c",
        "End Sub", "Sub B(c As Context)", "\tx = 1", "c.SetAttrib \"Subject\", 2", "End Sub"},
       "Subject",
       "12",
       kDone,
       {"Sub A(c As Context)", "c.SetAttrib \"Subject\", 1", "End Sub", "Sub Main()", "\tB c",
        "End Sub", "Sub B(c As Context)", "\tx = 1", kSet12, "End Sub"}},
      {"but not one that the main routine never calls",
       {"Sub Main()", "End Sub", "Sub B(c As Context)", "c.SetAttrib \"Subject\", 2", "End Sub"},
       "Subject",
       "12",
       kNotFound,
       {}},
      {"nor one that it does not call when it calls another",
       {"Sub Main()", "C c", "End Sub", "Sub B(c As Context)", "c.SetAttrib \"Subject\", 2",
        "End Sub", "Sub C(c As Context)", "c.SetAttrib \"Subject\", 3", "End Sub"},
       "Subject",
       "12",
       kNotFound,
       {}},
  });
}

// The written line names the attribute as the script does, whatever the letter case and
// blanks of the name given; the value is one string literal.
TEST(SetAttribute, TheScriptsSpellingAndOneLiteral) {
  CheckRows({
      {"from the label",
       {"Sub Main()", "startupinfoprompt_SubJect :", "c.SETATTRIB \"subject\", vAnswer"},
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
       {"Sub Main()", kPrompt, "If Not IsEmpty(vAnswer) Then", "\tc.SetAttrib \"Subject\", _ ",
        "CStr(vAnswer)", "Else", "GoTo ExperimentAbort", "End If", "n"},
       "Subject",
       "12",
       kDone,
       {"Sub Main()", kSet12Removed, "n"}},
  });
}

TEST(SetAttribute, SettingAgainReplacesTheValueWrittenBefore) {
  // The rewritten script keeps the conditional default above the line written first;
  // replacing the default would leave the first value in force.
  EBScript script({"Sub Main()", kConditional, kPrompt, "If Not IsEmpty(vAnswer) Then", kAttrib,
                   "Else", "GoTo ExperimentAbort", "End If", "n"});
  EXPECT_EQ(kDone, SetAttribute(script, "Subject", "12", {}).outcome);
  EXPECT_EQ((Lines{"Sub Main()", kConditional, kSet12Removed, "n"}), script.lines());
  EXPECT_EQ(kDone, SetAttribute(script, "subject", "13", {}).outcome);
  EXPECT_EQ((Lines{"Sub Main()", kConditional,
                   "\tc.SetAttrib \"Subject\", \"13\"   ' value set by Tarvo", "n"}),
            script.lines());
}
