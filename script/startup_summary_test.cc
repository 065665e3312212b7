#include <gtest/gtest.h>

#include "script/eb_script.h"

namespace {

using Lines = std::vector<std::string>;

}  // namespace

TEST(AnswerStartupSummary, ReplacesTheFirstQuestionAfterSubMain) {
  const char* const question =
      "nSummaryAnswer = MsgBox(strSummary, ebYesNoCancel + ebQuestion, \"Summary\")";
  EBScript script;
  script.lines = {question, "Sub Main()", "\t\t' nSummaryAnswer = MsgBox(x)",
                  std::string(" \t ") + "NSUMMARYANSWER=msgbox (s)", question};
  EXPECT_TRUE(script.AnswerStartupSummary());
  EXPECT_EQ((Lines{question, "Sub Main()", "\t\t' nSummaryAnswer = MsgBox(x)",
                   " \t nSummaryAnswer = ebYes   ' summary answered by Tarvo", question}),
            script.lines);

  // An answered summary is no question any more; nor is anything before Sub Main().
  script.lines = {question, "Sub Main()", "\tnSummaryAnswer = ebYes   ' summary answered by Tarvo"};
  EXPECT_FALSE(script.AnswerStartupSummary());
  script.lines = {question};
  EXPECT_FALSE(script.AnswerStartupSummary());
  EXPECT_EQ(Lines{question}, script.lines);
}
