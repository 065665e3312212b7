#include "script/eb_script.h"

#include "textfile/text_helpers.h"

namespace {

// How each byte counts in a squeezed form: upper-cased, or kSkip for whitespace.
const uint16_t kSkip = 0x100;
struct FoldTable {
  uint16_t value[256];
  FoldTable() {
    for (int c = 0; c < 256; ++c) {
      char byte = static_cast<char>(c);
      value[c] = IsWhitespace(byte) ? kSkip
                                    : static_cast<unsigned char>(UpperCaseAscii(byte));
    }
  }
};
const FoldTable kFold;

// True when the squeezed form of `line`, from its byte `from` on, begins with
// `squeezedProbe` (not empty). Compares while skipping whitespace, so no squeezed copy
// is made.
bool SqueezedStartsWith(const std::string& line, size_t from, const std::string& squeezedProbe) {
  const unsigned char* probe = reinterpret_cast<const unsigned char*>(squeezedProbe.data());
  size_t probeSize = squeezedProbe.size();
  size_t j = 0;
  for (size_t i = from; i < line.size(); ++i) {
    uint16_t folded = kFold.value[static_cast<unsigned char>(line[i])];
    if (folded == kSkip)
      continue;
    if (folded != probe[j])
      return false;
    if (++j == probeSize)
      return true;
  }
  return false;
}

// The index of the first byte of `line` that is not whitespace, or its size. Most lines
// already differ from a probe there, which makes a search through a large script cheap.
size_t FirstNonWhitespace(const std::string& line) {
  size_t i = 0;
  while (i < line.size() && IsWhitespace(line[i]))
    ++i;
  return i;
}

bool LineMatches(const std::string& line, const std::string& squeezedProbe, bool atStartOnly) {
  size_t first = FirstNonWhitespace(line);
  if (first == line.size())
    return false;
  if (atStartOnly) {
    return UpperCaseAscii(line[first]) == squeezedProbe[0] &&
           SqueezedStartsWith(line, first, squeezedProbe);
  }
  for (size_t i = first; i < line.size(); ++i) {
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

std::vector<int32_t> EBScript::FindLinesStartingWith(const std::vector<std::string>& probes,
                                                     uint32_t start) const {
  std::vector<int32_t> found(probes.size(), -1);
  std::vector<std::string> squeezed;
  size_t missing = 0;
  for (const std::string& probe : probes) {
    squeezed.push_back(SqueezeText(probe, true));
    if (!squeezed.back().empty())
      ++missing;
  }
  size_t count = lines.size();
  for (size_t i = start; i < count && missing > 0; ++i) {
    const std::string& line = lines[i];
    size_t first = FirstNonWhitespace(line);
    if (first == line.size())
      continue;
    char firstUpper = UpperCaseAscii(line[first]);
    for (size_t k = 0; k < squeezed.size(); ++k) {
      if (found[k] < 0 && !squeezed[k].empty() && squeezed[k][0] == firstUpper &&
          SqueezedStartsWith(line, first, squeezed[k])) {
        found[k] = static_cast<int32_t>(i);
        --missing;
      }
    }
  }
  return found;
}

std::string EBScript::ConditionalAttribProbe(const std::string& name) {
  return "If Not c.AttribExists(\"" + name + "\") Then c.SetAttrib \"" + name + "\",";
}

std::string EBScript::PlainAttribProbe(const std::string& name) {
  return "c.SetAttrib \"" + name + "\",";
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
