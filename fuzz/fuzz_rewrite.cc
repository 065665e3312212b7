// Arbitrary script bytes and arguments through every editing operation, in the run
// sequence's order. The input is the script, optionally followed by two NUL bytes and
// NUL-separated arguments as the command line would give them after the script path
// ("Subject=12", "-F", "name.txt", "-O", "C:\data"); without them a fixed set is used.
// After each operation: the lines up to the "Sub Main()" line are unchanged, an edit that
// did not happen left every line as it was, no line grew beyond what Load reads, and the
// lines are exactly what a slow model of each edit, written here on its own, gives.

#include <cstdint>
#include <cstring>
#include <functional>
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
const size_t kLongest = 1023;

// The script searches done the slow, obvious way: a line matches when, with whitespace
// removed and a to z upper-cased on both sides, it begins with the probe.
bool IsSpace(char c) {
  return c == ' ' || (c >= '\t' && c <= '\r');
}

std::string Squeezed(const std::string& text) {
  std::string squeezed;
  for (char c : text) {
    if (!IsSpace(c))
      squeezed += (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
  }
  return squeezed;
}

int32_t Find(const Lines& lines, const std::string& probe, int32_t start) {
  std::string squeezedProbe = Squeezed(probe);
  if (squeezedProbe.empty() || start < 0)
    return -1;
  for (size_t i = static_cast<size_t>(start); i < lines.size(); ++i) {
    if (Squeezed(lines[i]).compare(0, squeezedProbe.size(), squeezedProbe) == 0)
      return static_cast<int32_t>(i);
  }
  return -1;
}

// A statement goes on while its line ends in a blank or tab and "_", blanks after it aside.
int32_t StatementEnd(const Lines& lines, int32_t line) {
  static const std::regex kContinued("[ \t]_[ \t]*$");
  while (static_cast<size_t>(line) + 1 < lines.size() &&
         std::regex_search(lines[static_cast<size_t>(line)], kContinued))
    ++line;
  return line;
}

// `lines` with the statement that begins on `line` replaced by `text`.
Lines Replaced(Lines lines, int32_t line, const std::string& text) {
  auto first = lines.begin() + line;
  lines.erase(first + 1, lines.begin() + StatementEnd(lines, line) + 1);
  lines[static_cast<size_t>(line)] = text;
  return lines;
}

std::string Doubled(const std::string& text, char c) {
  std::string doubled;
  for (char byte : text)
    doubled += byte == c ? std::string(2, byte) : std::string(1, byte);
  return doubled;
}

std::string Literal(const std::string& text) {
  return "\"" + Doubled(Doubled(text, '"'), '\\') + "\"";
}

// What follows the first `count` non-blank bytes of `line`.
std::string After(const std::string& line, size_t count) {
  size_t i = 0;
  for (; i < line.size() && count > 0; ++i)
    count -= IsSpace(line[i]) ? 0 : 1;
  return line.substr(i);
}

std::string Trimmed(std::string text) {
  while (!text.empty() && IsSpace(text.back()))
    text.pop_back();
  size_t begin = 0;
  while (begin < text.size() && IsSpace(text[begin]))
    ++begin;
  return text.substr(begin);
}

// What every edit must keep; returns the "Sub Main()" line.
int32_t CheckCommon(EBScript& script, const Lines& before, EditOutcome outcome) {
  const Lines& after = script.lines();
  const int32_t subMain = Find(before, "Sub Main()", 0);
  if (outcome != EditOutcome::kDone)
    FUZZ_CHECK(after == before);
  if (subMain < 0)
    FUZZ_CHECK(outcome == EditOutcome::kNotFound);
  for (int32_t i = 0; i <= subMain; ++i)
    FUZZ_CHECK(after[static_cast<size_t>(i)] == before[static_cast<size_t>(i)]);
  for (const std::string& line : after)
    FUZZ_CHECK(line.size() <= kLongest);
  return subMain;
}

// `expected` unless a line of it is too long: then the edit must refuse and change nothing.
void CheckOutcome(EBScript& script, EditOutcome outcome, const Lines& before,
                  const Lines& expected) {
  bool fits = true;
  for (const std::string& line : expected)
    fits = fits && line.size() <= kLongest;
  FUZZ_CHECK(outcome == (fits ? EditOutcome::kDone : EditOutcome::kTooLong));
  FUZZ_CHECK(script.lines() == (fits ? expected : before));
}

// With a prompt section for the name, from its label to its own assignment's statement
// and an abort block right below go, and the assignment takes the label's place; an
// assignment after the section's end is not its own. Without one, Tarvo's own assignment,
// else the conditional default, else the plain one is replaced, whole statement and all.
void CheckAttribute(EBScript& script, const std::string& name, const std::string& value) {
  const Lines before = script.lines();
  EditOutcome outcome = SetAttribute(script, name, value);
  int32_t subMain = CheckCommon(script, before, outcome);
  if (subMain < 0)
    return;
  const std::string plain = "c.SetAttrib \"" + name + "\",";
  auto line = [&](const std::string& spelling) {
    return "\tc.SetAttrib \"" + spelling + "\", " + Literal(value) + "   ' value set by Tarvo";
  };
  int32_t label = Find(before, "StartupInfoPrompt_" + name + ":", subMain);
  if (label < 0) {
    int32_t target = Find(before, plain, subMain);
    while (target >= 0 &&
           before[static_cast<size_t>(target)].find("' value set by Tarvo") == std::string::npos)
      target = Find(before, plain, target + 1);
    int32_t conditional =
        Find(before, "If Not c.AttribExists(\"" + name + "\") Then c.SetAttrib \"" + name + "\",",
             subMain);
    target = target >= 0 ? target : conditional >= 0 ? conditional : Find(before, plain, subMain);
    if (target < 0) {
      FUZZ_CHECK(outcome == EditOutcome::kNotFound);
      return;
    }
    const std::string& text = before[static_cast<size_t>(target)];
    std::string spelling = After(text, Squeezed(text).find("SETATTRIB\"") + 10);
    spelling = spelling.substr(0, spelling.find('"'));
    return CheckOutcome(script, outcome, before, Replaced(before, target, line(spelling)));
  }
  int32_t end = -1;
  for (const char* probe :
       {"StartupInfoPrompt_", "nSummaryAnswer =", "c.DataFile.Filename =", "InitObjects c"}) {
    int32_t found = Find(before, probe, label + 1);
    end = found >= 0 && (end < 0 || found < end) ? found : end;
  }
  int32_t assignment = Find(before, plain, label);
  if (assignment < 0 || (end >= 0 && assignment > end)) {
    FUZZ_CHECK(outcome == EditOutcome::kNotFound);
    return;
  }
  const std::string& text = before[static_cast<size_t>(label)];
  std::string spelling = After(text, 18);
  spelling = Trimmed(spelling.substr(0, spelling.find(':')));
  Lines expected = before;
  int32_t last = StatementEnd(before, assignment);
  size_t next = static_cast<size_t>(last) + 1;
  if (next + 2 < before.size() &&
      Squeezed(before[next].substr(0, before[next].find('\''))) == "ELSE" &&
      Find(before, "GoTo ExperimentAbort", last + 2) == last + 2 &&
      Find(before, "End If", last + 3) == last + 3)
    last += 3;
  expected.erase(expected.begin() + label + 1, expected.begin() + last + 1);
  expected[static_cast<size_t>(label)] = line(spelling) + "; removed user prompt section";
  CheckOutcome(script, outcome, before, expected);
}

// -F: the data file statement becomes one line. -O: the folder goes behind the first "=",
// in place of the folders of earlier runs, and the comment ends the statement once.
void CheckDataFile(EBScript& script, const RunRequest& request, bool folder) {
  const Lines before = script.lines();
  const std::string& text = folder ? *request.dataFolder : *request.dataFileName;
  EditOutcome outcome = folder ? SetDataFolder(script, text) : SetDataFileName(script, text);
  int32_t subMain = CheckCommon(script, before, outcome);
  int32_t line = subMain < 0 ? -1 : Find(before, "c.DataFile.Filename = ", subMain);
  if (line < 0) {
    FUZZ_CHECK(outcome == EditOutcome::kNotFound);
    return;
  }
  if (!folder) {
    return CheckOutcome(
        script, outcome, before,
        Replaced(before, line,
                 "\tc.DataFile.Filename = CStr(" + Literal(text) + ")   ' value set by Tarvo"));
  }
  static const std::regex kEarlier("^ CStr\\(\"([^\"]|\"\")*\"\\) & ");
  const std::string comment = "  ' path inserted by Tarvo";
  Lines expected = before;
  std::string& first = expected[static_cast<size_t>(line)];
  std::string& last = expected[static_cast<size_t>(StatementEnd(before, line))];
  bool earlier = last.size() >= comment.size() &&
                 last.compare(last.size() - comment.size(), comment.size(), comment) == 0;
  size_t equals = first.find('=') + 1;
  std::string expression = first.substr(equals);
  std::smatch match;
  while (earlier && std::regex_search(expression, match, kEarlier))
    expression = match.suffix();
  std::string inFront = text.empty() || text.back() == '\\' ? text : text + "\\";
  first = first.substr(0, equals) + " CStr(" + Literal(inFront) + ") & " + expression;
  if (!earlier)
    last += comment;
  CheckOutcome(script, outcome, before, expected);
}

// Every summary question after "Sub Main()" answered, each at its indentation.
void CheckSummary(EBScript& script) {
  const Lines before = script.lines();
  EditOutcome outcome = AnswerStartupSummary(script);
  int32_t subMain = CheckCommon(script, before, outcome);
  Lines expected = before;
  bool found = false;
  for (int32_t question = Find(expected, "nSummaryAnswer = MsgBox(", subMain + 1);
       subMain >= 0 && question >= 0;
       question = Find(expected, "nSummaryAnswer = MsgBox(", question + 1)) {
    std::string text = expected[static_cast<size_t>(question)];
    expected = Replaced(expected, question,
                        text.substr(0, text.find_first_not_of(" \t")) +
                            "nSummaryAnswer = ebYes   ' summary answered by Tarvo");
    found = true;
  }
  if (!found) {
    FUZZ_CHECK(outcome == EditOutcome::kNotFound);
    return;
  }
  CheckOutcome(script, outcome, before, expected);
}

// The hook texts are written out again here on purpose: the check must not share them
// with the code it checks, or a wrong text in that code would pass.
struct Hook {
  const char* definition;
  const char* anchor;
  const char* routine;
  const char* line;
  bool jumps;
  EditOutcome (*insert)(EBScript&);
};

const Hook kHooks[] = {
    {"Function HandleFilename(", "c.DataFile.Filename = ", "HandleFilename",
     "c.DataFile.Filename = HandleFilename(c) : If Len(c.DataFile.Filename)=0 Then GoTo "
     "ExperimentAbort ' line inserted by Tarvo",
     true, InsertHandleFilenameCall},
    {"Function PreRun(", "InitObjects c", "PreRun",
     "If Not PreRun(c.DataFile.Filename) Then GoTo ExperimentAbort ' line inserted by Tarvo", true,
     InsertPreRunCall},
    {"Sub AtExit(", "ExperimentFinish:", "AtExit",
     "AtExit c.DataFile.Filename ' line inserted by Tarvo", false, InsertAtExitCall},
};

// A line at or below the anchor that begins, after blanks and tabs, with the routine's
// name (any case, "Call" before it or not) ended by a byte that cannot continue it, or
// that reads as the line the program inserts, up to its comment.
bool CallInPlace(const Lines& lines, const Hook& hook, int32_t anchor) {
  std::string ownCall(hook.line, std::strchr(hook.line, '\'') - hook.line);
  if (Find(lines, ownCall, anchor) >= 0)
    return true;
  std::regex call("^[ \t]*(call[ \t]+)?" + std::string(hook.routine) + "([^A-Za-z0-9_]|$)",
                  std::regex::icase);
  for (size_t i = static_cast<size_t>(anchor); i < lines.size(); ++i) {
    if (std::regex_search(lines[i], call))
      return true;
  }
  return false;
}

// The call, directly below its anchor's statement, when the script defines the routine,
// holds no call of it at or below the anchor, and has the label the call may jump to.
EditOutcome CheckHook(EBScript& script, const Hook& hook) {
  const Lines before = script.lines();
  EditOutcome outcome = hook.insert(script);
  int32_t subMain = CheckCommon(script, before, outcome);
  int32_t anchor = subMain < 0 ? -1 : Find(before, hook.anchor, subMain);
  if (Find(before, hook.definition, 0) < 0 || anchor < 0) {
    FUZZ_CHECK(outcome == EditOutcome::kNotFound);
    return outcome;
  }
  Lines expected = before;
  if (!CallInPlace(before, hook, anchor)) {
    if (hook.jumps && Find(before, "ExperimentAbort:", subMain) < 0) {
      FUZZ_CHECK(outcome == EditOutcome::kNoAbortLabel);
      return outcome;
    }
    expected.insert(expected.begin() + StatementEnd(before, anchor) + 1, hook.line);
  }
  FUZZ_CHECK(outcome == EditOutcome::kDone);
  FUZZ_CHECK(script.lines() == expected);
  return outcome;
}

// Every attribute whose value the prompt's checks let through. False when one was refused,
// which ends the run after the stage.
bool CheckAttributes(EBScript& script, const RunRequest& request) {
  bool refused = false;
  for (const auto& [name, value] : request.attributes) {
    std::optional<PromptSection> section = FindPromptSection(script, name);
    ValueRule rule = section ? ReadValueRule(script, *section) : ValueRule();
    if ((section && !section->assignment) || rule.unreadable || !rule.Possible() ||
        !rule.Accepts(value)) {
      refused = true;
      continue;
    }
    CheckAttribute(script, name, value);
  }
  return !refused;
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

  FakeFileSystem files;
  files.files["x.ebs"] = bytes;
  EBScript script(files);
  std::string message;
  if (!script.Load("x.ebs", message) || !CheckAttributes(script, request))
    return 0;
  if (request.dataFileName)
    CheckDataFile(script, request, false);
  if (request.dataFolder)
    CheckDataFile(script, request, true);
  if (request.answerSummary)
    CheckSummary(script);
  for (const Hook& hook : kHooks)
    CheckHook(script, hook);
  return 0;
}
