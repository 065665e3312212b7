#ifndef TARVO_SCRIPT_DATA_FILE_NAME_H_
#define TARVO_SCRIPT_DATA_FILE_NAME_H_

#include <optional>
#include <string>
#include <string_view>

#include "script/eb_script.h"
#include "script/runs.h"

/// The refusal of a data file name ending in .edat for a script that converts: the
/// converted file would take its name and replace the data.
inline constexpr char kEdatDataFile[] =
    "The data file cannot end in .edat: the converted file would replace it";

/// What the data file statement of a script, as Tarvo leaves it, makes of the data file.
struct DataFileName {
  /// The name as the experiment computes it, relative to its folder or absolute; empty
  /// when it cannot be worked out.
  std::string name;
  /// Without a name: the attribute still asked for, "HandleFilename", or the part of the
  /// script not understood.
  std::string unknown;
  /// The script converts the data file into an E-DataAid file (c.DataFile.Convert).
  bool converted = false;
};

/// A statement after the data file statement `dataFile` that may set the data file name
/// again when it runs: another assignment of it, the HandleFilename call aside (that
/// routine checks or changes the name it is given), or a call of a routine of the script
/// that assigns it.
struct DataFileSetAgain {
  size_t statement;
  size_t line;  // as loaded: the assignment's, in the routine for a call
};
std::optional<DataFileSetAgain> FindDataFileSetAgain(const MainRoutine& routine, size_t dataFile,
                                                     const RunJudge& runs);

/// Works out the data file name from the data file statement's expression: string
/// literals (with "" and \\ as the only escapes), &, CStr(...), c.GetAttrib("<name>"),
/// and variables, read from the statements of the main routine before it that run for
/// sure or in a block judged to run (see RunJudge). An attribute has the value given,
/// or else, when no prompt asks for it, that of the script's own assignments; a value
/// assigned plainly, even an unknown one, is not overridden by a later conditional
/// default. A part assigned in a branch that may or may not run is unknown, and so is
/// what a routine of the script called before may set (routines.h), or any attribute for
/// a routine the script does not define given the context; and so is the name when the
/// data file statement runs only in a branch or may be set again later. A script that
/// defines HandleFilename leaves the name to that routine.
DataFileName WorkOutDataFileName(const EBScript& script, const AttributesBySqueezedName& given);

/// The value that the run gives attribute `name`, as WorkOutDataFileName reads it; none
/// when it cannot be told.
std::optional<std::string> AttributeValue(const EBScript& script,
                                          const AttributesBySqueezedName& given,
                                          std::string_view name);

/// True when the script logs data only for a Subject other than 0, as generated scripts
/// do: its main routine has "If CLng(c.GetAttrib("Subject")) <> 0 Then".
bool LogsDataOnlyForNonZeroSubject(const EBScript& script);

#endif  // TARVO_SCRIPT_DATA_FILE_NAME_H_
