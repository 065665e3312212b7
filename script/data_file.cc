#include "script/eb_script.h"

#include "textfile/text_helpers.h"

namespace {

// The data file line: the first assignment of the data file name in the main routine.
int32_t FindDataFileLine(EBScript& script) {
  int32_t subMain = script.FindSubMain();
  if (subMain < 0)
    return -1;
  return script.FindLine("c.DataFile.Filename = ", static_cast<uint32_t>(subMain), true);
}

}  // namespace

bool EBScript::SetDataFileName(const std::string& name) {
  int32_t line = FindDataFileLine(*this);
  if (line < 0)
    return false;
  // Quotes are doubled first so the name stays one string literal; backslashes after.
  std::string text =
      "\tc.DataFile.Filename = CStr(\"" + DoubleQuotes(name) + "\")   ' value set by Tarvo";
  lines.Replace(line, EscapeBackslashes(text.c_str()));
  return true;
}

bool EBScript::SetDataFilePath(const std::string& folder) {
  int32_t line = FindDataFileLine(*this);
  if (line < 0)
    return false;
  std::string prefix = " CStr(\"" + AppendBackslash(DoubleQuotes(folder).c_str()) + "\") & ";
  // The line matched the probe, so its first "=" is the one after the member name.
  std::string text(lines[line]);
  text.insert(text.find('=') + 1, EscapeBackslashes(prefix.c_str()));
  text += "  ' path inserted by Tarvo";
  lines.Replace(line, std::move(text));
  return true;
}
