#ifndef TARVO_APP_STAGES_H_
#define TARVO_APP_STAGES_H_

#include <string>

#include "script/eb_script.h"

// The stages of a run that edit the script or start E-Run: each calls one operation and
// prints its console lines. The editing stages never stop the run.

/// Gives one attribute its fixed value; once per attribute, in ascending order of name.
/// False when the value fails the checks of the attribute's prompt section: the script is
/// left as it was for it, and the run must end once every attribute has been looked at.
bool AttributeStage(EBScript& script, const std::string& name, const std::string& value);
/// Fixes the data file name (-F).
void DataFileNameStage(EBScript& script, const std::string& dataFileName);
/// Puts the data folder in front of the data file name (-O).
void DataFolderStage(EBScript& script, const std::string& dataFolder);
/// Answers the startup info summary with Yes (-Y).
void StartupSummaryStage(EBScript& script);
/// Insert the calls of the user's routines, on every run; silent when the script does
/// not define the routine.
void HandleFilenameHookStage(EBScript& script);
void PreRunHookStage(EBScript& script);
void AtExitHookStage(EBScript& script);

/// Starts E-Run on the rewritten script and waits for it, reporting each step. False
/// when the registry gave no usable E-Run command or E-Run could not be started, which
/// fails the run.
bool LaunchStage(const std::string& outputScriptPath);

#endif  // TARVO_APP_STAGES_H_
