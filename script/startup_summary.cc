#include "script/startup_summary.h"

#include <string>
#include <vector>

#include "base/text_helpers.h"
#include "script/statements.h"

namespace {

// The answer, at the question's own indentation, so the block around it still reads.
std::string Answer(std::string_view question) {
  size_t indent = 0;
  while (indent < question.size() && IsBlank(question[indent]))
    ++indent;
  return std::string(question.substr(0, indent)) + "nSummaryAnswer = ebYes   " + kSummaryComment;
}

}  // namespace

EditOutcome AnswerStartupSummary(EBScript& script) {
  std::optional<MainRoutine> main = MainRoutine::Read(script);
  std::vector<size_t> questions;
  for (size_t i = 0; main && i < main->size(); ++i) {
    const Statement& statement = (*main)[i];
    if (statement.kind == StatementKind::kAssignment && statement.key == "NSUMMARYANSWER" &&
        statement.value < statement.tokens.size() &&
        statement.tokens[statement.value].IsNameInsensitive("MSGBOX") && statement.startsLine &&
        statement.endsLine)
      questions.push_back(statement.line);
  }
  if (questions.empty())
    return EditOutcome::kNotFound;
  for (size_t question : questions) {
    if (Answer(script.lines()[question]).size() > EBScript::kLongestLine)
      return EditOutcome::kTooLong;
  }
  // From the last question up, so the earlier ones keep their places.
  for (auto question = questions.rbegin(); question != questions.rend(); ++question)
    script.ReplaceStatement(*question, Answer(script.lines()[*question]));
  return EditOutcome::kDone;
}
