#ifndef TARVO_SCRIPT_HOOK_CALLS_H_
#define TARVO_SCRIPT_HOOK_CALLS_H_

#include "script/eb_script.h"

// Calls of the user's own routines, inserted into the main routine where the script
// defines them. Each gives kDone when the call is in place, inserted now or found there
// already; kNotFound, with the script unchanged, when the script lacks "Sub Main()", the
// routine's definition or the statement the call goes below; and kNoAbortLabel when the
// call would jump to ExperimentAbort and the main routine has no such label.

/// HandleFilename(c), below the data file statement: its result becomes the file name.
EditOutcome InsertHandleFilenameCall(EBScript& script);
/// PreRun(file name), below "InitObjects c": false from it aborts the experiment.
EditOutcome InsertPreRunCall(EBScript& script);
/// AtExit(file name), below "ExperimentFinish:".
EditOutcome InsertAtExitCall(EBScript& script);

#endif  // TARVO_SCRIPT_HOOK_CALLS_H_
