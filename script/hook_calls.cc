#include "script/eb_script.h"

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

// True also when a call is already in place. The HandleFilename and PreRun call lines do
// not begin with the routine's name, so they are inserted again on every run; AtExit's is not.
bool InsertCall(EBScript& script, const Hook& hook) {
  int32_t subMain = script.FindSubMain();
  if (subMain < 0)
    return false;
  if (script.FindLine(hook.definition, 0, true) < 0)
    return false;
  int32_t anchor = script.FindLine(hook.anchor, static_cast<uint32_t>(subMain), true);
  if (anchor < 0)
    return false;
  if (script.FindLine(hook.call, static_cast<uint32_t>(anchor), true) < 0)
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
