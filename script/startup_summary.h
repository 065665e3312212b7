#ifndef TARVO_SCRIPT_STARTUP_SUMMARY_H_
#define TARVO_SCRIPT_STARTUP_SUMMARY_H_

#include "script/eb_script.h"

/// Answers the "Summary of Startup Info" question with Yes in place of asking it (-Y), so
/// the experiment starts unattended. False, with the script unchanged, when there is no
/// such question after "Sub Main()".
bool AnswerStartupSummary(EBScript& script);

#endif  // TARVO_SCRIPT_STARTUP_SUMMARY_H_
