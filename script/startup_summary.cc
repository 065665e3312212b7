#include "script/startup_summary.h"

#include <string>
#include <vector>

#include "base/text_helpers.h"
#include "script/main_routine.h"

namespace {

using Tokens = std::vector<Token>;

// The answer, at the question's own indentation, so the block around it still reads.
std::string Answer(std::string_view question) {
  size_t indent = 0;
  while (indent < question.size() && IsBlank(question[indent]))
    ++indent;
  return std::string(question.substr(0, indent)) + "nSummaryAnswer = ebYes   " + kSummaryComment;
}

// The generated question, which Tarvo answers: "nSummaryAnswer = MsgBox(...)" alone on
// its line(s).
bool IsAnswerable(const Statement& statement) {
  return statement.kind == StatementKind::kAssignment && statement.key == "NSUMMARYANSWER" &&
         statement.value < statement.tokens.size() &&
         statement.tokens[statement.value].IsNameInsensitive("MSGBOX") && statement.startsLine &&
         statement.endsLine;
}

// True when the block jumps back to the prompts or to the abort label.
bool JumpsOut(const MainRoutine& main, const Block& block) {
  size_t end = block.closer ? *block.closer : main.size();
  for (size_t i = block.opener; i < end; ++i) {
    const Statement& statement = main[i];
    if (statement.kind == StatementKind::kGoTo &&
        (statement.key == "STARTUPINFO_BEGIN" || statement.key == "EXPERIMENTABORT"))
      return true;
  }
  return false;
}

// True when the answer of the MsgBox in statement `index` decides a jump to the prompts or
// to the abort label: in the condition of its own block, or through a variable that a
// later block tests.
bool DecidesJump(const MainRoutine& main, size_t index) {
  const Statement& statement = main[index];
  for (const Block& block : main.blocks()) {
    bool own = block.opener == index;
    bool tests = false;
    for (size_t branch : block.branches) {
      const Branch& arm = main.branches()[branch];
      own = own || arm.opener == index;
      tests = tests || (statement.kind == StatementKind::kAssignment && block.opener > index &&
                        MentionsName(arm.condition, statement.key));
    }
    tests = tests || (statement.kind == StatementKind::kAssignment && block.opener > index &&
                      MentionsName(block.selector, statement.key));
    bool decides = statement.kind == StatementKind::kAssignment ? tests : own;
    if (decides && JumpsOut(main, block))
      return true;
  }
  return false;
}

// The line, as loaded, of a question before the data file statement that Tarvo cannot
// answer: one that shows the summary, or whose answer decides a jump to the prompts or
// the abort label, also in a routine of the script called there.
std::optional<size_t> Unanswerable(const MainRoutine& main) {
  size_t end = main.DataFileStatement().value_or(main.size());
  for (size_t i = 0; i < end; ++i) {
    const Statement& statement = main[i];
    const CallSite* call = main.CallsAt(i);
    if (IsAnswerable(statement))
      continue;
    if (call && call->effects.summary)
      return call->effects.summary;
    if (ShowsStartupSummary(statement.tokens) ||
        (MentionsName(statement.tokens, "MSGBOX") && DecidesJump(main, i)))
      return main.LoadedLine(i);
  }
  return std::nullopt;
}

}  // namespace

EditResult AnswerStartupSummary(EBScript& script) {
  std::optional<MainRoutine> main = MainRoutine::Read(script);
  if (!main)
    return {EditOutcome::kNotFound, ""};
  if (std::optional<size_t> line = Unanswerable(*main))
    return {EditOutcome::kRefused,
            "Couldn't answer the startup info summary at line " + std::to_string(*line)};
  std::vector<size_t> questions;
  for (const Statement& statement : main->statements()) {
    if (IsAnswerable(statement))
      questions.push_back(statement.line);
  }
  if (questions.empty())
    return {EditOutcome::kNotFound, ""};
  for (size_t question : questions) {
    if (Answer(script.lines()[question]).size() > EBScript::kLongestLine)
      return {EditOutcome::kTooLong, ""};
  }
  // From the last question up, so the earlier ones keep their places.
  for (auto question = questions.rbegin(); question != questions.rend(); ++question)
    script.ReplaceStatement(*question, Answer(script.lines()[*question]));
  return {EditOutcome::kDone, ""};
}
