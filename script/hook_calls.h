#ifndef TARVO_SCRIPT_HOOK_CALLS_H_
#define TARVO_SCRIPT_HOOK_CALLS_H_

#include "script/eb_script.h"

// Calls of the user's own routines, inserted into the main routine where the script
// defines them. Each is true when the call is in place, inserted now or found there
// already, and false, with the script unchanged, when the script lacks "Sub Main()", the
// routine's definition or the line the call goes below.

/// HandleFilename(c), below the data file line: its result becomes the data file name.
bool InsertHandleFilenameCall(EBScript& script);
/// PreRun(file name), below "InitObjects c": false from it aborts the experiment.
bool InsertPreRunCall(EBScript& script);
/// AtExit(file name), below "ExperimentFinish:".
bool InsertAtExitCall(EBScript& script);

#endif  // TARVO_SCRIPT_HOOK_CALLS_H_
