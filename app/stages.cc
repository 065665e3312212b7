#include "app/stages.h"

#include "launch/erun_launcher.h"
#include "platform/console.h"
#include "script/data_file.h"
#include "script/hook_calls.h"
#include "script/set_attribute.h"
#include "script/startup_summary.h"
#include "script/value_rule.h"

bool AttributeStage(EBScript& script, const std::string& name, const std::string& value) {
  std::optional<PromptSection> section = FindPromptSection(script, name);
  ValueRule rule = section ? ReadValueRule(script, *section) : ValueRule();
  if (!rule.Accepts(value)) {
    PrintLine("Invalid value for " + name + ": " + value + " (" + rule.Describe() + ")");
    return false;
  }
  if (SetAttribute(script, name, value))
    PrintLine("Setting attribute value: " + name + " = " + value);
  else
    PrintLine("Couldn't set attribute value for " + name);
  return true;
}

void DataFileNameStage(EBScript& script, const std::string& dataFileName) {
  if (SetDataFileName(script, dataFileName))
    PrintLine("Setting output filename to " + dataFileName);
  else
    PrintLine("Couldn't set output filename to " + dataFileName);
}

void DataFolderStage(EBScript& script, const std::string& dataFolder) {
  if (SetDataFolder(script, dataFolder))
    PrintLine("Setting output path to " + dataFolder);
  else
    PrintLine("Couldn't set output path to " + dataFolder);
}

void StartupSummaryStage(EBScript& script) {
  if (AnswerStartupSummary(script))
    PrintLine("Answered the startup info summary");
  else
    PrintLine("Couldn't find the startup info summary");
}

void HandleFilenameHookStage(EBScript& script) {
  if (InsertHandleFilenameCall(script))
    PrintLine("Inserted HandleFilename() call");
}

void PreRunHookStage(EBScript& script) {
  if (InsertPreRunCall(script))
    PrintLine("Inserted PreRun() call");
}

void AtExitHookStage(EBScript& script) {
  if (InsertAtExitCall(script))
    PrintLine("Inserted AtExit() call");
}

namespace {

class ConsoleProgress : public LaunchProgress {
 public:
  void Starting(const std::string& commandLine) override {
    PrintLine("Starting E-Run:");
    PrintLine(commandLine);
  }
  void Waiting() override { PrintLine("Waiting for E-Run to finish"); }
};

}  // namespace

bool LaunchStage(const std::string& outputScriptPath) {
  ConsoleProgress progress;
  switch (LaunchERun(outputScriptPath, SystemRegistry(), SystemProcessStarter(), progress)) {
    case LaunchOutcome::kNoRegistryKey:
      PrintLine("Couldn't open ebsfile settings in registry\nWas E-Prime installed properly?");
      return false;
    case LaunchOutcome::kNoRegistryValue:
      PrintLine(
          "Couldn't get value for ebsfile\\shell\\open\\command in registry\n"
          "Was E-Prime installed properly?");
      return false;
    case LaunchOutcome::kNoFileEntry:
      PrintLine(
          "Couldn't locate file entry (%1) in registry settings\n"
          "Was E-Prime installed properly?");
      return false;
    case LaunchOutcome::kStartFailed:
      // The experiment did not run; a batch file must be able to tell.
      PrintLine("E-Run failed");
      return false;
    case LaunchOutcome::kERunEnded:
      PrintLine("E-Run ready");
      return true;
  }
  return false;
}
