#include "app/stages.h"

#include "base/text_helpers.h"
#include "launch/erun_launcher.h"
#include "script/data_file.h"
#include "script/data_file_name.h"
#include "script/hook_calls.h"
#include "script/main_routine.h"
#include "script/routines.h"
#include "script/set_attribute.h"
#include "script/startup_summary.h"

namespace {

const char kTooLong[] = "Too long for one script line: ";

// The line of an edit that a switch asked for; one that would write too long a line refuses.
void ReportSwitchEdit(const EditResult& result, const std::string& done,
                      const std::string& notFound, const char* switchName, RunLog& log) {
  switch (result.outcome) {
    case EditOutcome::kDone:
      log.Line(done);
      break;
    case EditOutcome::kTooLong:
      log.PrintRefusal(kTooLong + std::string(switchName));
      break;
    case EditOutcome::kNotFound:
    case EditOutcome::kNoAbortLabel:
      log.Line(notFound);
      break;
    case EditOutcome::kRefused:
      log.PrintRefusal(result.refusal);
      break;
  }
}

void InsertRoutineCall(EBScript& script, EditOutcome (*insert)(EBScript&),
                       const std::string& routine, RunLog& log) {
  switch (insert(script)) {
    case EditOutcome::kDone:
      log.Line("Inserted " + routine + "() call");
      break;
    case EditOutcome::kNoAbortLabel:
      log.PrintRefusal("Couldn't insert " + routine +
                       "() call: the script has no ExperimentAbort label");
      break;
    case EditOutcome::kNotFound:
    case EditOutcome::kTooLong:
    case EditOutcome::kRefused:
      break;
  }
}

}  // namespace

bool MainRoutineStage(const EBScript& script, RunLog& log) {
  const std::string& refusal = ScriptRoutines::Of(script).mainRefusal();
  if (!refusal.empty())
    log.PrintRefusal(refusal);
  return refusal.empty();
}

AttributesBySqueezedName AttributeStage(EBScript& script, const AttributesByName& attributes,
                                        RunLog& log) {
  // Every attribute given may be set by the time a condition of the script tests it; one
  // whose assignment is written has its value. Each is judged without itself: Tarvo writes
  // it where the script's own prompt or assignment stood.
  AttributesBySqueezedName given;
  for (const auto& [name, value] : attributes)
    given[SqueezeText(name)] = std::nullopt;
  for (const auto& [name, value] : attributes) {
    given.erase(SqueezeText(name));
    EditResult result = SetAttribute(script, name, value, given);
    given[SqueezeText(name)] = std::nullopt;
    switch (result.outcome) {
      case EditOutcome::kDone:
        given[SqueezeText(name)] = value;
        log.Line(std::string("Setting attribute value: ").append(name).append(" = ").append(value));
        break;
      case EditOutcome::kTooLong:
        log.PrintRefusal(kTooLong + name);
        break;
      case EditOutcome::kNotFound:
      case EditOutcome::kNoAbortLabel:
        log.Line("Couldn't set attribute value for " + name);
        break;
      case EditOutcome::kRefused:
        log.PrintRefusal(result.refusal);
        break;
    }
  }
  return given;
}

void DataFileNameStage(EBScript& script, const std::string& dataFileName,
                       const AttributesBySqueezedName& given, RunLog& log) {
  // The converted file would take the data file's name and replace it.
  if (EndsWithInsensitive(dataFileName, ".edat") && ConvertsDataFile(script)) {
    log.PrintRefusal(kEdatDataFile);
    return;
  }
  ReportSwitchEdit(SetDataFileName(script, dataFileName, given),
                   "Setting output filename to " + dataFileName,
                   "Couldn't set output filename to " + dataFileName, "-F", log);
}

void DataFolderStage(EBScript& script, const std::string& dataFolder,
                     const AttributesBySqueezedName& given, RunLog& log) {
  ReportSwitchEdit(SetDataFolder(script, dataFolder, given), "Setting output path to " + dataFolder,
                   "Couldn't set output path to " + dataFolder, "-O", log);
}

void StartupSummaryStage(EBScript& script, RunLog& log) {
  ReportSwitchEdit(AnswerStartupSummary(script), "Answered the startup info summary",
                   "Couldn't find the startup info summary", "-Y", log);
}

void HookCallStage(EBScript& script, RunLog& log) {
  InsertRoutineCall(script, InsertHandleFilenameCall, "HandleFilename", log);
  InsertRoutineCall(script, InsertPreRunCall, "PreRun", log);
  InsertRoutineCall(script, InsertAtExitCall, "AtExit", log);
}

namespace {

class ConsoleProgress : public LaunchProgress {
 public:
  ConsoleProgress(RunLog& log, const std::function<void(const ProcessIdentity&)>& started)
      : log_(log), started_(started) {}

  void Starting(const std::string& commandLine) override {
    log_.Line("Starting E-Run:");
    log_.Line(commandLine);
  }
  void Waiting(const ChildProcess& erun) override {
    started_(erun.Identity());
    log_.Line("Waiting for E-Run to finish");
  }

 private:
  RunLog& log_;
  const std::function<void(const ProcessIdentity&)>& started_;
};

}  // namespace

bool LaunchStage(const std::string& outputScriptPath, const FileHold& hold, Registry& registry,
                 ProcessStarter& processes,
                 const std::function<void(const ProcessIdentity&)>& started, RunLog& log,
                 std::string* lastLine) {
  ConsoleProgress progress(log, started);
  switch (LaunchERun(outputScriptPath, hold, registry, processes, progress)) {
    case LaunchOutcome::kNoRegistryKey:
      *lastLine = "Couldn't open ebsfile settings in registry";
      break;
    case LaunchOutcome::kNoRegistryValue:
      *lastLine = "Couldn't get value for ebsfile\\shell\\open\\command in registry";
      break;
    case LaunchOutcome::kNoFileEntry:
      *lastLine = "Couldn't locate file entry (%1) in registry settings";
      break;
    case LaunchOutcome::kStartFailed:
      // The experiment did not run; a batch file must be able to tell.
      log.Line(*lastLine = "E-Run failed");
      return false;
    case LaunchOutcome::kERunEnded:
      log.Line(*lastLine = "E-Run ready");
      return true;
  }
  log.Line(*lastLine + "\nWas E-Prime installed properly?");
  return false;
}
