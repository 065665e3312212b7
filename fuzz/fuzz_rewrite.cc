// Arbitrary script bytes and arguments through every editing operation, in the run
// sequence's order. The input is the script, optionally followed by two NUL bytes and
// NUL-separated arguments as the command line would give them after the script path
// ("Subject=12", "-F", "name.txt", "-O", "C:\data"); without them a fixed set is used.
// After each operation: the lines up to the "Sub Main()" line are unchanged, a false
// result left every line as it was, and an edit changed only what its kind may change.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "fuzz/fuzz_check.h"
#include "fuzz/memory_file.h"
#include "script/eb_script.h"

namespace {

using Lines = std::vector<std::string>;

const std::vector<std::string> kDefaultArguments = {
    "Subject=12", "Session=1", "Group=", "-F", "C:\\data\\rt-12.txt", "-O", "C:\\data"};

enum class EditKind { kAttribute, kDataFile, kHook };

int32_t SubMainOf(const Lines& lines) {
  EBScript fresh;
  fresh.lines = lines;
  return fresh.FindSubMain();
}

size_t FirstDifference(const Lines& a, const Lines& b) {
  size_t i = 0;
  while (i < a.size() && i < b.size() && a[i] == b[i])
    ++i;
  return i;
}

// True when `line` begins with `probe`, whitespace and letter case aside.
bool BeginsWith(const std::string& line, const char* probe) {
  EBScript one;
  one.lines = {line};
  return one.FindLine(probe, 0, true) == 0;
}

struct Hook {
  const char* anchor;
  const char* line;
};

const Hook kHandleFilename = {
    "c.DataFile.Filename = ",
    "c.DataFile.Filename = HandleFilename(c) : If Len(c.DataFile.Filename)=0 Then GoTo "
    "ExperimentAbort ' line inserted by Tarvo"};
const Hook kPreRun = {
    "InitObjects c",
    "If Not PreRun(c.DataFile.Filename) Then GoTo ExperimentAbort ' line inserted by Tarvo"};
const Hook kAtExit = {"ExperimentFinish:", "AtExit c.DataFile.Filename ' line inserted by Tarvo"};

// Runs one edit and checks what it did; `hook` tells where a hook's line goes and what
// it holds.
void CheckEdit(EBScript& script, EditKind kind, const std::function<bool()>& edit,
               const Hook* hook = nullptr) {
  const Lines before = script.lines;
  const int32_t subMain = SubMainOf(before);
  const bool result = edit();
  const Lines& after = script.lines;

  if (!result)
    FUZZ_CHECK(after == before);
  if (subMain < 0) {
    FUZZ_CHECK(!result);
    return;
  }
  const size_t kept = static_cast<size_t>(subMain) + 1;
  FUZZ_CHECK(after.size() >= kept);
  FUZZ_CHECK(FirstDifference(before, after) >= kept);
  // The cached index must still name the line a fresh search finds.
  FUZZ_CHECK(script.FindSubMain() == subMain);
  if (!result)
    return;

  switch (kind) {
    case EditKind::kAttribute:
      // One line replaced, perhaps a prompt section and an abort block removed.
      FUZZ_CHECK(after.size() <= before.size());
      break;
    case EditKind::kDataFile: {
      FUZZ_CHECK(after.size() == before.size());
      size_t changed = FirstDifference(before, after);
      if (changed < after.size()) {
        Lines same = after;
        same[changed] = before[changed];
        FUZZ_CHECK(same == before);
      }
      break;
    }
    case EditKind::kHook: {
      FUZZ_CHECK(after.size() == before.size() || after.size() == before.size() + 1);
      if (after.size() == before.size()) {
        FUZZ_CHECK(after == before);
        break;
      }
      // Directly below its anchor line, above any earlier copies of it.
      size_t inserted = FirstDifference(before, after);
      FUZZ_CHECK(after[inserted] == hook->line);
      while (after[inserted - 1] == hook->line)
        --inserted;
      FUZZ_CHECK(BeginsWith(after[inserted - 1], hook->anchor));
      Lines without = after;
      without.erase(without.begin() + static_cast<std::ptrdiff_t>(inserted));
      FUZZ_CHECK(without == before);
      break;
    }
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
  static MemoryFile input;

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

  EBScript script;
  std::string message;
  input.Set(bytes.data(), bytes.size());
  if (!script.Load(input.path(), message))
    return 0;

  for (const auto& [name, value] : request.attributes) {
    CheckEdit(script, EditKind::kAttribute,
              [&, &name = name, &value = value] { return script.SetAttribute(name, value); });
  }
  if (request.dataFileName) {
    CheckEdit(script, EditKind::kDataFile,
              [&] { return script.SetDataFileName(*request.dataFileName); });
  }
  if (request.dataFolder) {
    CheckEdit(script, EditKind::kDataFile,
              [&] { return script.SetDataFilePath(*request.dataFolder); });
  }
  CheckEdit(script, EditKind::kHook, [&] { return script.InsertHandleFilenameCall(); },
            &kHandleFilename);
  CheckEdit(script, EditKind::kHook, [&] { return script.InsertPreRunCall(); }, &kPreRun);
  CheckEdit(script, EditKind::kHook, [&] { return script.InsertAtExitCall(); }, &kAtExit);
  return 0;
}
