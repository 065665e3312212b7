#include "script/eb_script.h"

bool EBScript::AnswerStartupSummary() {
  int32_t subMain = FindSubMain();
  if (subMain < 0)
    return false;
  int32_t line = FindLine("nSummaryAnswer = MsgBox(", static_cast<uint32_t>(subMain), true);
  if (line < 0)
    return false;
  // The answer keeps the question's indentation, so the block around it still reads.
  std::string_view question = lines[static_cast<size_t>(line)];
  std::string answer(question.substr(0, question.find_first_not_of(" \t")));
  lines.Replace(static_cast<size_t>(line),
                answer + "nSummaryAnswer = ebYes   ' summary answered by Tarvo");
  return true;
}
