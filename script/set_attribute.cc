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

bool SqueezedLineStartsWith(const EBScript& script, size_t line, std::string_view probe) {
  return line < script.lines.size() &&
         SqueezeText(script.lines[line], true).compare(0, probe.size(), probe) == 0;
}

// True when the "Else / GoTo ExperimentAbort / End If" tail of a prompt section follows
// the attribute line at `attrib` directly, in exactly that shape. Only that shape goes:
// anything else below the attribute line belongs to the rest of the script.
bool AbortBlockFollows(const EBScript& script, int32_t attrib) {
  size_t first = static_cast<size_t>(attrib) + 1;
  if (first >= script.lines.size())
    return false;
  std::string_view elseLine = script.lines[first];
  if (SqueezeText(elseLine.substr(0, elseLine.find('\'')), true) != "ELSE")
    return false;
  return SqueezedLineStartsWith(script, first + 1, "GOTOEXPERIMENTABORT") &&
         SqueezedLineStartsWith(script, first + 2, "ENDIF");
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

EBScript::PromptSection EBScript::FindPromptSection(const std::string& name) {
  PromptSection section;
  int32_t subMain = FindSubMain();
  if (subMain < 0)
    return section;
  // The label with its colon, so that Sub= does not take the prompt of Subject.
  section.prompt =
      FindLine("StartupInfoPrompt_" + name + ":", static_cast<uint32_t>(subMain), true);
  if (section.prompt >= 0)
    section.attrib = FindAttribLine(name, section.prompt, false);
  return section;
}

ValueRule EBScript::PromptValueRule(const std::string& name) {
  ValueRule rule;
  PromptSection section = FindPromptSection(name);
  for (int32_t line = section.prompt; section.attrib >= 0 && line < section.attrib; ++line)
    rule.Read(lines[static_cast<size_t>(line)]);
  return rule;
}

bool EBScript::SetAttribute(const std::string& name, const std::string& value) {
  int32_t subMain = FindSubMain();
  if (subMain < 0)
    return false;

  PromptSection section = FindPromptSection(name);
  int32_t prompt = section.prompt;
  int32_t target;
  if (prompt < 0) {
    target = FindOwnAssignment(*this, name, FindAttribLine(name, subMain, false));
    if (target < 0)
      target = FindAttribLine(name, subMain, true);
    if (target < 0)
      return false;
  } else {
    int32_t attrib = section.attrib;
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
