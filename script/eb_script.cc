#include "script/eb_script.h"

#include "textfile/text_helpers.h"

namespace {

// True when the squeezed form of `line`, from its byte `from` on, begins with
// `squeezedProbe`. Compares while skipping whitespace, so no squeezed copy is made.
bool SqueezedStartsWith(const std::string& line, size_t from, const std::string& squeezedProbe) {
  size_t j = 0;
  for (size_t i = from; i < line.size() && j < squeezedProbe.size(); ++i) {
    char c = line[i];
    if (IsWhitespace(c))
      continue;
    if (UpperCaseAscii(c) != squeezedProbe[j])
      return false;
    ++j;
  }
  return j == squeezedProbe.size();
}

bool LineMatches(const std::string& line, const std::string& squeezedProbe, bool atStartOnly) {
  if (atStartOnly)
    return SqueezedStartsWith(line, 0, squeezedProbe);
  for (size_t i = 0; i < line.size(); ++i) {
    if (!IsWhitespace(line[i]) && SqueezedStartsWith(line, i, squeezedProbe))
      return true;
  }
  return false;
}

bool SqueezesTo(const std::string& line, const char* squeezed) {
  return SqueezeText(line, true) == squeezed;
}

}  // namespace

int32_t EBScript::FindLine(const std::string& probe, uint32_t start, bool atStartOnly) const {
  std::string squeezedProbe = SqueezeText(probe, true);
  if (squeezedProbe.empty())
    return -1;
  size_t count = lines.size();
  for (size_t i = start; i < count; ++i) {
    if (LineMatches(lines[i], squeezedProbe, atStartOnly))
      return static_cast<int32_t>(i);
  }
  return -1;
}

int32_t EBScript::FindSubMain() {
  if (subMainLine >= 0 && static_cast<size_t>(subMainLine) < lines.size() &&
      SqueezesTo(lines[subMainLine], "SUBMAIN()"))
    return subMainLine;
  subMainLine = FindLine("Sub Main()", 0, true);
  return subMainLine;
}

int32_t EBScript::FindAttribLine(const std::string& name, int32_t start,
                                 bool tryConditionalForm) const {
  if (start < 0)
    return -1;
  if (tryConditionalForm) {
    int32_t line = FindLine("If Not c.AttribExists(\"" + name + "\") Then c.SetAttrib \"" +
                                name + "\",",
                            static_cast<uint32_t>(start), true);
    if (line >= 0)
      return line;
  }
  return FindLine("c.SetAttrib \"" + name + "\",", static_cast<uint32_t>(start), true);
}
