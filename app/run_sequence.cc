#include "app/run_sequence.h"

#include "app/stages.h"
#include "app/usage.h"
#include "platform/console.h"
#include "platform/file_system.h"
#include "script/eb_script.h"

#ifndef TARVO_VERSION
#error TARVO_VERSION must be defined by the build
#endif

namespace {

// The stages, in their fixed order, over one script. Parsing and the checks have passed.
int RunStages(const RunRequest& request, const std::string& outputScriptPath) {
  EBScript script;
  std::string message;

  // A script that cannot be read ends the run.
  bool loaded = script.Load(*request.scriptPath, message);
  PrintLine(message);
  if (!loaded)
    return kExitFailure;

  // Attributes, in ascending order of name. A value that the experiment's own prompt
  // would refuse ends the run once all are reported: nothing is saved, E-Run not started.
  bool refused = false;
  for (const auto& [name, value] : request.attributes)
    refused = !AttributeStage(script, name, value) || refused;
  if (refused)
    return kExitFailure;
  // The data file name, then the data folder.
  if (request.dataFileName)
    DataFileNameStage(script, *request.dataFileName);
  if (request.dataFolder)
    DataFolderStage(script, *request.dataFolder);
  if (request.answerSummary)
    StartupSummaryStage(script);
  // Calls of the user's routines.
  HandleFilenameHookStage(script);
  PreRunHookStage(script);
  AtExitHookStage(script);

  // A failed save ends the run, so E-Run never starts on a stale script. Until E-Run has
  // ended the script stays held: a run of the same script elsewhere must not replace it.
  FileHold hold;
  bool saved = script.Save(outputScriptPath, message, request.noRun ? nullptr : &hold);
  PrintLine(message);
  if (!saved)
    return kExitFailure;

  // -N: a dry run ends with the save.
  if (request.noRun)
    return kExitSuccess;

  // No usable registry entry, or an E-Run that could not be started, fails the run.
  if (!LaunchStage(outputScriptPath))
    return kExitFailure;
  return kExitSuccess;
}

}  // namespace

int RunTarvo(const ProgramArguments& programArguments, SlashSwitches slashSwitches) {
  PrintLine("Tarvo Version " TARVO_VERSION);
  PrintLine("");

  // A character the code page cannot hold would otherwise become a look-alike or '?':
  // another attribute value, another folder, silently.
  if (programArguments.firstUnconvertible != 0) {
    PrintLine("Argument " + std::to_string(programArguments.firstUnconvertible) +
              " has characters outside the ANSI code page");
    return kExitFailure;
  }
  ParseResult parsed = ParseCommandLine(programArguments.arguments, slashSwitches);
  for (const std::string& line : parsed.lines)
    PrintLine(line);
  switch (parsed.outcome) {
    case ParseOutcome::kShowUsage:
      PrintUsage();
      return kExitSuccess;
    case ParseOutcome::kBadSwitch:
      PrintUsage();
      return kExitFailure;
    case ParseOutcome::kBadArgument:
      return kExitFailure;
    case ParseOutcome::kRun:
      break;
  }

  const RunRequest& request = parsed.request;
  if (!request.scriptPath) {
    PrintLine("Missing script specification");
    PrintUsage();
    return kExitFailure;
  }
  if (!HasEbsExtension(*request.scriptPath)) {
    PrintLine("EBS-script requires extension .ebs: " + *request.scriptPath);
    if (IsLaterEPrimeScriptName(*request.scriptPath))
      PrintLine("Scripts of E-Prime 2 and later (.ebs2, .ebs3) cannot be rewritten");
    return kExitFailure;
  }
  std::string outputName = OutputScriptName(*request.scriptPath);
  std::string outputScriptPath;
  if (!GetFullPath(outputName, &outputScriptPath)) {
    PrintLine("Couldn't create full path for new script " + outputName);
    return kExitFailure;
  }
  return RunStages(request, outputScriptPath);
}
