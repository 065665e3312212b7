// Arbitrary script bytes and arguments through every editing operation, in the run
// sequence's order. The input is the script, optionally followed by two NUL bytes and
// NUL-separated arguments as the command line would give them after the script path
// ("Subject=12", "-F", "name.txt", "-O", "C:\data"); without them a fixed set is used.
// After each operation: the lines up to the "Sub Main()" line are unchanged, a false
// result left every line as it was, and an edit changed only what its kind may change;
// the data file and hook edits are checked exactly against a slow search of our own.

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>
#include <functional>
#include <optional>
#include <regex>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "fake_file_system.h"
#include "fuzz/fuzz_check.h"
#include "script/data_file.h"
#include "script/hook_calls.h"
#include "script/set_attribute.h"
#include "script/startup_summary.h"
#include "script/value_rule.h"

namespace {

using Lines = std::vector<std::string>;

const std::vector<std::string> kDefaultArguments = {
    "Subject=12", "Session=1", "Group=", "-F", "C:\\data\\rt-12.txt", "-O", "C:\\data"};

// The script searches done the slow, obvious way, as a check on the fast ones: a line
// matches when, with whitespace removed and a to z upper-cased on both sides, it
// begins with the probe. An empty probe matches nothing.
std::string Squeezed(const std::string& text) {
  std::string squeezed;
  for (char c : text) {
    if (c == ' ' || (c >= '\t' && c <= '\r'))
      continue;
    squeezed += (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
  }
  return squeezed;
}

int32_t FindByTheRules(const Lines& lines, const std::string& probe, int32_t start) {
  std::string squeezedProbe = Squeezed(probe);
  if (squeezedProbe.empty() || start < 0)
    return -1;
  for (size_t i = static_cast<size_t>(start); i < lines.size(); ++i) {
    if (Squeezed(lines[i]).compare(0, squeezedProbe.size(), squeezedProbe) == 0)
      return static_cast<int32_t>(i);
  }
  return -1;
}

const char kDataFileProbe[] = "c.DataFile.Filename = ";

// The hook texts are written out again here on purpose: the check must not share them
// with the code it checks, or a wrong text in that code would pass.
struct Hook {
  const char* definition;
  const char* anchor;
  const char* call;
  const char* line;
};

const Hook kHandleFilename = {
    "Function HandleFilename(", kDataFileProbe, "HandleFilename",
    "c.DataFile.Filename = HandleFilename(c) : If Len(c.DataFile.Filename)=0 Then GoTo "
    "ExperimentAbort ' line inserted by Tarvo"};
const Hook kPreRun = {
    "Function PreRun(", "InitObjects c", "PreRun",
    "If Not PreRun(c.DataFile.Filename) Then GoTo ExperimentAbort ' line inserted by Tarvo"};
const Hook kAtExit = {"Sub AtExit(", "ExperimentFinish:", "AtExit",
                      "AtExit c.DataFile.Filename ' line inserted by Tarvo"};

size_t FirstDifference(const Lines& a, const Lines& b) {
  size_t i = 0;
  while (i < a.size() && i < b.size() && a[i] == b[i])
    ++i;
  return i;
}

// What every edit must keep: a false result changes nothing, nothing changes without a
// "Sub Main()" line, and the lines up to it never change. Returns its index.
int32_t CheckCommon(EBScript& script, const Lines& before, bool result) {
  const Lines after = script.lines().ToVector();
  const int32_t subMain = FindByTheRules(before, "Sub Main()", 0);
  if (!result)
    FUZZ_CHECK(after == before);
  if (subMain < 0) {
    FUZZ_CHECK(!result);
  } else {
    FUZZ_CHECK(FirstDifference(before, after) > static_cast<size_t>(subMain));
  }
  // No edit moves the "Sub Main()" line.
  FUZZ_CHECK(script.FindSubMain().value_or(SIZE_MAX) == static_cast<size_t>(subMain) ||
             subMain < 0);
  return subMain;
}

std::string Doubled(const std::string& text, char c) {
  std::string doubled;
  for (char byte : text)
    doubled += byte == c ? std::string(2, byte) : std::string(1, byte);
  return doubled;
}

// The prompt section's checks on the typed value, read the slow way with patterns: true
// when `value` passes them, with the rule's wording in `rule`.
bool PassesTheSectionsChecks(const Lines& lines, const std::string& name, const std::string& value,
                             std::string* rule) {
  int32_t subMain = FindByTheRules(lines, "Sub Main()", 0);
  int32_t prompt = FindByTheRules(lines, "StartupInfoPrompt_" + name + ":", subMain);
  int32_t attrib = FindByTheRules(lines, "c.SetAttrib \"" + name + "\",", prompt);
  if (subMain < 0 || prompt < 0 || attrib < 0)
    return true;
  static const std::regex bound("^(ELSE)?IFCLNG\\(VANSWER\\)([<>])(-?[0-9]{1,18})THEN");
  bool checked = false;
  std::optional<long long> low, high;
  for (int32_t i = prompt; i < attrib; ++i) {
    std::string line = Squeezed(lines[static_cast<size_t>(i)]);
    std::smatch match;
    if (line.rfind("IFNOTISNUMERIC(VANSWER)", 0) == 0)
      checked = true;
    if (!std::regex_search(line, match, bound))
      continue;
    checked = true;
    long long number = std::stoll(match[3].str());
    if (match[2].str() == "<")
      low = low ? std::max(*low, number) : number;
    else
      high = high ? std::min(*high, number) : number;
  }
  if (!checked)
    return true;
  *rule = "a whole number";
  if (low && high)
    *rule += " from " + std::to_string(*low) + " to " + std::to_string(*high);
  else if (low)
    *rule += " of at least " + std::to_string(*low);
  else if (high)
    *rule += " of at most " + std::to_string(*high);
  static const std::regex whole("[-+]?0*([0-9]{0,10})");
  std::smatch match;
  if (!std::regex_match(value, match, whole) ||
      value.find_first_of("0123456789") == std::string::npos)
    return false;
  long long number = match[1].length() == 0 ? 0 : std::stoll(match[1].str());
  if (value[0] == '-')
    number = -number;
  return number >= INT32_MIN && number <= INT32_MAX && (!low || number >= *low) &&
         (!high || number <= *high);
}

// With a prompt section for the name: the section from its first line to the first
// plain-form attribute line at or after it goes, with an abort block right below that,
// and the assignment takes its place (or replaces the prompt line when no attribute
// line follows). Without one: one attribute line of either form is replaced.
void CheckAttribute(EBScript& script, const std::string& name, const std::string& value) {
  const Lines before = script.lines().ToVector();
  bool result = SetAttribute(script, name, value);
  int32_t subMain = CheckCommon(script, before, result);
  if (subMain < 0)
    return;
  const std::string plainProbe = "c.SetAttrib \"" + name + "\",";
  const std::string conditionalProbe =
      "If Not c.AttribExists(\"" + name + "\") Then c.SetAttrib \"" + name + "\",";
  const std::string assignment = "\tc.SetAttrib \"" + Doubled(name, '"') + "\", \"" +
                                 Doubled(Doubled(value, '"'), '\\') + "\"   ' value set by Tarvo";
  const Lines after = script.lines().ToVector();

  int32_t prompt = FindByTheRules(before, "StartupInfoPrompt_" + name + ":", subMain);
  if (prompt < 0) {
    FUZZ_CHECK(result == (FindByTheRules(before, plainProbe, subMain) >= 0 ||
                          FindByTheRules(before, conditionalProbe, subMain) >= 0));
    if (!result)
      return;
    FUZZ_CHECK(after.size() == before.size());
    size_t target = FirstDifference(before, after);
    if (target == after.size())
      return;  // the line already read so
    FUZZ_CHECK(after[target] == assignment);
    Lines same = after;
    same[target] = before[target];
    FUZZ_CHECK(same == before);
    int32_t line = static_cast<int32_t>(target);
    FUZZ_CHECK(FindByTheRules(before, plainProbe, line) == line ||
               FindByTheRules(before, conditionalProbe, line) == line);
    return;
  }

  FUZZ_CHECK(result);
  Lines expected = before;
  int32_t attrib = FindByTheRules(before, plainProbe, prompt);
  if (attrib >= 0) {
    expected.erase(expected.begin() + prompt, expected.begin() + attrib);
    size_t next = static_cast<size_t>(prompt) + 1;
    if (next + 2 < expected.size() &&
        Squeezed(expected[next].substr(0, expected[next].find('\''))) == "ELSE" &&
        FindByTheRules(expected, "GoTo ExperimentAbort", prompt) == prompt + 2 &&
        FindByTheRules(expected, "End If", prompt + 2) == prompt + 3)
      expected.erase(expected.begin() + prompt + 1, expected.begin() + prompt + 4);
  }
  expected[static_cast<size_t>(prompt)] = assignment + "; removed user prompt section";
  FUZZ_CHECK(after == expected);
}

// Exactly the data file line changed, to `expected` of its old text, or nothing when there
// is none below "Sub Main()".
void CheckDataFile(EBScript& script, const std::function<bool()>& edit,
                   const std::function<std::string(const std::string&)>& expected) {
  const Lines before = script.lines().ToVector();
  bool result = edit();
  int32_t subMain = CheckCommon(script, before, result);
  int32_t dataFileLine = subMain < 0 ? -1 : FindByTheRules(before, kDataFileProbe, subMain);
  FUZZ_CHECK(result == (dataFileLine >= 0));
  if (!result)
    return;
  Lines changed = before;
  std::string& line = changed[static_cast<size_t>(dataFileLine)];
  line = expected(line);
  FUZZ_CHECK(script.lines().ToVector() == changed);
}

// How -F and -O write their text into a literal: quotes doubled, then backslashes.
std::string Literal(const std::string& text) {
  return "\"" + Doubled(Doubled(text, '"'), '\\') + "\"";
}

// The first summary question after "Sub Main()" answered, its indentation kept.
void CheckSummary(EBScript& script) {
  const Lines before = script.lines().ToVector();
  bool result = AnswerStartupSummary(script);
  int32_t subMain = CheckCommon(script, before, result);
  int32_t question = subMain < 0 ? -1 : FindByTheRules(before, "nSummaryAnswer = MsgBox(", subMain);
  FUZZ_CHECK(result == (question >= 0));
  if (!result)
    return;
  Lines expected = before;
  std::string& line = expected[static_cast<size_t>(question)];
  line = line.substr(0, line.find_first_not_of(" \t")) +
         "nSummaryAnswer = ebYes   ' summary answered by Tarvo";
  FUZZ_CHECK(script.lines().ToVector() == expected);
}

// A line at or below the anchor that begins, after blanks and tabs, with the routine's
// name (any case) ended by a byte that cannot continue it, or that reads as the line the
// program inserts, up to its comment.
bool CallInPlaceByTheRules(const Lines& lines, const Hook& hook, int32_t anchor) {
  std::string ownCall(hook.line, std::strchr(hook.line, '\'') - hook.line);
  if (FindByTheRules(lines, ownCall, anchor) >= 0)
    return true;
  std::regex call("^[ \t]*" + std::string(hook.call) + "([^A-Za-z0-9_]|$)", std::regex::icase);
  for (size_t i = static_cast<size_t>(anchor); i < lines.size(); ++i) {
    if (std::regex_search(lines[i], call))
      return true;
  }
  return false;
}

// At most one line, the hook's own, directly below its anchor, and only when the script
// defines the routine and holds no call of it at or below the anchor.
void CheckHook(EBScript& script, const Hook& hook, const std::function<bool()>& edit) {
  const Lines before = script.lines().ToVector();
  bool result = edit();
  int32_t subMain = CheckCommon(script, before, result);
  int32_t anchor = subMain < 0 ? -1 : FindByTheRules(before, hook.anchor, subMain);
  bool defined = FindByTheRules(before, hook.definition, 0) >= 0;
  FUZZ_CHECK(result == (defined && anchor >= 0));
  if (!result)
    return;
  Lines expected = before;
  if (!CallInPlaceByTheRules(before, hook, anchor))
    expected.insert(expected.begin() + anchor + 1, hook.line);
  FUZZ_CHECK(script.lines().ToVector() == expected);
}

// Every attribute of the request: a value that the prompt's checks refuse changes
// nothing and is refused with the rule the checks make. False when one was refused.
bool CheckAttributes(EBScript& script, const RunRequest& request) {
  bool refused = false;
  for (const auto& [name, value] : request.attributes) {
    std::string rule;
    bool passes = PassesTheSectionsChecks(script.lines().ToVector(), name, value, &rule);
    std::optional<PromptSection> section = FindPromptSection(script, name);
    ValueRule found = section ? ReadValueRule(script, *section) : ValueRule();
    FUZZ_CHECK(found.Accepts(value) == passes);
    if (passes) {
      CheckAttribute(script, name, value);
      continue;
    }
    FUZZ_CHECK(found.Describe() == rule);
    refused = true;
  }
  return !refused;
}

// -F writes the whole line anew; -O puts the folder behind its first "=".
void CheckDataFileEdits(EBScript& script, const RunRequest& request) {
  if (const std::optional<std::string>& name = request.dataFileName) {
    CheckDataFile(
        script, [&] { return SetDataFileName(script, *name); },
        [&](const std::string&) {
          return "\tc.DataFile.Filename = CStr(" + Literal(*name) + ")   ' value set by Tarvo";
        });
  }
  if (const std::optional<std::string>& folder = request.dataFolder) {
    std::string inFront = *folder;
    if (!inFront.empty() && inFront.back() != '\\')
      inFront += '\\';
    CheckDataFile(
        script, [&] { return SetDataFolder(script, *folder); },
        [&](const std::string& line) {
          size_t equals = line.find('=') + 1;
          return line.substr(0, equals) + " CStr(" + Literal(inFront) + ") & " +
                 line.substr(equals) + "  ' path inserted by Tarvo";
        });
  }
}

std::vector<std::string> SplitAtNul(const std::string& text) {
  std::vector<std::string> parts;
  size_t begin = 0;
  for (;;) {
    size_t nul = text.find('\0', begin);
    parts.push_back(text.substr(begin, nul - begin));
    if (nul == std::string::npos)
      return parts;
    begin = nul + 1;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FakeFileSystem files;

  std::string bytes(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> arguments = kDefaultArguments;
  size_t split = bytes.rfind(std::string(2, '\0'));
  if (split != std::string::npos) {
    arguments = SplitAtNul(bytes.substr(split + 2));
    bytes.resize(split);
  }
  // The script path comes first, as on the command line; the rest is what the user gave.
  arguments.insert(arguments.begin(), "x.ebs");
  RunRequest request = ParseCommandLine(arguments, SlashSwitches::kAll).request;

  files.files["x.ebs"] = bytes;
  EBScript script(files);
  std::string message;
  if (!script.Load("x.ebs", message))
    return 0;

  // A refused value ends the run after the attribute stage, with nothing saved.
  if (!CheckAttributes(script, request))
    return 0;
  CheckDataFileEdits(script, request);
  if (request.answerSummary)
    CheckSummary(script);
  CheckHook(script, kHandleFilename, [&] { return InsertHandleFilenameCall(script); });
  CheckHook(script, kPreRun, [&] { return InsertPreRunCall(script); });
  CheckHook(script, kAtExit, [&] { return InsertAtExitCall(script); });
  return 0;
}
