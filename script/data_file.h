#ifndef TARVO_SCRIPT_DATA_FILE_H_
#define TARVO_SCRIPT_DATA_FILE_H_

#include <string_view>

#include "script/eb_script.h"
#include "script/runs.h"

// The two edits of the data file statement, the first assignment of c.DataFile.Filename
// in the main routine. Each gives kNotFound, with the script unchanged, when the script
// has no data file statement; kTooLong when a line it would write is longer than a script
// line may be; and kRefused, with its line, when the statement runs only in a branch (as
// `given` decides), shares its line with other code, or a later statement assigns the
// data file name again: the edit would not decide the name then.

/// Replaces the whole data file statement by an assignment of the fixed name `name` (-F).
EditResult SetDataFileName(EBScript& script, std::string_view name,
                           const AttributesBySqueezedName& given);

/// Puts the data folder `folder` in front of the data file statement's own expression
/// (-O). A folder that Tarvo put there on an earlier run is replaced, not kept in front.
/// Refused in front of an absolute name, from -F or the script's own literal.
EditResult SetDataFolder(EBScript& script, std::string_view folder,
                         const AttributesBySqueezedName& given);

#endif  // TARVO_SCRIPT_DATA_FILE_H_
