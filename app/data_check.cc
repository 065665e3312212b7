#include "app/data_check.h"

#include "base/paths.h"
#include "base/text_helpers.h"
#include "script/plain_text_file.h"

namespace {

const char kSubjectZero[] = "Subject 0: the experiment writes no data file";
const char kCannotTell[] = "Couldn't check the data file: ";

// E-Run runs in the script's folder, so a relative name is relative to that.
std::string InScriptFolder(const std::string& name, const std::string& outputScriptPath) {
  std::string path = IsAbsolutePath(name) ? name : FolderOf(outputScriptPath) + name;
  std::string full;
  return GetFullPath(path, &full) ? full : path;
}

// A folder as people write it: without its last separator, unless that is all of a root.
std::string Shown(std::string folder) {
  if (folder.size() > 1 && folder[folder.size() - 2] != ':')
    folder.pop_back();
  return folder;
}

}  // namespace

bool SubjectZeroStage(const EBScript& script, const AttributesBySqueezedName& given, RunLog& log) {
  std::optional<std::string> subject = AttributeValue(script, given, "Subject");
  if (!subject || ParseWholeNumber(*subject) != 0 || !LogsDataOnlyForNonZeroSubject(script))
    return false;
  log.Line(kSubjectZero);
  return true;
}

DataFiles WorkOutDataFilesStage(const EBScript& script, const AttributesBySqueezedName& given,
                                bool subjectZero, const std::string& outputScriptPath,
                                bool required, RunLog& log) {
  DataFiles data;
  DataFileName name = WorkOutDataFileName(script, given);
  std::string unchecked = subjectZero         ? kSubjectZero
                          : name.name.empty() ? "Couldn't work out the data file: " + name.unknown
                                              : "";
  if (!unchecked.empty()) {
    if (!required)
      log.Line("Data file: not checked (" + unchecked + ")");
    else if (subjectZero)
      log.MarkRefused(unchecked);  // its line stands after the attributes already
    else
      log.PrintRefusal(unchecked);
    return data;
  }
  if (name.converted && EndsWithInsensitive(name.name, ".edat")) {
    log.PrintRefusal(kEdatDataFile);
    return data;
  }
  data.dataFile = InScriptFolder(name.name, outputScriptPath);
  log.Line("Data file: " + data.dataFile);
  if (name.converted) {
    data.converted = ReplaceExtension(data.dataFile, ".edat");
    log.Line("Converted data file: " + data.converted);
  }
  return data;
}

bool DataFilesFreeStage(const DataFiles& data, FileSystem& files, const std::string& rewritten,
                        bool setAside, RunLog& log) {
  // A share offline or a folder without access says nothing about the data: no guess.
  switch (files.Look(FolderOf(data.dataFile))) {
    case Presence::kThere:
      break;
    case Presence::kNotThere:
      log.PrintRefusal("Data folder missing: " + Shown(FolderOf(data.dataFile)));
      return false;
    case Presence::kCannotTell:
      log.PrintRefusal(kCannotTell + data.dataFile);
      return false;
  }
  // Saved data are never set aside: the converted file, or the data file of a script that
  // does not convert, still refuses.
  bool aside = setAside && !data.converted.empty() && files.Look(data.dataFile) == Presence::kThere;
  for (const std::string& path : {aside ? std::string() : data.dataFile, data.converted}) {
    Presence presence = path.empty() ? Presence::kNotThere : files.Look(path);
    if (presence != Presence::kNotThere) {
      log.PrintRefusal((presence == Presence::kThere ? "Data file exists: " : kCannotTell) + path);
      return false;
    }
  }
  // Its save would fail anyway; nothing is moved first.
  if (aside && files.Held(rewritten)) {
    log.PrintRefusal(PlainTextFile::HeldReport(rewritten));
    return false;
  }
  return aside;
}

DataOutcome DataOutcomeStage(const DataFiles& data, FileSystem& files, RunLog& log) {
  DataOutcome outcome = LookForData(data, files);
  log.Line(outcome.line);
  return outcome;
}

DataOutcome LookForData(const DataFiles& data, FileSystem& files) {
  DataOutcome outcome;
  Presence final = files.Look(data.Final());
  Presence dataFile = final == Presence::kNotThere && !data.converted.empty()
                          ? files.Look(data.dataFile)
                          : Presence::kNotThere;
  if (final == Presence::kThere) {
    outcome = {DataFound::kSaved, "Data saved: " + data.Final()};
  } else if (final == Presence::kCannotTell || dataFile == Presence::kCannotTell) {
    // A share briefly offline must not read as a lost session: the data are not checked.
    outcome = {DataFound::kCannotTell,
               kCannotTell + (final == Presence::kCannotTell ? data.Final() : data.dataFile)};
  } else if (dataFile == Presence::kThere) {
    outcome = {DataFound::kNotConverted,
               "Data not converted: " + data.dataFile +
                   " (the experiment ended early; E-Recovery can convert it)"};
  } else {
    outcome = {DataFound::kNoData, "No data file written: " + data.dataFile};
  }
  return outcome;
}
