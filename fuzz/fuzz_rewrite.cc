// Arbitrary script bytes and arguments through every editing operation, in the run
// sequence's order. The input is the script, optionally followed by two NUL bytes and
// NUL-separated arguments as the command line would give them after the script path
// ("Subject=12", "-F", "name.txt", "-O", "C:\data"); without them a fixed set is used.
// What must hold whatever the script: an edit that did not happen left every line as it
// was; one that did changed one run of lines below "Sub Main()" and nothing else, no line
// grew beyond what Load reads, and the line it wrote says what was asked; and the whole
// rewrite, given its own output, gives that output again.

#include <cstdint>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "base/text_helpers.h"
#include "fake_file_system.h"
#include "fuzz/fuzz_check.h"
#include "script/data_file.h"
#include "script/hook_calls.h"
#include "script/set_attribute.h"
#include "script/startup_summary.h"

namespace {

using Lines = std::vector<std::string>;

const std::vector<std::string> kDefaultArguments = {"Subject=12", "Session=1", "Group=",  "-F",
                                                    "rt-12.txt",  "-O",        "C:\\data"};
const char kNote[] = "; removed user prompt section";

// The texts the edits write are spelled out again here on purpose: a wrong text in the
// code checked must not pass.
std::string Literal(const std::string& text) {
  std::string literal = "\"";
  for (char c : text)
    literal += c == '"' || c == '\\' ? std::string(2, c) : std::string(1, c);
  return literal + "\"";
}

// The lines that an edit wrote in place of others: `after` without the lines it shares with
// `before` at the start and at the end.
Lines Written(const Lines& before, const Lines& after) {
  size_t head = 0;
  while (head < before.size() && head < after.size() && before[head] == after[head])
    ++head;
  size_t tail = 0;
  while (tail + head < before.size() && tail + head < after.size() &&
         before[before.size() - 1 - tail] == after[after.size() - 1 - tail])
    ++tail;
  FUZZ_CHECK(head > 0);  // "Sub Main()" and what stands before it stay
  return Lines(after.begin() + static_cast<std::ptrdiff_t>(head),
               after.end() - static_cast<std::ptrdiff_t>(tail));
}

// Checks what every edit keeps; returns the lines it wrote, or none when it made no edit.
std::optional<Lines> CheckEdit(const Lines& before, const EBScript& script, EditOutcome outcome) {
  const Lines& after = script.lines();
  for (const std::string& line : after)
    FUZZ_CHECK(line.size() <= EBScript::kLongestLine);
  if (outcome != EditOutcome::kDone) {
    FUZZ_CHECK(after == before);
    return std::nullopt;
  }
  return Written(before, after);
}

// The one line an attribute gets: its name as the script spells it, the value as given.
bool Stage(EBScript& script, const std::string& name, const std::string& value,
           AttributesBySqueezedName* given) {
  const Lines before = script.lines();
  given->erase(SqueezeText(name));
  EditResult result = SetAttribute(script, name, value, *given);
  (*given)[SqueezeText(name)] = std::nullopt;
  std::optional<Lines> written = CheckEdit(before, script, result.outcome);
  if (written && !written->empty()) {
    FUZZ_CHECK(written->size() == 1);
    const std::string& line = written->front();
    std::string tail = "\", " + Literal(value) + "   ' value set by Tarvo";
    size_t spelled = line.find(tail);
    FUZZ_CHECK(StartsWith(line, "\tc.SetAttrib \"") && spelled != std::string::npos);
    FUZZ_CHECK(SqueezeText(line.substr(14, spelled - 14)) == SqueezeText(name));
    std::string end = line.substr(spelled + tail.size());
    FUZZ_CHECK(end.empty() || end == kNote);
  }
  if (result.outcome == EditOutcome::kDone)
    (*given)[SqueezeText(name)] = value;
  return result.outcome != EditOutcome::kRefused && result.outcome != EditOutcome::kTooLong;
}

// -F writes one line; -O puts the folder, ending in a backslash, behind the first "=".
bool WorkOutDataFilesStage(EBScript& script, const std::string& text, bool folder,
                           const AttributesBySqueezedName& given) {
  const Lines before = script.lines();
  EditResult result =
      folder ? SetDataFolder(script, text, given) : SetDataFileName(script, text, given);
  std::optional<Lines> written = CheckEdit(before, script, result.outcome);
  if (written && !written->empty() && !folder) {
    FUZZ_CHECK(*written ==
               Lines{"\tc.DataFile.Filename = CStr(" + Literal(text) + ")   ' value set by Tarvo"});
  } else if (written && !written->empty()) {
    std::string inFront = text.empty() || text.back() == '\\' ? text : text + "\\";
    const std::string& first = written->front();
    std::string folderText = " CStr(" + Literal(inFront) + ") & ";
    FUZZ_CHECK(first.compare(first.find('=') + 1, folderText.size(), folderText) == 0);
  }
  return result.outcome != EditOutcome::kRefused && result.outcome != EditOutcome::kTooLong;
}

// A call is inserted as one line of its own, nothing else changes.
void HookStage(EBScript& script, EditOutcome (*insert)(EBScript&), const std::string& call) {
  const Lines before = script.lines();
  std::optional<Lines> written = CheckEdit(before, script, insert(script));
  if (written && script.lines().size() != before.size()) {
    FUZZ_CHECK(script.lines().size() == before.size() + 1);
    FUZZ_CHECK(*written == Lines{call + " ' line inserted by Tarvo"});
  }
}

// The run's editing stages; false when one refused, which ends the run unsaved.
bool Rewrite(EBScript& script, const RunRequest& request) {
  // As the attribute stage: every attribute given may exist, each judged without itself.
  AttributesBySqueezedName given;
  for (const auto& [name, value] : request.attributes)
    given[SqueezeText(name)] = std::nullopt;
  bool going = true;
  for (const auto& [name, value] : request.attributes)
    going = Stage(script, name, value, &given) && going;
  if (going && request.dataFileName)
    going = WorkOutDataFilesStage(script, *request.dataFileName, false, given);
  if (going && request.dataFolder)
    going = WorkOutDataFilesStage(script, *request.dataFolder, true, given);
  if (!going)
    return false;
  if (request.answerSummary) {
    const Lines before = script.lines();
    EditResult result = AnswerStartupSummary(script);
    CheckEdit(before, script, result.outcome);
    if (result.outcome == EditOutcome::kRefused)
      return false;
  }
  HookStage(script, InsertHandleFilenameCall,
            "c.DataFile.Filename = HandleFilename(c) : If Len(c.DataFile.Filename)=0 Then GoTo "
            "ExperimentAbort");
  HookStage(script, InsertPreRunCall,
            "If Not PreRun(c.DataFile.Filename) Then GoTo ExperimentAbort");
  HookStage(script, InsertAtExitCall, "AtExit c.DataFile.Filename");
  return true;
}

// The lines without the note that only the first run writes.
Lines WithoutNotes(Lines lines) {
  for (std::string& line : lines) {
    if (EndsWith(line, kNote))
      line.resize(line.size() - (sizeof kNote - 1));
  }
  return lines;
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
  if (!script.Load("x.ebs", message) || !Rewrite(script, request))
    return 0;
  // The rewritten script, given again, comes out as it went in.
  const Lines once = script.lines();
  EBScript again(once);
  FUZZ_CHECK(Rewrite(again, request));
  FUZZ_CHECK(WithoutNotes(again.lines()) == WithoutNotes(once));
  return 0;
}
