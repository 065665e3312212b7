#ifndef TARVO_APP_DATA_CHECK_H_
#define TARVO_APP_DATA_CHECK_H_

#include <string>

#include "app/run_log.h"
#include "base/data_files.h"
#include "platform/file_system.h"
#include "script/data_file_name.h"

// The data check: which file the experiment writes the participant's data to, whether it
// is there already before E-Run starts, and whether it is there once E-Run has ended.

/// Prints "Subject 0: the experiment writes no data file" when the run gives Subject a
/// whole number equal to 0 and the script logs data only for another Subject; true then.
bool SubjectZeroStage(const EBScript& script, const AttributesBySqueezedName& given, RunLog& log);

/// Before the save: works out the data files and prints them. With `required` (-D), a
/// data file that cannot be worked out refuses the run, as Subject 0 does; without it (a
/// journal), the run goes on unchecked, saying why.
DataFiles WorkOutDataFilesStage(const EBScript& script, const AttributesBySqueezedName& given,
                                bool subjectZero, const std::string& outputScriptPath,
                                bool required, RunLog& log);

/// Before the save, for data files worked out: refuses the run when their folder is missing
/// (the experiment would stop when it opens the file), when one of them is there already
/// (it would stop to ask before overwriting it), and when the file system cannot tell. With
/// `setAside` (-A), a converting script's data file there without its converted file, an
/// aborted session's, does not refuse: true then, as that file is to be set aside, unless
/// another run holds the rewritten script `rewritten`, whose E-Run may still write it.
bool DataFilesFreeStage(const DataFiles& data, FileSystem& files, const std::string& rewritten,
                        bool setAside, RunLog& log);

/// What became of the data once E-Run has ended.
enum class DataFound {
  kSaved,         // the final file is there
  kNotConverted,  // only the data file is there, as after an aborted session
  kNoData,
  kCannotTell,  // the file system could not say: the data are not checked
};

struct DataOutcome {
  DataFound found;
  std::string line;
};

/// What became of the data once E-Run has ended, and the line that says it: "Data saved:
/// <file>" when the data are in their final file; otherwise a line that says what is
/// missing, or that the file system cannot tell.
DataOutcome LookForData(const DataFiles& data, FileSystem& files);

/// After E-Run: LookForData, and its line; a run whose data are not saved fails.
DataOutcome DataOutcomeStage(const DataFiles& data, FileSystem& files, RunLog& log);

#endif  // TARVO_APP_DATA_CHECK_H_
