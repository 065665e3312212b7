#ifndef TARVO_SCRIPT_DATA_FILE_NAME_H_
#define TARVO_SCRIPT_DATA_FILE_NAME_H_

#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "script/eb_script.h"

/// The attributes whose assignment Tarvo wrote, by their squeezed names, with their values.
using GivenAttributes = std::map<std::string, std::string>;

/// What the data file statement of a script, as Tarvo leaves it, makes of the data file.
struct DataFileName {
  /// The name as the experiment computes it, relative to its folder or absolute; empty
  /// when it cannot be worked out.
  std::string name;
  /// Without a name: the attribute still asked for, "HandleFilename", or the part of the
  /// statement not understood.
  std::string unknown;
  /// The script converts the data file into an E-DataAid file (c.DataFile.Convert).
  bool converted = false;
};

/// Works out the data file name from the data file statement's expression: string
/// literals (with "" and \\ as the only escapes), &, CStr(...), c.GetAttrib("<name>"),
/// and variables assigned in the main routine before it (in an If c.AttribExists("<name>")
/// block only in the branch that `given` makes apply). An attribute has the value given,
/// or else, when no prompt asks for it, that of the script's own assignment. A script that
/// defines HandleFilename leaves the name to that routine.
DataFileName WorkOutDataFileName(const EBScript& script, const GivenAttributes& given);

/// The value that the run gives attribute `name`, as WorkOutDataFileName reads it; none
/// when it cannot be told.
std::optional<std::string> AttributeValue(const EBScript& script, const GivenAttributes& given,
                                          std::string_view name);

/// True when the script logs data only for a Subject other than 0, as generated scripts
/// do: it has "If CLng(c.GetAttrib("Subject")) <> 0 Then" after "Sub Main()".
bool LogsDataOnlyForNonZeroSubject(const EBScript& script);

#endif  // TARVO_SCRIPT_DATA_FILE_NAME_H_
