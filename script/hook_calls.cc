#include "script/hook_calls.h"

#include <string>

#include "base/text_helpers.h"
#include "script/main_routine.h"

namespace {

// One user routine: how the script defines it, the statement in the main routine below
// which its call goes, its name, the call itself, and whether the call jumps to
// ExperimentAbort.
struct Hook {
  const char* keyword;
  const char* routine;
  bool (*isAnchor)(const MainRoutine& main, size_t index);
  const char* call;
  bool jumpsToAbort;
};

// `label` is squeezed.
bool IsLabel(const Statement& statement, std::string_view label) {
  return statement.kind == StatementKind::kLabel && statement.key == label;
}

const Hook kHandleFilename = {
    "Function", "HandleFilename",
    // The first that begins its line: one in a one-line If before it may not run at all.
    [](const MainRoutine& main, size_t index) { return main.IsDataFileStatement(index); },
    "c.DataFile.Filename = HandleFilename(c) : If Len(c.DataFile.Filename)=0 Then GoTo "
    "ExperimentAbort ",
    true};
const Hook kPreRun = {"Function", "PreRun",
                      [](const MainRoutine& main, size_t index) {
                        const std::vector<Token>& tokens = main[index].tokens;
                        return main[index].kind == StatementKind::kOther && tokens.size() == 2 &&
                               tokens[0].IsNameInsensitive("INITOBJECTS") &&
                               tokens[1].IsNameInsensitive("C");
                      },
                      "If Not PreRun(c.DataFile.Filename) Then GoTo ExperimentAbort ", true};
const Hook kAtExit = {
    "Sub", "AtExit",
    [](const MainRoutine& main, size_t index) { return IsLabel(main[index], "EXPERIMENTFINISH"); },
    "AtExit c.DataFile.Filename ", false};

// The first statement of the main routine that begins its line and is the hook's anchor.
std::optional<size_t> Anchor(const MainRoutine& main, const Hook& hook) {
  for (size_t i = 0; i < main.size(); ++i) {
    if (main[i].startsLine && hook.isAnchor(main, i))
      return i;
  }
  return std::nullopt;
}

bool HasAbortLabel(const MainRoutine& main) {
  for (const Statement& statement : main.statements()) {
    if (IsLabel(statement, "EXPERIMENTABORT"))
      return true;
  }
  return false;
}

// A call stands at or below the anchor: a statement of the main routine that calls the
// routine with parentheses (as the line Tarvo inserts does, so a rewritten script given
// again gains no second call), or any line that begins with the routine's name, plain or
// after Call, down to the end of the script.
bool CallInPlace(const EBScript& script, const MainRoutine& main, const Hook& hook, size_t anchor) {
  for (size_t i = anchor; i < main.size(); ++i) {
    const std::vector<Token>& tokens = main[i].tokens;
    for (size_t t = 0; t + 1 < tokens.size(); ++t) {
      if (tokens[t].kind == Token::kName && EqualsInsensitive(tokens[t].text, hook.routine) &&
          IsSymbol(tokens, t + 1, "("))
        return true;
    }
  }
  size_t line = main[anchor].line;
  return script.FindLine(LineProbe(hook.routine, LineMatch::kBeginsWithWords), line) ||
         script.FindLine(
             LineProbe(std::string("Call ") + hook.routine, LineMatch::kBeginsWithWords), line);
}

EditOutcome InsertCall(EBScript& script, const Hook& hook) {
  std::optional<MainRoutine> main = MainRoutine::Read(script);
  if (!main || !FindRoutineDefinition(script, hook.keyword, hook.routine))
    return EditOutcome::kNotFound;
  std::optional<size_t> anchor = Anchor(*main, hook);
  if (!anchor)
    return EditOutcome::kNotFound;
  if (CallInPlace(script, *main, hook, *anchor))
    return EditOutcome::kDone;
  // Without the label the script would not compile.
  if (hook.jumpsToAbort && !HasAbortLabel(*main))
    return EditOutcome::kNoAbortLabel;
  script.InsertLine((*main)[*anchor].lastLine + 1, std::string(hook.call) + kLineComment);
  return EditOutcome::kDone;
}

}  // namespace

EditOutcome InsertHandleFilenameCall(EBScript& script) {
  return InsertCall(script, kHandleFilename);
}

EditOutcome InsertPreRunCall(EBScript& script) {
  return InsertCall(script, kPreRun);
}

EditOutcome InsertAtExitCall(EBScript& script) {
  return InsertCall(script, kAtExit);
}
