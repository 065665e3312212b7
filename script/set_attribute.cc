#include "script/set_attribute.h"

#include <deque>
#include <string>

#include "base/text_helpers.h"
#include "script/prompt_section.h"
#include "script/value_rule.h"

namespace {

// The unconditional assignment that replaces the script's own; `spelling` is already in
// the script's form.
std::string AssignmentLine(std::string_view spelling, std::string_view value, bool promptRemoved) {
  std::string line = "\tc.SetAttrib \"" + std::string(spelling) + "\", " + StringLiteral(value) +
                     "   " + kValueComment;
  if (promptRemoved)
    line += kPromptRemovedNote;
  return line;
}

EditResult Refusal(std::string line) {
  return {EditOutcome::kRefused, std::move(line)};
}

// The statement whose lines Tarvo's assignment replaces when the script has no prompt
// section for the attribute: the last c.SetAttrib line that Tarvo wrote on an earlier run
// (known by its comment), else the conditional default, even below a plain one, else the first
// plain c.SetAttrib. Replacing the default while Tarvo's own line stands below it would
// leave the earlier value in force. Only a statement alone on its line can be replaced:
// `shared`, where given, gets the first that begins its line and shares it with more.
std::optional<size_t> FindDefaultAssignment(const std::vector<Statement>& statements,
                                            const std::vector<Branch>& branches,
                                            const std::vector<Block>& blocks,
                                            const EBScript& script, const std::string& key,
                                            std::optional<size_t>* shared = nullptr) {
  std::optional<size_t> conditional;
  std::optional<size_t> plain;
  std::optional<size_t> tarvos;
  auto share = [shared](size_t index) {
    if (shared != nullptr && !*shared)
      *shared = index;
  };
  for (size_t i = 0; i < statements.size(); ++i) {
    const Statement& statement = statements[i];
    if (statement.kind != StatementKind::kSetAttrib || statement.key != key ||
        !statement.tokens[0].IsNameInsensitive("C"))
      continue;
    if (IsConditionalDefault(statement, branches, blocks)) {
      const Branch& branch = branches[statement.branch];
      size_t opener = branch.opener;
      if (!statements[opener].startsLine)
        continue;
      if (blocks[branch.block].branches.size() > 1 || branch.end - branch.first > 1)
        share(opener);  // more in its Then or an Else, which the replacement would drop
      else if (!conditional)
        conditional = opener;
    } else if (statement.startsLine && !statement.endsLine) {
      share(i);
    } else if (statement.startsLine) {
      if (script.lines()[statement.lastLine].find(kValueComment) != std::string_view::npos)
        tarvos = i;  // the last one is in force
      plain = plain ? plain : i;
    }
  }
  return tarvos ? tarvos : conditional ? conditional : plain;
}

// The line, as loaded, of the first statement after `after` that may set attribute `key`
// again, so that a value written at `after` would not hold: a SetAttrib of the name, one
// whose name is built of parts that may make it, or a call of a routine of the script
// that may set it. A conditional default does not, nor a statement in a branch that does
// not run.
std::optional<size_t> SetAgain(const MainRoutine& routine, const RunJudge& runs, size_t after,
                               const std::string& key) {
  for (size_t i : routine.SettersOf(key)) {
    size_t line = 0;
    if (i > after && routine.SetsAttribute(i, key, &line) != MainRoutine::Setting::kNo &&
        !routine.IsConditionalDefault(i) && runs.WhetherRuns(i) != Runs::kNo)
      return line;
  }
  return std::nullopt;
}

// Why the prompt section cannot give way to a fixed value, or "".
std::string SectionRefusal(const MainRoutine& routine, const RunJudge& runs,
                           const PromptSection& section, std::string_view name,
                           std::string_view value) {
  std::string named(name);
  if (!section.assignment || !section.end)
    return "Couldn't find the end of the prompt for " + named;
  if (runs.WhetherRuns(section.label) != Runs::kYes)
    return "Couldn't set attribute value for " + named + ": its prompt runs only in a branch";
  ValueRule rule = ReadValueRule(routine, section);
  if (rule.unreadable)
    return "Couldn't read the check of the prompt for " + named + ": " + *rule.unreadable;
  if (!rule.Accepts(std::string(value)))
    return "Invalid value for " + named + ": " + std::string(value) + " (" + rule.Describe() + ")";
  return "";
}

std::string InABranchLine(std::string_view name) {
  return "Couldn't set attribute value for " + std::string(name) +
         ": its assignment runs only in a branch";
}

// The assignment line for the default at `target`; a conditional default is replaced with
// the one-line If around it.
std::string DefaultReplacement(const std::vector<Statement>& statements, size_t target,
                               std::string_view value) {
  bool conditional = statements[target].kind == StatementKind::kIf;
  std::string_view literal = statements[conditional ? target + 1 : target].tokens[3].text;
  return AssignmentLine(literal.substr(1, literal.size() - 2), value, false);
}

// A routine after the main routine, its statements kept with the code they point into.
struct LaterRoutine : StatementSink {
  void Take(const Statement& statement, const RoutineShape&) override {
    statements.push_back(statement);
  }
  std::vector<Statement> statements;
  std::deque<std::string> code;
};

std::string SetAgainLine(std::string_view name, size_t line) {
  return "Attribute " + std::string(name) + " is set again in the script at line " +
         std::to_string(line);
}

// An attribute that the main routine neither prompts for nor assigns may be assigned in a
// routine after it: the first such routine's assignment is replaced, as one in the main
// routine would be, when the main routine's one statement that may set the attribute is a
// call that reaches that very assignment, for sure. An assignment no call reaches would
// never run; one in a block of its routine may not.
EditResult SetInLaterRoutine(EBScript& script, const MainRoutine& main, const RunJudge& runs,
                             std::string_view name, const std::string& key,
                             std::string_view value) {
  std::optional<size_t> number = ScriptRoutines::Of(script).FirstLaterSetter(key);
  // Edits of the main routine above it have moved it.
  std::optional<size_t> header = number ? script.IndexOfLoadedLine(*number) : std::nullopt;
  if (!header)
    return {EditOutcome::kNotFound, ""};
  LaterRoutine routine;
  RoutineShape shape = ReadRoutine(script, *header, routine, &routine.code);
  std::optional<size_t> target =
      FindDefaultAssignment(routine.statements, shape.branches, shape.blocks, script, key);
  std::vector<size_t> setters = main.SettersOf(key);
  size_t reached = 0;
  if (!target || setters.empty() || main.CallsAt(setters[0]) == nullptr ||
      main.SetsAttribute(setters[0], key, &reached) == MainRoutine::Setting::kNo ||
      reached != script.LoadedLineNumber(routine.statements[*target].line))
    return {EditOutcome::kNotFound, ""};
  if (runs.WhetherRuns(setters[0]) != Runs::kYes || routine.statements[*target].branch != kNoBranch)
    return Refusal(InABranchLine(name));
  if (std::optional<size_t> again = SetAgain(main, runs, setters[0], key))
    return Refusal(SetAgainLine(name, *again));
  std::string replacement = DefaultReplacement(routine.statements, *target, value);
  if (replacement.size() > EBScript::kLongestLine)
    return {EditOutcome::kTooLong, ""};
  script.ReplaceStatement(routine.statements[*target].line, std::move(replacement));
  return {EditOutcome::kDone, ""};
}

}  // namespace

EditResult SetAttribute(EBScript& script, std::string_view name, std::string_view value,
                        const AttributesBySqueezedName& given) {
  std::optional<MainRoutine> routine = MainRoutine::Read(script);
  if (!routine)
    return {EditOutcome::kNotFound, ""};
  std::string key = SqueezeText(name);
  // A prompt elsewhere still asks, and sets the attribute from the answer.
  if (const std::string* routineName = ScriptRoutines::Of(script).PromptRoutine(key)) {
    return Refusal("Couldn't set attribute value for " + std::string(name) +
                   ": its prompt is in the routine " + *routineName);
  }
  RunJudge runs(*routine, given);

  if (std::optional<PromptSection> section = FindPromptSection(*routine, name)) {
    std::string refusal = SectionRefusal(*routine, runs, *section, name, value);
    if (!refusal.empty())
      return Refusal(refusal);
    std::string line = AssignmentLine(section->name, value, true);
    if (line.size() > EBScript::kLongestLine)
      return {EditOutcome::kTooLong, ""};
    if (std::optional<size_t> again = SetAgain(*routine, runs, *section->end, key))
      return Refusal(SetAgainLine(name, *again));
    // The section goes, whole blocks of it; the new assignment takes the label's place.
    // One erase, since every line below moves.
    size_t label = (*routine)[section->label].line;
    script.EraseLines(label + 1, (*routine)[*section->end].lastLine + 1);
    script.ReplaceLine(label, std::move(line));
    return {EditOutcome::kDone, ""};
  }
  std::optional<size_t> shared;
  std::optional<size_t> target = FindDefaultAssignment(routine->statements(), routine->branches(),
                                                       routine->blocks(), script, key, &shared);
  // The script's own value would hold, as if the run had set it.
  if (!target && shared && runs.WhetherRuns(*shared) != Runs::kNo) {
    return Refusal("Couldn't set attribute value for " + std::string(name) +
                   ": its assignment at line " + std::to_string(routine->LoadedLine(*shared)) +
                   " shares its line with other statements");
  }
  if (!target)
    return SetInLaterRoutine(script, *routine, runs, name, key, value);
  if (runs.WhetherRuns(*target) != Runs::kYes)
    return Refusal(InABranchLine(name));
  std::string line = DefaultReplacement(routine->statements(), *target, value);
  if (line.size() > EBScript::kLongestLine)
    return {EditOutcome::kTooLong, ""};
  bool conditional = (*routine)[*target].kind == StatementKind::kIf;
  size_t after = conditional ? routine->CloserOf(*target).value_or(*target + 1) : *target;
  if (std::optional<size_t> again = SetAgain(*routine, runs, after, key))
    return Refusal(SetAgainLine(name, *again));
  script.ReplaceStatement((*routine)[*target].line, std::move(line));
  return {EditOutcome::kDone, ""};
}
