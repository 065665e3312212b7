#ifndef TARVO_SCRIPT_DATA_FILE_H_
#define TARVO_SCRIPT_DATA_FILE_H_

#include <string_view>

#include "script/eb_script.h"

// The two edits of the data file statement (EBScript::FindDataFileLine). Each gives
// kNotFound, with the script unchanged, when the script has no data file line, and
// kTooLong when a line it would write is longer than a script line may be.

/// Replaces the whole data file statement by an assignment of the fixed name `name` (-F).
EditOutcome SetDataFileName(EBScript& script, std::string_view name);

/// Puts the data folder `folder` in front of the data file statement's own expression
/// (-O). A folder that Tarvo put there on an earlier run is replaced, not kept in front.
EditOutcome SetDataFolder(EBScript& script, std::string_view folder);

#endif  // TARVO_SCRIPT_DATA_FILE_H_
