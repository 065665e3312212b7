#include "script/eb_script.h"

#include "textfile/text_helpers.h"

namespace {

const char* const kValueComment = "' value set by Tarvo";

// The unconditional assignment that replaces the script's own. Quotes are doubled so a
// typed value cannot end the string literal and inject script code; the value's
// backslashes are doubled so "C:\temp" does not become a tab. The name stays as searched.
std::string AssignmentLine(const std::string& name, const std::string& value, bool promptRemoved) {
  std::string line = "\tc.SetAttrib \"" + DoubleQuotes(name) + "\", \"" +
                     EscapeBackslashes(DoubleQuotes(value).c_str()) + "\"   " + kValueComment;
  if (promptRemoved)
    line += "; removed user prompt section";
  return line;
}

// True when the "Else / GoTo ExperimentAbort / End If" tail of a prompt section follows
// the attribute line at `attrib` directly, in exactly that shape.
bool AbortBlockFollows(const EBScript& script, int32_t attrib) {
  int32_t abort = script.FindLine("GoTo ExperimentAbort", static_cast<uint32_t>(attrib), true);
  return abort == attrib + 2 &&
         script.FindLine("End If", static_cast<uint32_t>(abort), true) == attrib + 3;
}

// A plain-form assignment of `name` that Tarvo wrote on an earlier run, found by its
// comment, searching on from `firstPlain`, the first plain-form line. Setting the
// attribute again must replace this line: replacing the script's conditional default
// instead would leave the earlier value in force after it.
int32_t FindOwnAssignment(const EBScript& script, const std::string& name, int32_t firstPlain) {
  for (int32_t line = firstPlain; line >= 0; line = script.FindAttribLine(name, line + 1, false)) {
    if (script.lines[line].find(kValueComment) != std::string_view::npos)
      return line;
  }
  return -1;
}

}  // namespace

bool EBScript::SetAttribute(const std::string& name, const std::string& value) {
  int32_t subMain = FindSubMain();
  if (subMain < 0)
    return false;

  // The name is matched as a prefix, so the prompt of a longer name counts as well.
  int32_t prompt = FindLine("StartupInfoPrompt_" + name, static_cast<uint32_t>(subMain), true);
  int32_t target;
  if (prompt < 0) {
    target = FindOwnAssignment(*this, name, FindAttribLine(name, subMain, false));
    if (target < 0)
      target = FindAttribLine(name, subMain, true);
    if (target < 0)
      return false;
  } else {
    // The first plain-form line at or after the prompt line.
    int32_t attrib = FindAttribLine(name, prompt, false);
    if (attrib >= 0) {
      // The section from the prompt line to the attribute line goes, with the abort block
      // after it; the assignment takes the prompt line's place. One erase, since every
      // line below moves.
      int32_t last = AbortBlockFollows(*this, attrib) ? attrib + 3 : attrib;
      lines.Erase(prompt + 1, last + 1);
    }
    target = prompt;
  }
  lines.Replace(target, AssignmentLine(name, value, prompt >= 0));
  return true;
}
