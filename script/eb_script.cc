#include "script/eb_script.h"

#include "textfile/text_helpers.h"

namespace {

// True when the squeezed form of [p, end) begins with the squeezed `probe`. Compares
// while skipping whitespace, so no squeezed copy of the line is made.
bool SqueezedStartsWith(const char* p, const char* end, std::string_view probe) {
  size_t matched = 0;
  if (probe.empty())
    return true;
  for (; p != end; ++p) {
    uint16_t folded = SqueezedByte(*p);
    if (folded == kSqueezedOut)
      continue;
    if (folded != static_cast<unsigned char>(probe[matched]))
      return false;
    if (++matched == probe.size())
      return true;
  }
  return false;
}

bool StartsWith(std::string_view line, std::string_view probe) {
  return SqueezedStartsWith(line.data(), line.data() + line.size(), probe);
}

std::string ConditionalAttribProbe(const std::string& name) {
  return "If Not c.AttribExists(\"" + name + "\") Then c.SetAttrib \"" + name + "\",";
}

std::string PlainAttribProbe(const std::string& name) {
  return "c.SetAttrib \"" + name + "\",";
}

bool Contains(std::string_view line, std::string_view probe) {
  const char* end = line.data() + line.size();
  for (const char* p = line.data(); p != end; ++p) {
    if (SqueezedByte(*p) != kSqueezedOut && SqueezedStartsWith(p, end, probe))
      return true;
  }
  return false;
}

}  // namespace

int32_t EBScript::FindLine(const std::string& probe, uint32_t start, bool atStartOnly) const {
  std::string squeezed = SqueezeText(probe, true);
  if (squeezed.empty())
    return -1;
  size_t count = lines.size();
  if (!atStartOnly) {
    for (size_t i = start; i < count; ++i) {
      if (Contains(lines[i], squeezed))
        return static_cast<int32_t>(i);
    }
    return -1;
  }
  // Only the lines whose kept beginning fits the probe are compared in full.
  LeadProbe lead(squeezed);
  for (size_t i = lines.NextCandidate(lead, start); i < count;
       i = lines.NextCandidate(lead, i + 1)) {
    if (StartsWith(lines[i], squeezed))
      return static_cast<int32_t>(i);
  }
  return -1;
}

int32_t EBScript::FindSubMain() {
  if (subMainLine >= 0 && static_cast<size_t>(subMainLine) < lines.size() &&
      SqueezeText(lines[subMainLine], true) == "SUBMAIN()")
    return subMainLine;
  subMainLine = FindLine("Sub Main()", 0, true);
  return subMainLine;
}

int32_t EBScript::FindAttribLine(const std::string& name, int32_t start,
                                 bool tryConditionalForm) const {
  if (start < 0)
    return -1;
  if (tryConditionalForm) {
    int32_t line = FindLine(ConditionalAttribProbe(name), static_cast<uint32_t>(start), true);
    if (line >= 0)
      return line;
  }
  return FindLine(PlainAttribProbe(name), static_cast<uint32_t>(start), true);
}
