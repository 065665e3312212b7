#include "script/eb_script.h"

#include <string_view>

#include "textfile/text_helpers.h"

namespace {

// One user routine: how the script defines it, the line in the main routine below which
// its call goes, how an existing call is recognised, and the call itself.
struct Hook {
  const char* definition;
  const char* anchor;
  const char* call;
  const char* inserted;
};

const Hook kHandleFilename = {
    "Function HandleFilename(", "c.DataFile.Filename = ", "HandleFilename",
    "c.DataFile.Filename = HandleFilename(c) : If Len(c.DataFile.Filename)=0 Then GoTo "
    "ExperimentAbort ' line inserted by Tarvo"};
const Hook kPreRun = {
    "Function PreRun(", "InitObjects c", "PreRun",
    "If Not PreRun(c.DataFile.Filename) Then GoTo ExperimentAbort ' line inserted by Tarvo"};
const Hook kAtExit = {"Sub AtExit(", "ExperimentFinish:", "AtExit",
                      "AtExit c.DataFile.Filename ' line inserted by Tarvo"};

bool IsIdentifierByte(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

// True when `line` begins, after blanks and tabs, with the routine's name in any letter
// case, followed by the end of the line or a byte that cannot continue a name: a call of
// the routine, or the assignment of a function's result in its own body, but not
// "PreRunDone = True".
bool NamesRoutine(std::string_view line, std::string_view name) {
  size_t begin = line.find_first_not_of(" \t");
  if (begin == std::string_view::npos || line.size() - begin < name.size())
    return false;
  for (size_t i = 0; i < name.size(); ++i) {
    if (UpperCaseAscii(line[begin + i]) != UpperCaseAscii(name[i]))
      return false;
  }
  size_t end = begin + name.size();
  return end == line.size() || !IsIdentifierByte(line[end]);
}

// A call stands at or below the anchor: one of the routine's own, or the line this
// program inserted on an earlier run (which for HandleFilename and PreRun begins with
// other words), so that a rewritten script given again gains no second call.
bool CallInPlace(const EBScript& script, const Hook& hook, int32_t anchor) {
  std::string_view inserted = hook.inserted;
  std::string ownCall(inserted.substr(0, inserted.find('\'')));
  if (script.FindLine(ownCall, static_cast<uint32_t>(anchor), true) >= 0)
    return true;
  // Every line that names the routine also begins with it in squeezed form.
  for (int32_t line = script.FindLine(hook.call, static_cast<uint32_t>(anchor), true); line >= 0;
       line = script.FindLine(hook.call, static_cast<uint32_t>(line) + 1, true)) {
    if (NamesRoutine(script.lines[static_cast<size_t>(line)], hook.call))
      return true;
  }
  return false;
}

// True also when a call is already in place.
bool InsertCall(EBScript& script, const Hook& hook) {
  int32_t subMain = script.FindSubMain();
  if (subMain < 0)
    return false;
  if (script.FindLine(hook.definition, 0, true) < 0)
    return false;
  int32_t anchor = script.FindLine(hook.anchor, static_cast<uint32_t>(subMain), true);
  if (anchor < 0)
    return false;
  if (!CallInPlace(script, hook, anchor))
    script.lines.Insert(anchor + 1, hook.inserted);
  return true;
}

}  // namespace

bool EBScript::InsertHandleFilenameCall() {
  return InsertCall(*this, kHandleFilename);
}

bool EBScript::InsertPreRunCall() {
  return InsertCall(*this, kPreRun);
}

bool EBScript::InsertAtExitCall() {
  return InsertCall(*this, kAtExit);
}
