#include "script/startup_summary.h"

#include <string>

#include "textfile/text_helpers.h"

bool AnswerStartupSummary(EBScript& script) {
  std::optional<size_t> subMain = script.FindSubMain();
  if (!subMain)
    return false;
  std::optional<size_t> line = script.FindLine("nSummaryAnswer = MsgBox(", *subMain);
  if (!line)
    return false;
  // The answer keeps the question's indentation, so the block around it still reads.
  std::string_view question = script.lines()[*line];
  size_t indent = 0;
  while (indent < question.size() && IsBlank(question[indent]))
    ++indent;
  script.ReplaceLine(*line, std::string(question.substr(0, indent)) + "nSummaryAnswer = ebYes   " +
                                kSummaryComment);
  return true;
}
