#include "script/hook_calls.h"

#include <string>

namespace {

// One user routine: how the script defines it, the statement in the main routine below
// which its call goes, its name, the call itself, and whether the call jumps to
// ExperimentAbort.
struct Hook {
  const char* definition;
  std::optional<size_t> (*findAnchor)(const EBScript& script);
  const char* routine;
  const char* call;
  bool jumpsToAbort;
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
    "ExperimentAbort ",
    true};
const Hook kPreRun = {
    "Function PreRun(", [](const EBScript& script) { return InMain(script, "InitObjects c"); },
    "PreRun", "If Not PreRun(c.DataFile.Filename) Then GoTo ExperimentAbort ", true};
const Hook kAtExit = {"Sub AtExit(",
                      [](const EBScript& script) { return InMain(script, "ExperimentFinish:"); },
                      "AtExit", "AtExit c.DataFile.Filename ", false};

// A call stands at or below the anchor: one of the routine's own, plain or with Call, or
// the line this program inserted on an earlier run (which for HandleFilename and PreRun
// begins with other words), so that a rewritten script given again gains no second call.
bool CallInPlace(const EBScript& script, const Hook& hook, size_t anchor) {
  return script.FindLine(hook.call, anchor) ||
         script.FindLine(LineProbe(hook.routine, LineMatch::kBeginsWithWords), anchor) ||
         script.FindLine(
             LineProbe(std::string("Call ") + hook.routine, LineMatch::kBeginsWithWords), anchor);
}

EditOutcome InsertCall(EBScript& script, const Hook& hook) {
  std::optional<size_t> subMain = script.FindSubMain();
  if (!subMain || !script.FindLine(hook.definition, 0))
    return EditOutcome::kNotFound;
  std::optional<size_t> anchor = hook.findAnchor(script);
  if (!anchor)
    return EditOutcome::kNotFound;
  if (CallInPlace(script, hook, *anchor))
    return EditOutcome::kDone;
  // Without the label the script would not compile.
  if (hook.jumpsToAbort && !script.FindLine("ExperimentAbort:", *subMain))
    return EditOutcome::kNoAbortLabel;
  script.InsertLine(script.StatementEnd(*anchor) + 1, std::string(hook.call) + kLineComment);
  return EditOutcome::kDone;
}

}  // namespace

EditOutcome InsertHandleFilenameCall(EBScript& script) {
  return InsertCall(script, kHandleFilename);
}

EditOutcome InsertPreRunCall(EBScript& script) {
  return InsertCall(script, kPreRun);
}

EditOutcome InsertAtExitCall(EBScript& script) {
  return InsertCall(script, kAtExit);
}
