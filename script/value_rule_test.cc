#include "script/value_rule.h"

#include <gtest/gtest.h>

#include <vector>

#include "script/eb_script.h"

namespace {

// The rule of Subject's prompt section made of `lines`.
ValueRule RuleOf(const std::vector<std::string>& lines) {
  std::vector<std::string> script = {"Sub Main()",
                                     "StartupInfoPrompt_Subject:", "vAnswer = AskBox(\"?\", 1)"};
  script.insert(script.end(), lines.begin(), lines.end());
  script.push_back("c.SetAttrib \"Subject\", CStr(vAnswer)");
  EBScript parsed(script);
  std::optional<MainRoutine> routine = MainRoutine::Read(parsed);
  return ReadValueRule(*routine, *FindPromptSection(*routine, "Subject"));
}

// What the rule says: its description, "-" when it checks nothing, or the line it cannot
// read behind "?".
std::string Described(const std::vector<std::string>& lines) {
  ValueRule rule = RuleOf(lines);
  if (rule.unreadable)
    return "? " + *rule.unreadable;
  return rule.accepted == AnswerSet::All() ? "-" : rule.Describe();
}

const char* const kBack = "\tGoTo StartupInfoPrompt_Subject";
const char* const kAbort = "GoTo ExperimentAbort";

}  // namespace

TEST(ValueRule, ReadsTheRefusingChecksOfASection) {
  struct Row {
    std::vector<std::string> lines;
    std::string described;
  } rows[] = {
      // The generated form: the empty-answer test around the checks is none itself.
      {{"If Not IsEmpty(vAnswer) then", "\tIf Not IsNumeric(vAnswer) then", kBack,
        "\tElseIf CLng(vAnswer) < 0 Then", kBack, "\tElseIf CLng(vAnswer) > 32767 Then ' most",
        kBack, "\tEnd If", "Else", kAbort, "End If"},
       "a whole number from 0 to 32767"},
      {{"If cint( vAnswer ) <= -6 Then", kBack, "ElseIf Val(vAnswer) < -9 Then", kAbort, "End If"},
       "a whole number from -5 to 32767"},  // CInt fails beyond 16 bits
      // Every way out of the prompt refuses; an Else is read as E-Basic runs it.
      {{"If CLng(vAnswer) > 4 Then End", "If CLng(vAnswer) < 1 Then Exit Sub"},
       "a whole number from 1 to 4"},
      {{"If IsNumeric(vAnswer) Then", "\tx = 1", "Else", "\tGoTo StartupInfo_Begin", "End If"},
       "a whole number"},
      {{"If CLng(vAnswer) >= 1 Then nOk = 1 Else GoTo StartupInfoPrompt_Subject"},
       "a whole number of at least 1"},
      {{"Select Case CLng(vAnswer)", "Case Is > 4", kBack, "Case 2 To 3", "Case Else", kAbort,
        "End Select"},
       "a whole number from 2 to 3"},
      {{"nSess = CLng(vAnswer)", "If nSess > 4 Then GoTo StartupInfoPrompt_Subject"},
       "a whole number of at most 4"},
      {{"If CLng(vAnswer) > 100 Then", "\tMsgBox \"old\"", "ElseIf CLng(vAnswer) < 1 Then", kBack,
        "End If"},
       "a whole number of at least 1"},
      {{"If CLng(vAnswer) >= 10 Then : MsgBox \"x\" : " + std::string(kAbort)},
       "a whole number of at most 9"},
      {{"If CLng(vAnswer) < 5 Then", kBack, "ElseIf CLng(vAnswer) > 2 Then", kBack, "End If"},
       "no value can pass: at least 5 and at most 2"},
      // A warning and a condition on anything else check nothing; CLng fails on text.
      {{"If Len(vAnswer) > 100 Then", "\tMsgBox \"That is long\"", "End If", "If bStrict Then",
        kBack, "End If"},
       "-"},
      {{"If Not IsNumeric(vAnswer) Or CLng(vAnswer) < 0 Then", kBack, "End If"},
       "a whole number of at least 0"},
      // Both sides of Or are evaluated: CLng of a text stops E-Run, so text never passes.
      {{"If Not IsNumeric(vAnswer) Or CLng(vAnswer) < 0 Then", "\tMsgBox \"x\"", "End If"},
       "a whole number"},
      // A branch that only shows a message lets every answer through, whatever its condition.
      {{"If Not IsNumeric(vAnswer) then", kBack, "ElseIf CLng(vAnswer) < 0 Then", kBack,
        "ElseIf CLng(vAnswer) > &H7FFF Then", "\tMsgBox \"big\"", "Else", "End If"},
       "a whole number of at least 0"},
      {{"If CLng(vAnswer) > &H7FFF Then", "\tMsgBox \"big\"", "ElseIf CLng(vAnswer) < 0 Then",
        kBack, "End If"},
       "? If CLng(vAnswer) > &H7FFF Then"},
      // What cannot be read, where it refuses.
      {{"n = CLng(vAnswer)", "If bX Then n = 0", "If n > 4 Then " + std::string(kAbort)},
       "? If n > 4 Then GoTo ExperimentAbort"},
      // A routine called for some answers only may refuse them.
      {{"If CLng(vAnswer) > 4 Then Beep : AbortRun"},
       "? If CLng(vAnswer) > 4 Then Beep : AbortRun"},
      {{"If Len(vAnswer) > 9 Then", "\tNoteLong vAnswer", "End If"}, "? If Len(vAnswer) > 9 Then"},
      {{"If CLng(vAnswer) > MAXSUBJECT Then", kBack, "End If"},
       "? If CLng(vAnswer) > MAXSUBJECT Then"},
      {{"If CLng(vAnswer) > &H32 Then " + std::string(kAbort)},
       "? If CLng(vAnswer) > &H32 Then GoTo ExperimentAbort"},
      {{"If Not IsEmpty(vAnswer) Then", "  If CLng(vAnswer) > 50.5 Then", kBack, "End If",
        "End If"},
       "? If CLng(vAnswer) > 50.5 Then"},
      {{"  If CLng(vAnswer) > _  ", "  10 Then", kBack, "End If"}, "a whole number of at most 10"},
      {{"If Len(vAnswer) > 1 Then", "  If x Then", kBack, "  End If", "End If"},
       "? If Len(vAnswer) > 1 Then"},
  };
  for (const Row& row : rows)
    EXPECT_EQ(row.described, Described(row.lines)) << row.lines[0];
}

TEST(ValueRule, AcceptsWholeNumbersWithinTheBounds) {
  ValueRule bounded = RuleOf(
      {"If CLng(vAnswer) < 0 Then", kBack, "ElseIf CLng(vAnswer) > 32767 Then", kBack, "End If"});
  ValueRule whole = RuleOf({"If Not IsNumeric(vAnswer) then", kBack, "End If"});
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
