#ifndef TARVO_SCRIPT_STARTUP_SUMMARY_H_
#define TARVO_SCRIPT_STARTUP_SUMMARY_H_

#include "script/eb_script.h"

/// Answers every "Summary of Startup Info" question of the main routine with Yes in place
/// of asking it (-Y), so the experiment starts unattended: each generated question,
/// "nSummaryAnswer = MsgBox(...)" alone on its line, becomes one assignment of the
/// answer. kNotFound, with the script unchanged, when there is no such question; kTooLong
/// when an answer would not fit on a line; kRefused, with its line, for a MsgBox before the
/// data file statement that Tarvo cannot answer: one in another form that shows the
/// summary, or whose answer decides a jump to StartupInfo_Begin or ExperimentAbort, also
/// in a routine of the script called there. The question whether to overwrite an existing
/// data file, after the data file statement, is no summary and stays.
EditResult AnswerStartupSummary(EBScript& script);

#endif  // TARVO_SCRIPT_STARTUP_SUMMARY_H_
