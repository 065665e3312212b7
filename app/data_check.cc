#include "app/data_check.h"

#include "textfile/text_helpers.h"

namespace {

const char kSubjectZero[] = "Subject 0: the experiment writes no data file";

// E-Run runs in the script's folder, so a relative name is relative to that.
std::string InScriptFolder(const std::string& name, const std::string& outputScriptPath) {
  std::string path = IsAbsolutePath(name) ? name : FolderOf(outputScriptPath) + name;
  std::string full;
  return GetFullPath(path, &full) ? full : path;
}

// The same path with the extension .edat in place of its own, or added.
std::string Converted(const std::string& path) {
  size_t dot = path.rfind('.');
  size_t folder = path.find_last_of("\\/:");
  if (dot == std::string::npos || (folder != std::string::npos && dot < folder))
    return path + ".edat";
  return path.substr(0, dot) + ".edat";
}

}  // namespace

bool SubjectZeroStage(const EBScript& script, const GivenAttributes& given, RunLog& log) {
  std::optional<std::string> subject = AttributeValue(script, given, "Subject");
  if (!subject || ParseWholeNumber(*subject) != 0 || !LogsDataOnlyForNonZeroSubject(script))
    return false;
  log.Line(kSubjectZero);
  return true;
}

DataFiles DataFileStage(const EBScript& script, const GivenAttributes& given, bool subjectZero,
                        const std::string& outputScriptPath, bool required, FileSystem& files,
                        RunLog& log) {
  DataFiles data;
  DataFileName name = WorkOutDataFileName(script, given);
  std::string unchecked = subjectZero         ? kSubjectZero
                          : name.name.empty() ? "Couldn't work out the data file: " + name.unknown
                                              : "";
  if (!unchecked.empty()) {
    if (!required)
      log.Line("Data file: not checked (" + unchecked + ")");
    else if (subjectZero)
      log.Refused(unchecked);  // its line stands after the attributes already
    else
      log.Refuse(unchecked);
    return data;
  }
  if (name.converted && EndsWithInsensitive(name.name, ".edat")) {
    log.Refuse(kEdatDataFile);
    return data;
  }
  data.dataFile = InScriptFolder(name.name, outputScriptPath);
  log.Line("Data file: " + data.dataFile);
  if (name.converted) {
    data.converted = Converted(data.dataFile);
    log.Line("Converted data file: " + data.converted);
  }
  for (const std::string& path : {data.dataFile, data.converted}) {
    if (!path.empty() && files.Exists(path)) {
      log.Refuse("Data file exists: " + path);
      break;
    }
  }
  return data;
}

DataOutcome DataOutcomeStage(const DataFiles& data, FileSystem& files, RunLog& log) {
  DataOutcome outcome;
  if (files.Exists(data.Final())) {
    outcome = {JournalEvent::kSaved, "Data saved: " + data.Final()};
  } else if (!data.converted.empty() && files.Exists(data.dataFile)) {
    outcome = {JournalEvent::kNotConverted,
               "Data not converted: " + data.dataFile +
                   " (the experiment ended early; E-Recovery can convert it)"};
  } else {
    outcome = {JournalEvent::kNoData, "No data file written: " + data.dataFile};
  }
  log.Line(outcome.line);
  return outcome;
}
