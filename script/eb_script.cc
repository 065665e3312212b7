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

// True when the squeezed form of the bytes [p, end) begins with the `size` bytes of
// `probe`. Compares while skipping whitespace, so no squeezed copy is made.
bool SqueezedStartsWith(const char* p, const char* end, const unsigned char* probe,
                        size_t size) {
  size_t j = 0;
  if (size == 0)
    return true;
  for (; p != end; ++p) {
    uint16_t folded = kFold.value[static_cast<unsigned char>(*p)];
    if (folded == kSkip)
      continue;
    if (folded != probe[j])
      return false;
    if (++j == size)
      return true;
  }
  return false;
}

// A squeezed probe, not empty, ready for comparing.
struct Probe {
  explicit Probe(const std::string& squeezed)
      : data(reinterpret_cast<const unsigned char*>(squeezed.data())), size(squeezed.size()) {}
  const unsigned char* data;
  size_t size;
};

// The first byte of the line that is not whitespace, or `end`. Most lines already differ
// from a probe there, which makes a search through a large script cheap.
const char* SkipWhitespace(const char* p, const char* end) {
  while (p != end && kFold.value[static_cast<unsigned char>(*p)] == kSkip)
    ++p;
  return p;
}

// True when the squeezed form of [p, end), where p is not whitespace, begins with
// `probe`; the first byte is compared before anything else is done.
bool StartsAt(const char* p, const char* end, Probe probe) {
  return kFold.value[static_cast<unsigned char>(*p)] == probe.data[0] &&
         SqueezedStartsWith(p + 1, end, probe.data + 1, probe.size - 1);
}

bool StartsWith(const std::string& line, Probe probe) {
  const char* end = line.data() + line.size();
  const char* p = SkipWhitespace(line.data(), end);
  return p != end && StartsAt(p, end, probe);
}

bool Contains(const std::string& line, Probe probe) {
  const char* end = line.data() + line.size();
  for (const char* p = SkipWhitespace(line.data(), end); p != end;
       p = SkipWhitespace(p + 1, end)) {
    if (SqueezedStartsWith(p, end, probe.data, probe.size))
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
  Probe compiled(squeezedProbe);
  size_t count = lines.size();
  for (size_t i = start; i < count; ++i) {
    if (atStartOnly ? StartsWith(lines[i], compiled) : Contains(lines[i], compiled))
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
    // Whitespace is skipped once for all probes.
    const char* end = lines[i].data() + lines[i].size();
    const char* p = SkipWhitespace(lines[i].data(), end);
    if (p == end)
      continue;
    for (size_t k = 0; k < squeezed.size(); ++k) {
      if (found[k] < 0 && !squeezed[k].empty() && StartsAt(p, end, Probe(squeezed[k]))) {
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
