#include "script/set_attribute.h"

#include <string>

#include "script/prompt_section.h"
#include "textfile/text_helpers.h"

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

// The name in the literal after SetAttrib on an assignment line, as the line spells it.
std::string_view AssignedName(std::string_view line) {
  std::string squeezed = SqueezeText(line);
  const std::string kCall = "SETATTRIB\"";
  std::string_view rest = RawAfterSqueezed(line, squeezed.find(kCall) + kCall.size());
  return rest.substr(0, rest.find('"'));
}

// True when the "Else / GoTo ExperimentAbort / End If" tail of a prompt section follows
// the line `last` directly, in exactly that shape. Only that shape goes: anything else
// below the assignment belongs to the rest of the script.
bool AbortBlockFollows(const EBScript& script, size_t last) {
  static const LineProbe kElse("Else", LineMatch::kIs);
  static const LineProbe kGoToAbort("GoTo ExperimentAbort");
  static const LineProbe kEndIf("End If");
  const std::vector<std::string>& lines = script.lines();
  size_t first = last + 1;
  return first + 2 < lines.size() && kElse.Matches(lines[first]) &&
         kGoToAbort.Matches(lines[first + 1]) && kEndIf.Matches(lines[first + 2]);
}

// The line to replace when the script has no prompt section for `name`: a plain-form
// assignment that Tarvo wrote on an earlier run (found by its comment), else the
// conditional default, even below a plain one, else the first plain-form assignment.
// Replacing the default while Tarvo's own line stands below it would leave the earlier
// value in force.
std::optional<size_t> FindDefaultAssignment(const EBScript& script, std::string_view name,
                                            size_t subMain) {
  std::optional<size_t> firstPlain = script.FindAttribLine(name, subMain, AttribForm::kPlain);
  for (std::optional<size_t> line = firstPlain; line;
       line = script.FindAttribLine(name, *line + 1, AttribForm::kPlain)) {
    if (script.lines()[*line].find(kValueComment) != std::string_view::npos)
      return line;
  }
  if (std::optional<size_t> conditional =
          script.FindAttribLine(name, subMain, AttribForm::kConditional))
    return conditional;
  return firstPlain;
}

}  // namespace

EditOutcome SetAttribute(EBScript& script, std::string_view name, std::string_view value) {
  std::optional<size_t> subMain = script.FindSubMain();
  if (!subMain)
    return EditOutcome::kNotFound;

  if (std::optional<PromptSection> section = FindPromptSection(script, name)) {
    if (!section->assignment)
      return EditOutcome::kNotFound;
    std::string line = AssignmentLine(section->name, value, true);
    if (line.size() > EBScript::kLongestLine)
      return EditOutcome::kTooLong;
    // The section from its label to its assignment goes, with the abort block after it;
    // the new assignment takes the label's place. One erase, since every line below moves.
    size_t last = script.StatementEnd(*section->assignment);
    if (AbortBlockFollows(script, last))
      last += 3;
    script.EraseLines(section->label + 1, last + 1);
    script.ReplaceLine(section->label, std::move(line));
    return EditOutcome::kDone;
  }
  std::optional<size_t> target = FindDefaultAssignment(script, name, *subMain);
  if (!target)
    return EditOutcome::kNotFound;
  std::string line = AssignmentLine(AssignedName(script.lines()[*target]), value, false);
  if (line.size() > EBScript::kLongestLine)
    return EditOutcome::kTooLong;
  script.ReplaceStatement(*target, std::move(line));
  return EditOutcome::kDone;
}
