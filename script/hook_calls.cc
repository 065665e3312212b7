#include "script/hook_calls.h"

#include <string>

namespace {

// One user routine: how the script defines it, the line in the main routine below which
// its call goes, its name, and the call itself.
struct Hook {
  const char* definition;
  std::optional<size_t> (*findAnchor)(const EBScript& script);
  const char* routine;
  const char* call;
};

std::optional<size_t> DataFileLine(const EBScript& script) {
  return script.FindDataFileLine();
}

// The first line at or after "Sub Main()" that `probe` matches.
std::optional<size_t> InMain(const EBScript& script, const LineProbe& probe) {
  std::optional<size_t> subMain = script.FindSubMain();
  if (!subMain)
    return std::nullopt;
  return script.FindLine(probe, *subMain);
}

const Hook kHandleFilename = {
    "Function HandleFilename(", DataFileLine, "HandleFilename",
    "c.DataFile.Filename = HandleFilename(c) : If Len(c.DataFile.Filename)=0 Then GoTo "
    "ExperimentAbort "};
const Hook kPreRun = {"Function PreRun(",
                      [](const EBScript& script) { return InMain(script, "InitObjects c"); },
                      "PreRun", "If Not PreRun(c.DataFile.Filename) Then GoTo ExperimentAbort "};
const Hook kAtExit = {"Sub AtExit(",
                      [](const EBScript& script) { return InMain(script, "ExperimentFinish:"); },
                      "AtExit", "AtExit c.DataFile.Filename "};

// A call stands at or below the anchor: one of the routine's own, or the line this program
// inserted on an earlier run (which for HandleFilename and PreRun begins with other
// words), so that a rewritten script given again gains no second call.
bool CallInPlace(const EBScript& script, const Hook& hook, size_t anchor) {
  return script.FindLine(hook.call, anchor) ||
         script.FindLine(LineProbe(hook.routine, LineMatch::kBeginsWithWord), anchor);
}

bool InsertCall(EBScript& script, const Hook& hook) {
  if (!script.FindSubMain() || !script.FindLine(hook.definition, 0))
    return false;
  std::optional<size_t> anchor = hook.findAnchor(script);
  if (!anchor)
    return false;
  if (!CallInPlace(script, hook, *anchor))
    script.InsertLine(*anchor + 1, std::string(hook.call) + kLineComment);
  return true;
}

}  // namespace

bool InsertHandleFilenameCall(EBScript& script) {
  return InsertCall(script, kHandleFilename);
}

bool InsertPreRunCall(EBScript& script) {
  return InsertCall(script, kPreRun);
}

bool InsertAtExitCall(EBScript& script) {
  return InsertCall(script, kAtExit);
}
