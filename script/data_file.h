#ifndef TARVO_SCRIPT_DATA_FILE_H_
#define TARVO_SCRIPT_DATA_FILE_H_

#include <string_view>

#include "script/eb_script.h"

// The two edits of the data file line (EBScript::FindDataFileLine). Each is false, with
// the script unchanged, when the script has no data file line.

/// Replaces the data file line by an assignment of the fixed name `name` (-F).
bool SetDataFileName(EBScript& script, std::string_view name);

/// Puts the data folder `folder` in front of the data file line's own expression (-O).
bool SetDataFolder(EBScript& script, std::string_view folder);

#endif  // TARVO_SCRIPT_DATA_FILE_H_
