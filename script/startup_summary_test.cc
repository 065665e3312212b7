#include "script/startup_summary.h"

#include <gtest/gtest.h>

namespace {

using Lines = std::vector<std::string>;

const char* const kDataFile = "c.DataFile.Filename = \"a.txt\"";

// -Y on a script of `routines` and then a main routine of `lines`: "answered", "none",
// or the refusal's line number.
std::string AnswerOf(const Lines& lines, const Lines& routines = {}) {
  Lines all = routines;
  all.push_back("Sub Main()");
  all.insert(all.end(), lines.begin(), lines.end());
  EBScript script(all);
  EditResult result = AnswerStartupSummary(script);
  if (result.outcome == EditOutcome::kRefused) {
    EXPECT_EQ(all, script.lines());
    return result.refusal.substr(result.refusal.rfind(' ') + 1);
  }
  return result.outcome == EditOutcome::kDone ? "answered" : "none";
}

}  // namespace

TEST(AnswerStartupSummary, AMsgBoxItCannotAnswerRefuses) {
  struct Row {
    Lines lines;
    const char* answer;
  } rows[] = {
      {{"\tnSummaryAnswer = MsgBox(s, ebYesNoCancel + ebQuestion, \"Summary of Startup Info\")",
        "\tIf nSummaryAnswer = ebNo Then GoTo StartupInfo_Begin", kDataFile},
       "answered"},
      {{"If MsgBox(s, ebYesNo) <> ebYes Then GoTo ExperimentAbort", kDataFile}, "2"},
      {{"nAnswer = MsgBox(s, ebYesNo)", "If nAnswer = ebNo Then", "GoTo StartupInfo_Begin",
        "End If", kDataFile},
       "2"},
      {{"Select Case MsgBox(s, 3, \"Summary of Startup Info\")", "End Select"}, "2"},
      {{"nSummaryAnswer = MsgBox(s) : x = 1", "If nSummaryAnswer = ebNo Then GoTo ExperimentAbort"},
       "2"},
      // A message, an answer that decides no jump, and the question after the data file.
      {{"MsgBox \"Welcome\"", "n = MsgBox(s)", "If n = ebNo Then x = 1", kDataFile,
        "If ebYes <> MsgBox(\"Overwrite?\", ebYesNo) Then GoTo ExperimentAbort"},
       "none"},
  };
  for (const Row& row : rows)
    EXPECT_EQ(row.answer, AnswerOf(row.lines)) << row.lines[0];
  EXPECT_EQ("2", AnswerOf({"\tShowSummary", kDataFile},
                          {"Sub ShowSummary()", "\tMsgBox s, 3, \"Summary of Startup Info\"",
                           "End Sub"}));
}
