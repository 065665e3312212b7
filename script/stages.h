#ifndef TARVO_SCRIPT_STAGES_H_
#define TARVO_SCRIPT_STAGES_H_

#include <string>

#include "script/eb_script.h"

// The editing stages of the run sequence: each calls one operation and prints its
// console line. None stops the run or changes the exit code.

/// Stage 2, once per attribute in ascending order of name.
void AttributeStage(EBScript& script, const std::string& name, const std::string& value);
/// Stage 3, when -F was given.
void DataFileNameStage(EBScript& script, const std::string& dataFileName);
/// Stage 4, when -O was given.
void DataFolderStage(EBScript& script, const std::string& dataFolder);
/// Stages 5 to 7, on every run.
void HandleFilenameHookStage(EBScript& script);
void PreRunHookStage(EBScript& script);
void AtExitHookStage(EBScript& script);

#endif  // TARVO_SCRIPT_STAGES_H_
