#include "script/set_attribute.h"

#include <string>

#include "script/prompt_section.h"

namespace {

// The unconditional assignment that replaces the script's own.
std::string AssignmentLine(std::string_view name, std::string_view value, bool promptRemoved) {
  std::string line =
      "\tc.SetAttrib " + NameLiteral(name) + ", " + StringLiteral(value) + "   " + kValueComment;
  if (promptRemoved)
    line += kPromptRemovedNote;
  return line;
}

// True when the "Else / GoTo ExperimentAbort / End If" tail of a prompt section follows
// the line at `assignment` directly, in exactly that shape. Only that shape goes:
// anything else below the assignment belongs to the rest of the script.
bool AbortBlockFollows(const EBScript& script, size_t assignment) {
  static const LineProbe kElse("Else", LineMatch::kIs);
  static const LineProbe kGoToAbort("GoTo ExperimentAbort");
  static const LineProbe kEndIf("End If");
  const LineList& lines = script.lines();
  size_t first = assignment + 1;
  return first + 2 < lines.size() && kElse.Matches(lines[first]) &&
         kGoToAbort.Matches(lines[first + 1]) && kEndIf.Matches(lines[first + 2]);
}

// The line to replace when the script has no prompt section for `name`: a plain-form
// assignment that Tarvo wrote on an earlier run (found by its comment), else the
// conditional default, even below a plain one, else the first plain-form assignment. Replacing the
// default while Tarvo's own line stands below it would leave the earlier value in force.
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

bool SetAttribute(EBScript& script, std::string_view name, std::string_view value) {
  std::optional<size_t> subMain = script.FindSubMain();
  if (!subMain)
    return false;

  std::optional<PromptSection> section = FindPromptSection(script, name);
  size_t target;
  if (!section) {
    std::optional<size_t> line = FindDefaultAssignment(script, name, *subMain);
    if (!line)
      return false;
    target = *line;
  } else {
    if (section->assignment) {
      // The section from its label to its assignment goes, with the abort block after it;
      // the new assignment takes the label's place. One erase, since every line below moves.
      size_t last = *section->assignment;
      if (AbortBlockFollows(script, last))
        last += 3;
      script.EraseLines(section->label + 1, last + 1);
    }
    target = section->label;
  }
  script.ReplaceLine(target, AssignmentLine(name, value, section.has_value()));
  return true;
}
