#ifndef TARVO_APP_STAGES_H_
#define TARVO_APP_STAGES_H_

#include <functional>
#include <string>

#include "app/run_log.h"
#include "app/run_request.h"
#include "platform/file_system.h"
#include "platform/process.h"
#include "platform/registry.h"
#include "script/data_file_name.h"
#include "script/eb_script.h"

// The stages of a run that edit the script or start E-Run: each calls its operations and
// writes its console lines to the log. An editing stage that refuses has finished all it
// does first; the run then ends before the next stage.

/// Refuses a script whose main routine cannot be read as one ("Couldn't read the main
/// routine: ..."), before any edit; true when it can.
bool MainRoutineStage(const EBScript& script, RunLog& log);
/// Gives each attribute its fixed value, in ascending order of name, once the value has
/// passed the checks of the attribute's prompt section. Returns the attributes set.
AttributesBySqueezedName AttributeStage(EBScript& script, const AttributesByName& attributes,
                                        RunLog& log);
/// Fixes the data file name (-F); `given` is what AttributeStage returned.
void DataFileNameStage(EBScript& script, const std::string& dataFileName,
                       const AttributesBySqueezedName& given, RunLog& log);
/// Puts the data folder in front of the data file name (-O).
void DataFolderStage(EBScript& script, const std::string& dataFolder,
                     const AttributesBySqueezedName& given, RunLog& log);
/// Answers the startup info summary with Yes (-Y).
void StartupSummaryStage(EBScript& script, RunLog& log);
/// Inserts the calls of the user's routines, on every run; silent for a routine that the
/// script does not define.
void HookCallStage(EBScript& script, RunLog& log);
/// Starts E-Run on the rewritten script in its folder, hands it the script's hold, and
/// waits for it, reporting each step; `started` hears of E-Run's process before the wait.
/// False when the registry gave no usable E-Run command or E-Run could not be started,
/// which fails the run. `lastLine` receives the last line.
bool LaunchStage(const std::string& outputScriptPath, const FileHold& hold, Registry& registry,
                 ProcessStarter& processes,
                 const std::function<void(const ProcessIdentity&)>& started, RunLog& log,
                 std::string* lastLine);

#endif  // TARVO_APP_STAGES_H_
