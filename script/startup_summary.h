#ifndef TARVO_SCRIPT_STARTUP_SUMMARY_H_
#define TARVO_SCRIPT_STARTUP_SUMMARY_H_

#include "script/eb_script.h"

/// Answers every "Summary of Startup Info" question after "Sub Main()" with Yes in place
/// of asking it (-Y), so the experiment starts unattended: each question's whole statement
/// becomes one assignment of the answer. kNotFound, with the script unchanged, when there
/// is no such question; kTooLong when an answer would not fit on a line.
EditOutcome AnswerStartupSummary(EBScript& script);

#endif  // TARVO_SCRIPT_STARTUP_SUMMARY_H_
